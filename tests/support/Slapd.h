#pragma once
// A private slapd with a schema shaped like Active Directory's print
// queues, on a free loopback port, for tests and benchmarks.

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/Fakes.h"
#include "tests/support/Loopback.h"

namespace velloran::test {

/// One published print queue: "name" ("SERVER-Share") and its share names.
struct PrintQueue {
  std::string Name;
  std::vector<std::string> Shares;
};

/// Builds the LDIF of print queues below `parentDN` (which must exist).
std::string PrintQueueLdif(const std::string& parentDN, const std::vector<PrintQueue>& queues);
/// An organizational unit below the suffix.
std::string OrganizationalUnitLdif(const std::string& ou);

class Slapd {
 public:
  static constexpr const char* kSuffix = "dc=corp,dc=test";
  static constexpr const char* kAdminDN = "cn=admin,dc=corp,dc=test";
  static constexpr const char* kAdminPassword = "s3cret";

  /// Loads the suffix entry plus `ldif` and starts the server. Like Active
  /// Directory it answers at most 1000 records per search unless asked by
  /// pages; "ou=Secure" below the suffix is readable by bound users only.
  /// `sizeLimit` replaces that rule (a slapd.conf "sizelimit" line).
  explicit Slapd(const std::string& ldif, const std::string& sizeLimit = kActiveDirectoryLimits);
  static constexpr const char* kActiveDirectoryLimits =
      "sizelimit size.soft=1000 size.hard=1000 size.pr=1000 size.prtotal=unlimited";
  ~Slapd();
  Slapd(const Slapd&) = delete;
  Slapd& operator=(const Slapd&) = delete;

  int Port() const { return port_; }
  /// "127.0.0.1:PORT", the server part of a directory path.
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Uri() const { return "ldap://" + HostPort() + "/"; }
  std::string Folder() const { return dir_.str(); }

 private:
  void Start();
  void Stop();

  TempDir dir_;
  int port_ = 0;
  pid_t pid_ = -1;
};

/// The path of an installed OpenLDAP program (slapd, slapadd, ldapsearch).
std::string LdapProgram(const std::string& name);

}  // namespace velloran::test
