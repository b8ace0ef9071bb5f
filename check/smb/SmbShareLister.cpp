#include "check/smb/SmbShareLister.h"

#include <fcntl.h>
#include <libsmbclient.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>

namespace velloran::check {

namespace {

bool FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// Credential caches that are not files (KEYRING:, KCM:) cannot be looked
// at cheaply; the logon finds out.
bool HasKerberosTicket() {
  const char* cc = std::getenv("KRB5CCNAME");
  if (cc && *cc) {
    std::string name = cc;
    if (name.starts_with("FILE:")) return FileExists(name.substr(5));
    if (name.find(':') == std::string::npos) return FileExists(name);
    return true;
  }
  return FileExists("/tmp/krb5cc_" + std::to_string(::getuid()));
}

void Copy(const std::string& text, char* out, int size) {
  if (size <= 0) return;
  const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

void ProvideCredentials(SMBCCTX* ctx, const char*, const char*, char* workgroup, int workgroupSize,
                        char* user, int userSize, char* password, int passwordSize) {
  const auto* c = static_cast<const SmbCredentials*>(smbc_getOptionUserData(ctx));
  std::string name = c->User.empty() ? "guest" : c->User;
  // "DOMAIN\user" names the domain apart; "user@REALM" goes as it is.
  if (const size_t slash = name.find('\\'); slash != std::string::npos) {
    Copy(name.substr(0, slash), workgroup, workgroupSize);
    name.erase(0, slash + 1);
  }
  Copy(name, user, userSize);
  Copy(c->User.empty() ? std::string() : c->Password, password, passwordSize);
}

// The library writes its own diagnostics to stderr unless told otherwise;
// the reason for a failure reaches the caller through errno.
void Quiet(void*, int, const char*) {}

ServerAnswer Failed(int err) {
  ServerAnswer a;
  a.State = err == EACCES || err == EPERM ? ServerState::AccessDenied : ServerState::Unreachable;
  a.Detail = std::strerror(err);
  a.TimedOut = err == ETIMEDOUT;
  return a;
}

// What a child reports: "E<errno>" for a failure, else "L" and one record
// per share, "<type> <length> <name>".
std::string ListShares(const SmbCredentials& credentials, const std::string& server,
                       int timeoutMs) {
  SMBCCTX* ctx = smbc_new_context();
  if (!ctx) return "E" + std::to_string(errno ? errno : ENOMEM) + "\n";
  smbc_setLogCallback(ctx, nullptr, Quiet);
  smbc_setDebug(ctx, 0);
  smbc_setOptionUserData(ctx, const_cast<SmbCredentials*>(&credentials));
  smbc_setFunctionAuthDataWithContext(ctx, ProvideCredentials);
  smbc_setTimeout(ctx, timeoutMs);
  smbc_setPort(ctx, 445);
  smbc_setOptionUseKerberos(ctx, credentials.Kerberos);
  smbc_setOptionFallbackAfterKerberos(ctx, true);
  smbc_setOptionNoAutoAnonymousLogin(ctx, false);
  if (!smbc_init_context(ctx)) return "E" + std::to_string(errno ? errno : EINVAL) + "\n";
  const std::string url = "smb://" + server;
  errno = 0;
  SMBCFILE* dir = smbc_getFunctionOpendir(ctx)(ctx, url.c_str());
  if (!dir) return "E" + std::to_string(errno ? errno : EIO) + "\n";
  std::string out = "L";
  while (const smbc_dirent* e = smbc_getFunctionReaddir(ctx)(ctx, dir)) {
    const std::string name = e->name;
    out += std::to_string(e->smbc_type) + " " + std::to_string(name.size()) + " " + name;
  }
  smbc_getFunctionClosedir(ctx)(ctx, dir);
  return out;
}

std::optional<ServerAnswer> Parse(const std::string& text) {
  if (text.starts_with("E")) return Failed(std::atoi(text.c_str() + 1));
  if (!text.starts_with("L")) return std::nullopt;
  ServerAnswer answer;
  answer.State = ServerState::Answered;
  answer.WholeList = true;
  size_t at = 1;
  while (at < text.size()) {
    int type = 0;
    size_t length = 0;
    int used = 0;
    if (std::sscanf(text.c_str() + at, "%d %zu %n", &type, &length, &used) != 2 || used <= 0 ||
        at + used + length > text.size())
      return std::nullopt;
    at += used;
    const ShareKind kind = type == SMBC_PRINTER_SHARE ? ShareKind::Printer
                           : type == SMBC_FILE_SHARE  ? ShareKind::Disk
                                                      : ShareKind::Other;
    answer.Shares.push_back(Share{text.substr(at, length), kind, {}, false});
    at += length;
  }
  return answer;
}

constexpr int kAnswerFd = 3;

// The library keeps process-wide state and is not made for threads, and a
// server that also hangs on port 139 holds a call far beyond its time-out:
// each server is asked by a child process, which the deadline kills.
class SmbShareLister : public ShareLister {
 public:
  explicit SmbShareLister(SmbCredentials credentials) : credentials_(std::move(credentials)) {}

  ServerAnswer Ask(const ServerQuestion& question, Clock::time_point deadline) override {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return Failed(ETIMEDOUT);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return Failed(errno);
    const pid_t child = ::fork();
    if (child < 0) {
      const int err = errno;
      ::close(fds[0]);
      ::close(fds[1]);
      return Failed(err);
    }
    if (child == 0) {
      // Other servers' children are forked from other threads at the same
      // time: a pipe end of theirs left open here would keep their reader
      // from seeing the end of its answer until this child ends.
      const int out = fds[1] == kAnswerFd ? fds[1] : ::dup2(fds[1], kAnswerFd);
      if (out != kAnswerFd) ::_exit(1);
      ::close_range(kAnswerFd + 1, ~0U, 0);
      const std::string text = ListShares(credentials_, question.Server, static_cast<int>(left));
      for (size_t at = 0; at < text.size();) {
        const ssize_t n = ::write(kAnswerFd, text.data() + at, text.size() - at);
        if (n <= 0) break;
        at += static_cast<size_t>(n);
      }
      ::_exit(0);
    }
    ::close(fds[1]);
    std::string text;
    bool complete = false;
    char buffer[4096];
    for (;;) {
      const auto wait =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (wait <= 0) break;
      pollfd p{fds[0], POLLIN, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(wait));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) break;
      const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        complete = n == 0;
        break;
      }
      text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    if (!complete) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!complete) return Failed(ETIMEDOUT);
    std::optional<ServerAnswer> answer;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) answer = Parse(text);
    if (answer) return *answer;
    ServerAnswer broken;
    broken.Detail = "the SMB client ended without an answer";
    return broken;
  }

 private:
  const SmbCredentials credentials_;
};

}  // namespace

Result<SmbCredentials> SmbCredentialsFromEnvironment() {
  SmbCredentials c;
  if (HasKerberosTicket()) c.Kerberos = true;
  const char* user = std::getenv("VELLORAN_LDAP_USER");
  const char* file = std::getenv("VELLORAN_LDAP_PASSWORD_FILE");
  if (user && *user && file && *file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      const int err = errno ? errno : ENOENT;
      return PlatformError{
          err, std::string("VELLORAN_LDAP_PASSWORD_FILE ") + file + ": " + std::strerror(err)};
    }
    std::getline(in, c.Password);
    if (!c.Password.empty() && c.Password.back() == '\r') c.Password.pop_back();
    c.User = user;
  }
  return c;
}

std::shared_ptr<ShareLister> MakeSmbShareLister(SmbCredentials credentials) {
  return std::make_shared<SmbShareLister>(std::move(credentials));
}

}  // namespace velloran::check
