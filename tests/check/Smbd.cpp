#include "tests/check/Smbd.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "tests/support/EngineProcess.h"
#include "tests/support/Loopback.h"

namespace velloran::test {

namespace fs = std::filesystem;

namespace {

// A socket bound to ADDRESS:445, or -1.
int Bound445(const std::string& address) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(445);
  ::inet_pton(AF_INET, address.c_str(), &a.sin_addr);
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
  ::close(fd);
  return -1;
}

bool Binds445(const std::string& address) {
  const int fd = Bound445(address);
  if (fd >= 0) ::close(fd);
  return fd >= 0;
}

// samba-dcerpcd and its rpcd_* workers leave smbd's process group; they
// are known by the private configuration file in their command line.
std::vector<pid_t> HelpersOf(const std::string& config) {
  std::vector<pid_t> out;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream in(entry.path() / "cmdline", std::ios::binary);
    std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (cmdline.find(config) != std::string::npos) out.push_back(std::stoi(name));
  }
  return out;
}

}  // namespace

std::string FreeSmbAddress() {
  static std::atomic<int> next = 0;
  const int pid = static_cast<int>(::getpid());
  for (int attempt = 0; attempt < 200; ++attempt) {
    const int n = next++;
    const std::string address = "127." + std::to_string(100 + pid % 100) + "." +
                                std::to_string((pid / 100) % 250 + 1) + "." +
                                std::to_string(n % 250 + 2);
    if (Binds445(address)) return address;
  }
  throw std::runtime_error("no loopback address with port 445 free");
}

Smbd::Smbd(const std::string& address, const std::vector<std::string>& printers,
           const std::vector<std::string>& disks, bool guests)
    : address_(address) {
  const fs::path d = dir_.path();
  for (const char* sub :
       {"private", "lock", "state", "cache", "pid", "ncalrpc", "log", "spool", "disk"})
    fs::create_directories(d / sub);
  fs::permissions(d, fs::perms(0755));
  fs::permissions(d / "spool", fs::perms(01777));
  std::string conf =
      "[global]\n"
      "server role = standalone server\n"
      "interfaces = " +
      address +
      "/8\n"
      "bind interfaces only = yes\n"
      "smb ports = 445\n"
      "disable netbios = yes\n"
      "workgroup = VELLORAN\n"
      "map to guest = " +
      std::string(guests ? "bad user" : "never\nrestrict anonymous = 2") +
      "\n"
      "load printers = no\n"
      "printing = bsd\n"
      "printcap name = /dev/null\n"
      "log level = 1\n"
      "log file = " +
      (d / "log/log.%m").string() + "\n";
  for (const auto& [key, sub] :
       std::vector<std::pair<std::string, std::string>>{{"private dir", "private"},
                                                        {"lock directory", "lock"},
                                                        {"state directory", "state"},
                                                        {"cache directory", "cache"},
                                                        {"pid directory", "pid"},
                                                        {"ncalrpc dir", "ncalrpc"}})
    conf += key + " = " + (d / sub).string() + "\n";
  for (const std::string& p : printers)
    conf += "[" + p + "]\npath = " + (d / "spool").string() +
            "\nprintable = yes\nguest ok = yes\nprint command = rm -f %s\n";
  for (const std::string& s : disks)
    conf += "[" + s + "]\npath = " + (d / "disk").string() + "\nguest ok = yes\n";
  WriteFile(d / "smb.conf", conf);

  const std::string config = (d / "smb.conf").string(), out = (d / "log/smbd.out").string();
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(fd, 1);
    ::dup2(fd, 2);
    // smbd ends by signalling its whole process group: it gets one of its
    // own, or it would take the test with it. "-F" keeps it in the
    // foreground, so its PID is this child's.
    ::setpgid(0, 0);
    ::execl("/usr/sbin/smbd", "smbd", "-F", "--no-process-group", "--debug-stdout", "-s",
            config.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (WaitForServer(pid_, std::chrono::seconds(20), std::chrono::milliseconds(10),
                    [this] { return AcceptsConnections(address_, 445); }))
    return;
  const std::string log = Log();
  Stop();
  throw std::runtime_error("smbd did not start on " + address_ + " (it needs root for port 445, " +
                           "and the Debian package samba): " + log);
}

Smbd::~Smbd() { Stop(); }

std::string Smbd::Log() const {
  std::error_code ec;
  return fs::exists(dir_ / "log/smbd.out", ec) ? ReadFile(dir_ / "log/smbd.out") : "";
}

void Smbd::Stop() {
  StopProcess(pid_);
  const std::string config = (dir_ / "smb.conf").string();
  for (pid_t helper : HelpersOf(config)) ::kill(helper, SIGTERM);
  for (int i = 0; i < 100 && !HelpersOf(config).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  for (pid_t helper : HelpersOf(config)) ::kill(helper, SIGKILL);
}

SilentServer::SilentServer(const std::string& address) {
  fd_ = Bound445(address);
  // The kernel completes the handshakes; no one ever accepts or reads.
  if (fd_ < 0 || ::listen(fd_, 64) != 0) {
    if (fd_ >= 0) ::close(fd_);
    throw std::runtime_error("cannot listen on " + address + ":445");
  }
}

SilentServer::~SilentServer() { ::close(fd_); }

}  // namespace velloran::test
