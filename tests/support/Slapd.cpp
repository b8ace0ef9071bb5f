#include "tests/support/Slapd.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "tests/support/EngineProcess.h"

namespace velloran::test {

namespace fs = std::filesystem;

namespace {

// objectCategory and printShareName as plain case-ignoring strings: Debian's
// msuser.schema makes objectCategory a DN, which "(objectCategory=printQueue)"
// would never match. OIDs from the documentation arc (RFC 5612).
const char* kSchema = R"(attributetype ( 1.3.6.1.4.1.32473.1.1.1 NAME 'objectCategory'
  EQUALITY caseIgnoreMatch SUBSTR caseIgnoreSubstringsMatch
  SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 SINGLE-VALUE )
attributetype ( 1.3.6.1.4.1.32473.1.1.2 NAME 'printShareName'
  EQUALITY caseIgnoreMatch SUBSTR caseIgnoreSubstringsMatch
  SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 )
attributetype ( 1.3.6.1.4.1.32473.1.1.3 NAME 'defaultNamingContext'
  EQUALITY distinguishedNameMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.12 SINGLE-VALUE )
objectclass ( 1.3.6.1.4.1.32473.1.2.1 NAME 'printQueue' SUP top STRUCTURAL
  MUST cn MAY ( name $ objectCategory $ printShareName ) )
)";

}  // namespace

std::string LdapProgram(const std::string& name) {
  for (const char* dir : {"/usr/sbin", "/usr/bin", "/usr/local/sbin", "/usr/local/bin"}) {
    fs::path p = fs::path(dir) / name;
    if (::access(p.c_str(), X_OK) == 0) return p.string();
  }
  throw std::runtime_error(name + " not found: install the Debian packages slapd and ldap-utils");
}

std::string OrganizationalUnitLdif(const std::string& ou) {
  return "dn: ou=" + ou + "," + Slapd::kSuffix + "\nobjectClass: organizationalUnit\nou: " + ou +
         "\n\n";
}

std::string PrintQueueLdif(const std::string& parentDN, const std::vector<PrintQueue>& queues) {
  std::string out;
  out.reserve(queues.size() * 160);
  for (const auto& q : queues) {
    out += "dn: cn=" + q.Name + "," + parentDN + "\nobjectClass: printQueue\ncn: " + q.Name +
           "\nname: " + q.Name + "\nobjectCategory: printQueue\n";
    for (const auto& s : q.Shares) out += "printShareName: " + s + "\n";
    out += "\n";
  }
  return out;
}

Slapd::Slapd(const std::string& ldif, const std::string& sizeLimit) {
  const std::string d = dir_.str();
  fs::create_directories(dir_ / "db");
  WriteFile(dir_ / "ad.schema", kSchema);
  WriteFile(dir_ / "rootdse.ldif", std::string("dn:\ndefaultNamingContext: ") + kSuffix + "\n");
  // size.pr/prtotal let a paged search read everything while an unpaged one
  // stops at 1000, as Active Directory does; a plain "sizelimit 1000" would
  // cap paged searches too.
  WriteFile(dir_ / "slapd.conf",
            "include /etc/ldap/schema/core.schema\n"
            "include " +
                d +
                "/ad.schema\n"
                "rootDSE " +
                d + "/rootdse.ldif\n" + sizeLimit +
                "\n"
                "modulepath /usr/lib/ldap\nmoduleload back_mdb\n"
                "database mdb\n"
                "suffix \"" +
                std::string(kSuffix) +
                "\"\n"
                "rootdn \"" +
                kAdminDN + "\"\nrootpw " + kAdminPassword +
                "\n"
                "directory " +
                d +
                "/db\nmaxsize 268435456\n"
                "access to dn.subtree=\"ou=Secure," +
                kSuffix +
                "\" by users read by anonymous auth\n"
                "access to * by * read\n");
  WriteFile(dir_ / "data.ldif",
            std::string("dn: ") + kSuffix +
                "\nobjectClass: dcObject\nobjectClass: organization\ndc: corp\no: corp\n\n" + ldif);
  auto added =
      RunProcess(LdapProgram("slapadd"), {"-q", "-f", d + "/slapd.conf", "-l", d + "/data.ldif"});
  if (added.ExitCode != 0) throw std::runtime_error("slapadd failed: " + added.Stderr);
  Start();
}

Slapd::~Slapd() { Stop(); }

void Slapd::Start() {
  const std::string slapd = LdapProgram("slapd");
  const std::string d = dir_.str();
  // Another process may take the port between the probe and the start.
  for (int attempt = 0; attempt < 5; ++attempt) {
    port_ = FreeLoopbackPort();
    const std::string url = "ldap://127.0.0.1:" + std::to_string(port_) + "/";
    // "-d 0" keeps slapd in the foreground: its PID is the one started.
    pid_ = StartServer({.Program = slapd,
                        .Args = {"-f", d + "/slapd.conf", "-h", url, "-d", "0"},
                        .Log = d + "/slapd.log"});
    if (WaitForServer(pid_, std::chrono::seconds(10), std::chrono::milliseconds(5),
                      [this] { return AcceptsConnections("127.0.0.1", port_); }))
      return;
    Stop();
  }
  throw std::runtime_error("slapd did not start: " + ReadFile(dir_ / "slapd.log"));
}

void Slapd::Stop() { StopProcess(pid_); }

}  // namespace velloran::test
