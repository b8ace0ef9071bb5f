#pragma once
// A throw-away Active Directory domain controller (Samba) on a loopback
// address of its own: LDAP, LDAPS and the KDC only, with a certificate from
// a test CA that names both the DC's host name and its address.

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/Fakes.h"

namespace velloran::test {

/// A print queue published the way Windows publishes one: below its
/// server's computer object, with the server in its own attributes.
struct PublishedQueue {
  std::string Server;  // short (NetBIOS) name
  std::string Printer;
  std::string Share;
};

class SambaDC {
 public:
  static constexpr const char* kRealm = "VELLORAN.TEST";
  static constexpr const char* kBaseDN = "DC=velloran,DC=test";
  static constexpr const char* kAdmin = "Administrator";
  static constexpr const char* kAdminPassword = "Vell0ran-Test!";

  /// Provisions the domain, applies `ldif` (additions and "changetype:
  /// modify" records) and starts the DC. Takes some seconds: make one per
  /// test program.
  explicit SambaDC(const std::string& ldif);
  ~SambaDC();
  SambaDC(const SambaDC&) = delete;
  SambaDC& operator=(const SambaDC&) = delete;

  /// The DC's own loopback address (127.x.y.z), chosen per run: LDAP keeps
  /// its fixed ports, so parallel runs are kept apart by address.
  const std::string& Address() const { return address_; }
  /// "dc1.velloran.test": what the certificate names besides the address.
  std::string HostName() const;
  /// The CA that issued the DC's certificate.
  std::string CaFile() const { return (dir_ / "tls/ca.pem").string(); }
  /// A krb5.conf whose realm's KDC is this DC.
  std::string Krb5Config() const { return (dir_ / "krb5.conf").string(); }
  std::string Folder() const { return dir_.str(); }
  /// Seconds spent provisioning, loading and starting.
  double ProvisionSeconds = 0, LoadSeconds = 0, StartSeconds = 0;

  /// Gets a ticket for `user` into the credential cache file `cache`
  /// (KRB5_CONFIG must name Krb5Config()); returns kinit's error text.
  std::string Kinit(const std::string& user, const std::string& password,
                    const std::string& cache) const;

  /// Joins a computer named `name` to the domain as a domain join does and
  /// writes its keys (principal NAME$) to the keytab `keytab`; returns the
  /// tools' error text.
  std::string JoinComputer(const std::string& name, const std::string& keytab) const;

 private:
  void MakeCertificates();
  void Provision();
  void Load(const std::string& ldif);
  void Start();
  void Stop();

  TempDir dir_;
  std::string address_;
  int kdcPort_ = 0;
  pid_t pid_ = -1;
  /// The write end of the DC's standard input.
  int stdin_ = -1;
};

/// The domain controller the tests of this program share (null until made,
/// or when it could not start).
SambaDC*& SharedDC();

/// The LDIF of computer objects for the queues' servers below `parentDN`
/// (which must exist) and of the queues below them.
std::string PublishedQueueLdif(const std::string& parentDN,
                               const std::vector<PublishedQueue>& queues);

}  // namespace velloran::test
