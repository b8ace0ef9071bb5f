#include "platform/ldap/KerberosTicket.h"

#include <krb5.h>

namespace velloran {

namespace {

/// Whether `cache` holds a credential other than the library's own
/// configuration entries; a cache that cannot be read counts as one.
bool HoldsCredential(krb5_context ctx, krb5_ccache cache) {
  krb5_cc_cursor cursor;
  krb5_error_code rc = krb5_cc_start_seq_get(ctx, cache, &cursor);
  if (rc == KRB5_FCC_NOFILE || rc == KRB5_CC_NOTFOUND || rc == KRB5_CC_END) return false;
  if (rc != 0) return true;
  bool found = false;
  krb5_creds creds;
  while (!found && krb5_cc_next_cred(ctx, cache, &cursor, &creds) == 0) {
    found = !krb5_is_config_principal(ctx, creds.server);
    krb5_free_cred_contents(ctx, &creds);
  }
  krb5_cc_end_seq_get(ctx, cache, &cursor);
  return found;
}

}  // namespace

bool HasKerberosTicket() {
  krb5_context ctx = nullptr;
  if (krb5_init_context(&ctx) != 0) return false;
  bool found = false;
  krb5_ccache cache = nullptr;
  if (krb5_cc_default(ctx, &cache) == 0) {
    found = HoldsCredential(ctx, cache);
    krb5_cc_close(ctx, cache);
  }
  // Collections (DIR:, KEYRING:, KCM:) may keep the user's ticket in a
  // cache other than their primary one, where GSSAPI still finds it.
  krb5_cccol_cursor collection = nullptr;
  if (!found && krb5_cccol_cursor_new(ctx, &collection) == 0) {
    krb5_ccache next = nullptr;
    while (!found && krb5_cccol_cursor_next(ctx, collection, &next) == 0 && next) {
      found = HoldsCredential(ctx, next);
      krb5_cc_close(ctx, next);
    }
    krb5_cccol_cursor_free(ctx, &collection);
  }
  krb5_free_context(ctx);
  return found;
}

}  // namespace velloran
