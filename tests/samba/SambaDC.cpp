#include "tests/samba/SambaDC.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>

#include "tests/support/EngineProcess.h"
#include "tests/support/Loopback.h"

namespace velloran::test {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Program(const std::string& path, const std::string& package) {
  if (::access(path.c_str(), X_OK) != 0)
    throw std::runtime_error(path + " not found: install the Debian package " + package);
  return path;
}

void Check(const ProcessResult& r, const std::string& what) {
  if (r.ExitCode != 0)
    throw std::runtime_error(what + " failed (" + std::to_string(r.ExitCode) + "): " + r.Stdout +
                             r.Stderr);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Samba's provisioning and loader need the system's Python, not whichever
// python3 comes first on PATH.
constexpr const char* kPython = "/usr/bin/python3";

}  // namespace

std::string PublishedQueueLdif(const std::string& parentDN,
                               const std::vector<PublishedQueue>& queues) {
  const std::string& computers = parentDN;
  std::string out;
  out.reserve(queues.size() * 300);
  std::set<std::string> servers;
  for (const auto& q : queues) {
    if (!servers.insert(q.Server).second) continue;
    out += "dn: CN=" + q.Server + "," + computers +
           "\nobjectClass: computer\nsAMAccountName: " + q.Server + "$\n\n";
  }
  for (const auto& q : queues) {
    out += "dn: CN=" + q.Server + "-" + q.Printer + ",CN=" + q.Server + "," + computers +
           "\nobjectClass: printQueue\nprinterName: " + q.Printer + "\nprintShareName: " + q.Share +
           "\nserverName: " + Lower(q.Server) + ".velloran.test" +
           "\nshortServerName: " + q.Server + "\nuNCName: \\\\" + q.Server + "\\" + q.Share +
           "\nversionNumber: 4\n\n";
  }
  return out;
}

SambaDC::SambaDC(const std::string& ldif) {
  // An address of 127/8 that no other run uses: the DC binds it alone.
  std::random_device seed;
  std::mt19937 rng(seed() ^ static_cast<unsigned>(::getpid()));
  do {
    address_ = "127." + std::to_string(1 + rng() % 254) + "." + std::to_string(rng() % 256) + "." +
               std::to_string(1 + rng() % 254);
  } while (AcceptsConnections(address_, 389));
  kdcPort_ = FreeLoopbackPort();

  auto t = Clock::now();
  MakeCertificates();
  Provision();
  ProvisionSeconds = SecondsSince(t);
  t = Clock::now();
  Load(ldif);
  LoadSeconds = SecondsSince(t);
  t = Clock::now();
  Start();
  StartSeconds = SecondsSince(t);
}

SambaDC::~SambaDC() { Stop(); }

std::string SambaDC::HostName() const { return "dc1." + Lower(kRealm); }

void SambaDC::MakeCertificates() {
  const std::string openssl = Program("/usr/bin/openssl", "openssl");
  const fs::path tls = dir_ / "tls";
  fs::create_directories(tls);
  const std::string d = tls.string();
  WriteFile(tls / "dc.ext", "subjectAltName=DNS:" + HostName() + ",IP:" + address_ +
                                "\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n");
  const std::vector<std::string> ec = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                                       "-nodes"};
  auto with = [&](std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  Check(RunProcess(openssl, with({"req", "-x509"},
                                 with(ec, {"-keyout", d + "/ca.key", "-out", d + "/ca.pem", "-days",
                                           "3", "-subj", "/CN=Velloran Test CA"}))),
        "openssl (CA)");
  Check(RunProcess(openssl, with({"req"}, with(ec, {"-keyout", d + "/key.pem", "-out",
                                                    d + "/dc.csr", "-subj", "/CN=" + HostName()}))),
        "openssl (request)");
  Check(RunProcess(openssl, {"x509", "-req", "-in", d + "/dc.csr", "-CA", d + "/ca.pem", "-CAkey",
                             d + "/ca.key", "-CAcreateserial", "-out", d + "/cert.pem", "-days",
                             "3", "-extfile", d + "/dc.ext"}),
        "openssl (certificate)");
  // Samba refuses a private key that others could read.
  ::chmod((d + "/key.pem").c_str(), 0600);
}

void SambaDC::Provision() {
  const std::string tool = Program("/usr/bin/samba-tool", "samba samba-ad-provision");
  const std::string d = dir_.str();
  fs::create_directories(dir_ / "run");
  const std::string realm = kRealm;
  std::vector<std::string> args = {tool,
                                   "domain",
                                   "provision",
                                   "--realm=" + realm,
                                   "--domain=" + realm.substr(0, realm.find('.')),
                                   "--server-role=dc",
                                   "--dns-backend=NONE",
                                   "--host-name=dc1",
                                   "--adminpass=" + std::string(kAdminPassword),
                                   "--targetdir=" + d + "/dc"};
  for (const std::string& option :
       {"interfaces=" + address_ + "/8", std::string("bind interfaces only=yes"),
        std::string("server services=ldap kdc"), "krb5 port=" + std::to_string(kdcPort_),
        // Everything in the test's folder: two runs at once must not meet
        // in /run/samba over a pid file.
        "pid directory=" + d + "/run", "ncalrpc dir=" + d + "/run/ncalrpc",
        std::string("tls enabled=yes"), "tls keyfile=" + d + "/tls/key.pem",
        "tls certfile=" + d + "/tls/cert.pem", "tls cafile=" + d + "/tls/ca.pem",
        // What hardened domains do: no simple bind outside TLS. Like Active
        // Directory, Kerberos inside TLS then goes without its own layer;
        // Samba's stricter "yes" refuses Kerberos inside TLS altogether.
        std::string("ldap server require strong auth=allow_sasl_over_tls")})
    args.push_back("--option=" + option);
  // The databases are thrown away: waiting for the disk buys nothing.
  Check(RunProcess(kPython, args, {{"TDB_NO_FSYNC", "1"}}), "samba-tool domain provision");

  WriteFile(dir_ / "krb5.conf", "[libdefaults]\n default_realm = " + realm +
                                    "\n dns_lookup_kdc = false\n dns_lookup_realm = false\n"
                                    " rdns = false\n dns_canonicalize_hostname = false\n"
                                    "[realms]\n " +
                                    realm + " = {\n  kdc = " + address_ + ":" +
                                    std::to_string(kdcPort_) + "\n }\n");
}

void SambaDC::Load(const std::string& ldif) {
  // Clients ask for the service name of the host as they name it; a client
  // that names the DC by its address needs ldap/<address> on the DC.
  const std::string all = std::string("dn: CN=DC1,OU=Domain Controllers,") + kBaseDN +
                          "\nchangetype: modify\nadd: servicePrincipalName\n"
                          "servicePrincipalName: ldap/" +
                          address_ + "\n\n" + ldif;
  WriteFile(dir_ / "load.ldif", all);
  Check(RunProcess(kPython,
                   {VELLORAN_SOURCE_DIR "/tests/samba/samba_load.py",
                    (dir_ / "dc/etc/smb.conf").string(), (dir_ / "load.ldif").string()},
                   {{"TDB_NO_FSYNC", "1"}}),
        "loading the directory");
}

void SambaDC::Start() {
  const std::string samba = Program("/usr/sbin/samba", "samba");
  const std::string conf = (dir_ / "dc/etc/smb.conf").string();
  const std::string log = (dir_ / "samba.log").string();
  // In the foreground Samba ends when its standard input does: should this
  // process die without stopping it, the DC goes too.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  pid_ = StartServer({.Program = samba,
                      .Args = {"-i", "-M", "single", "-s", conf},
                      .Log = log,
                      .Env = {{"TDB_NO_FSYNC", "1"}},
                      .Stdin = fds[0]});
  ::close(fds[0]);
  stdin_ = fds[1];
  if (WaitForServer(pid_, std::chrono::seconds(90), std::chrono::milliseconds(50), [this] {
        return AcceptsConnections(address_, 389) && AcceptsConnections(address_, 636) &&
               AcceptsConnections(address_, kdcPort_);
      }))
    return;
  Stop();
  throw std::runtime_error("samba did not start: " + ReadFile(log));
}

void SambaDC::Stop() {
  StopProcess(pid_, std::chrono::seconds(10));
  if (stdin_ >= 0) {
    ::close(stdin_);
    stdin_ = -1;
  }
}

std::string SambaDC::Kinit(const std::string& user, const std::string& password,
                           const std::string& cache) const {
  const fs::path secret = dir_ / "kinit.pw";
  WriteFile(secret, password + "\n");
  auto r = RunProcess("/bin/sh",
                      {"-c", "exec kinit \"$0\" < \"$1\"", user + "@" + kRealm, secret.string()},
                      {{"KRB5_CONFIG", Krb5Config()}, {"KRB5CCNAME", "FILE:" + cache}});
  fs::remove(secret);
  return r.ExitCode == 0 ? "" : r.Stdout + r.Stderr;
}

}  // namespace velloran::test
