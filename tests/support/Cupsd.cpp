#include "tests/support/Cupsd.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/EngineProcess.h"

namespace velloran::test {

namespace fs = std::filesystem;

namespace {

bool BindsOn(const std::string& address, int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  ::close(fd);
  return ok;
}

bool Accepts(const std::string& address) {
  if (address.front() == '/') {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    address.copy(a.sun_path, sizeof a.sun_path - 1);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
  }
  size_t colon = address.rfind(':');
  return AcceptsConnections(address.substr(0, colon), std::stoi(address.substr(colon + 1)));
}

// Print servers let anyone do anything; a client keeps administration for
// the system group, which is what the engine's permission failure is about.
std::string SchedulerConfig(const std::string& listen, bool open) {
  std::string conf =
      "Listen " + listen +
      "\nLogLevel info\nBrowsing No\nWebInterface No\nDefaultAuthType Basic\n"
      "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n<Policy default>\n";
  // A developer running the tests without root administers the client too.
  std::string admins = "@SYSTEM";
  if (const passwd* me = ::getpwuid(::geteuid()); me && ::geteuid() != 0)
    admins += std::string(" ") + me->pw_name;
  if (!open)
    conf +=
        "  <Limit CUPS-Add-Modify-Printer CUPS-Delete-Printer CUPS-Add-Modify-Class "
        "CUPS-Delete-Class "
        "CUPS-Set-Default CUPS-Get-Devices Pause-Printer Resume-Printer Enable-Printer "
        "Disable-Printer "
        "CUPS-Accept-Jobs CUPS-Reject-Jobs>\n    AuthType Default\n    Require user " +
        admins + "\n    Order deny,allow\n  </Limit>\n";
  conf += "  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
  return conf;
}

}  // namespace

std::string CupsProgram(const std::string& name) {
  for (const char* dir : {"/usr/sbin", "/usr/bin", "/usr/local/sbin", "/usr/local/bin"}) {
    fs::path p = fs::path(dir) / name;
    if (::access(p.c_str(), X_OK) == 0) return p.string();
  }
  throw std::runtime_error(name + " not found: install the Debian packages cups and cups-client");
}

int FreePortOn(const std::vector<std::string>& addresses) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    int port = FreeLoopbackPort();
    bool free = true;
    for (const auto& a : addresses) free = free && BindsOn(a, port);
    if (free) return port;
  }
  throw std::runtime_error("no port free on every test address");
}

Cupsd::Cupsd(const std::string& address, int port)
    : address_(address + ":" + std::to_string(port)), open_(true) {
  Start();
}

Cupsd::Cupsd() : address_((dir_ / "cups.sock").string()), open_(false) { Start(); }

Cupsd::~Cupsd() { Stop(); }

void Cupsd::Start() {
  const fs::path d = dir_.path();
  for (const char* sub : {"spool", "cache", "state", "log", "ppd"}) fs::create_directories(d / sub);
  // Filters and backends run as lp: every folder above the spool must let
  // lp through, and the client's socket must be reachable for other users.
  for (const fs::path& p : {d, d / "cache", d / "state", d / "log", d / "ppd"})
    fs::permissions(p, fs::perms(0755));
  fs::permissions(d / "spool", fs::perms(01770));
  if (const group* lp = ::getgrnam("lp"); lp && ::geteuid() == 0)
    if (::chown((d / "spool").c_str(), 0, lp->gr_gid) != 0)
      throw std::runtime_error("chown spool failed");

  WriteFile(d / "cupsd.conf", SchedulerConfig(address_, open_));
  WriteFile(d / "cups-files.conf",
            "ServerRoot " + d.string() + "\nRequestRoot " + (d / "spool").string() + "\nCacheDir " +
                (d / "cache").string() + "\nStateDir " + (d / "state").string() + "\nAccessLog " +
                (d / "log/access_log").string() + "\nErrorLog " + (d / "log/error_log").string() +
                "\nPageLog " + (d / "log/page_log").string() +
                "\nFileDevice Yes\nUser lp\nGroup lp\nSystemGroup root lpadmin\n");
  const std::string cupsd = CupsProgram("cupsd");
  const std::string conf = (d / "cupsd.conf").string(), files = (d / "cups-files.conf").string();
  const std::string out = (d / "log/cupsd.out").string();
  // "-f" keeps cupsd in the foreground: its PID is the one started.
  pid_ = StartServer({.Program = cupsd, .Args = {"-f", "-c", conf, "-s", files}, .Log = out});
  if (WaitForServer(pid_, std::chrono::seconds(10), std::chrono::milliseconds(5),
                    [this] { return Accepts(address_); }))
    return;
  Stop();
  throw std::runtime_error("cupsd did not start on " + address_ + ": " + ReadFile(out) +
                           ErrorLog());
}

void Cupsd::Stop() { StopProcess(pid_); }

std::string Cupsd::Command(const std::string& program, const std::vector<std::string>& args) const {
  auto r = RunProcess(CupsProgram(program), args, Env());
  if (r.ExitCode != 0)
    throw std::runtime_error(program + " failed (" + std::to_string(r.ExitCode) + "): " + r.Stderr);
  return r.Stdout;
}

void Cupsd::AddSharedQueue(const std::string& name) const {
  // A queue with a driver answers the client's driverless queries; a raw
  // one would leave the client's queue without a description.
  Command("lpadmin", {"-p", name, "-E", "-v", "file:///dev/null", "-m",
                      "drv:///sample.drv/generic.ppd", "-o", "printer-is-shared=true"});
}

void Cupsd::AddQueue(const std::string& name, const std::string& deviceUri, bool driverless) const {
  std::vector<std::string> args{"-p", name, "-E", "-v", deviceUri};
  if (driverless) args.insert(args.end(), {"-m", "everywhere"});
  Command("lpadmin", args);
  // lpadmin returns while the scheduler still asks the server for its
  // description; options set before it is done would be lost.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (driverless &&
         Command("lpoptions", {"-p", name}).find("IPP Everywhere") == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline)
      throw std::runtime_error("the driverless queue " + name +
                               " got no description: " + ErrorLog());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::map<std::string, std::string> Cupsd::Devices() const {
  std::map<std::string, std::string> devices;
  auto r = RunProcess(CupsProgram("lpstat"), {"-v"}, Env());
  std::istringstream lines(r.Stdout);
  std::string line;
  // "device for NAME: URI"
  while (std::getline(lines, line)) {
    if (line.rfind("device for ", 0) != 0) continue;
    size_t colon = line.find(": ", 11);
    if (colon != std::string::npos) devices[line.substr(11, colon - 11)] = line.substr(colon + 2);
  }
  return devices;
}

std::string Cupsd::CompletedJobs(const std::string& queue) const {
  return RunProcess(CupsProgram("lpstat"), {"-W", "completed", "-o", queue}, Env()).Stdout;
}

std::string Cupsd::ErrorLog() const { return ReadFile(dir_ / "log/error_log"); }

}  // namespace velloran::test
