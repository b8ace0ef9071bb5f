#pragma once
// Whether this process holds a Kerberos ticket, as the Kerberos library sees
// the default credential cache: a file, a kernel keyring, the KCM daemon or
// any other kind the system is configured for.

namespace velloran {

/// True when the default credential cache (KRB5CCNAME, else the system's
/// default_ccache_name) or another cache of its collection holds a
/// credential, expired ones included (the bind then says it has expired),
/// or when a cache is there that the library cannot read (the bind says
/// why). False when there is no cache or only an empty one.
bool HasKerberosTicket();

}  // namespace velloran
