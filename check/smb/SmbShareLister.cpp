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
#include <vector>

#include "check/smb/SmbAnswer.h"

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

static_assert(kSmbFileShare == SMBC_FILE_SHARE && kSmbPrinterShare == SMBC_PRINTER_SHARE);

std::string FailureText(int err) {
  SmbReply reply;
  reply.Error = err;
  return SmbReplyText(reply);
}

// What a child reports (SmbReplyText).
std::string ListShares(const SmbCredentials& credentials, const std::string& server,
                       int timeoutMs) {
  SMBCCTX* ctx = smbc_new_context();
  if (!ctx) return FailureText(errno ? errno : ENOMEM);
  smbc_setLogCallback(ctx, nullptr, Quiet);
  smbc_setDebug(ctx, 0);
  smbc_setOptionUserData(ctx, const_cast<SmbCredentials*>(&credentials));
  smbc_setFunctionAuthDataWithContext(ctx, ProvideCredentials);
  smbc_setTimeout(ctx, timeoutMs);
  smbc_setPort(ctx, 445);
  smbc_setOptionUseKerberos(ctx, credentials.Kerberos);
  smbc_setOptionFallbackAfterKerberos(ctx, true);
  smbc_setOptionNoAutoAnonymousLogin(ctx, false);
  if (!smbc_init_context(ctx)) return FailureText(errno ? errno : EINVAL);
  const std::string url = "smb://" + server;
  errno = 0;
  SMBCFILE* dir = smbc_getFunctionOpendir(ctx)(ctx, url.c_str());
  if (!dir) return FailureText(errno ? errno : EIO);
  SmbReply reply;
  while (const smbc_dirent* e = smbc_getFunctionReaddir(ctx)(ctx, dir))
    reply.Shares.push_back(SmbEntry{e->smbc_type, e->name});
  smbc_getFunctionClosedir(ctx)(ctx, dir);
  return SmbReplyText(reply);
}

std::optional<ServerAnswer> Parse(const std::string& text) {
  std::optional<SmbReply> reply = ParseSmbReply(text);
  if (!reply) return std::nullopt;
  if (reply->Error) return Failed(reply->Error);
  ServerAnswer answer;
  answer.State = ServerState::Answered;
  answer.WholeList = true;
  for (SmbEntry& e : reply->Shares) {
    const ShareKind kind = e.Type == kSmbPrinterShare ? ShareKind::Printer
                           : e.Type == kSmbFileShare  ? ShareKind::Disk
                                                      : ShareKind::Other;
    answer.Shares.push_back(Share{std::move(e.Name), kind, {}, false});
  }
  return answer;
}

constexpr int kAnswerFd = 3;
// Credentials handed to a helper: "K" or "-", the user, the password, one a
// line. They are written before the fork, so they must fit in a pipe's
// buffer even where the system gave the pipe one page.
constexpr size_t kMaxCredentials = 4096;
static_assert(kMaxCredentials >= 2 * kMaxSmbSecretBytes + 4);

std::string CredentialsText(const SmbCredentials& c) {
  return std::string(c.Kerberos ? "K" : "-") + "\n" + c.User + "\n" + c.Password + "\n";
}

bool WriteAll(int fd, const std::string& text) {
  for (size_t at = 0; at < text.size();) {
    const ssize_t n = ::write(fd, text.data() + at, text.size() - at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += static_cast<size_t>(n);
  }
  return true;
}

// The library keeps process-wide state and is not made for threads, and a
// server that also hangs on port 139 holds a call far beyond its time-out:
// each server is asked by a child process, which the deadline kills.
class SmbShareLister : public ShareLister {
 public:
  SmbShareLister(SmbCredentials credentials, SmbHelper helper)
      : credentials_(std::move(credentials)), helper_(std::move(helper)) {}

  ServerAnswer Ask(const ServerQuestion& question, Clock::time_point deadline) override {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return Failed(ETIMEDOUT);
    const bool exec = !helper_.Program.empty();
    // Everything the child needs is made before the fork: between fork and
    // exec only async-signal-safe calls are allowed.
    std::vector<std::string> args;
    std::vector<char*> argv;
    int input[2] = {-1, -1};
    if (exec) {
      args.push_back(helper_.Program);
      args.insert(args.end(), helper_.Arguments.begin(), helper_.Arguments.end());
      args.push_back(question.Server);
      args.push_back(std::to_string(left));
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      const std::string secret = CredentialsText(credentials_);
      if (secret.size() > kMaxCredentials) {
        ServerAnswer refused;
        refused.Detail = "the user name or password is longer than " +
                         std::to_string(kMaxSmbSecretBytes) + " bytes";
        return refused;
      }
      if (::pipe2(input, O_CLOEXEC) != 0) return Failed(errno);
      // Never wait on a full pipe: nobody reads it before the fork.
      ::fcntl(input[1], F_SETFL, ::fcntl(input[1], F_GETFL) | O_NONBLOCK);
      const bool written = WriteAll(input[1], secret);
      ::close(input[1]);
      if (!written) {
        const int err = errno ? errno : EIO;
        ::close(input[0]);
        return Failed(err);
      }
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
      const int err = errno;
      if (exec) ::close(input[0]);
      return Failed(err);
    }
    const pid_t child = ::fork();
    if (child < 0) {
      const int err = errno;
      ::close(fds[0]);
      ::close(fds[1]);
      if (exec) ::close(input[0]);
      return Failed(err);
    }
    if (child == 0) {
      if (exec && ::dup2(input[0], STDIN_FILENO) != STDIN_FILENO) ::_exit(1);
      // Other servers' children are forked from other threads at the same
      // time: a pipe end of theirs left open here would keep their reader
      // from seeing the end of its answer until this child ends.
      const int out = fds[1] == kAnswerFd ? fds[1] : ::dup2(fds[1], kAnswerFd);
      if (out != kAnswerFd) ::_exit(1);
      ::close_range(kAnswerFd + 1, ~0U, 0);
      if (exec) {
        // dup2 leaves its copy open across exec; a descriptor that was
        // already 3 keeps the pipe's close-on-exec flag.
        ::fcntl(kAnswerFd, F_SETFD, 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
      }
      WriteAll(kAnswerFd, ListShares(credentials_, question.Server, static_cast<int>(left)));
      ::_exit(0);
    }
    ::close(fds[1]);
    if (exec) ::close(input[0]);
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
      if (text.size() > kMaxSmbReplyBytes) break;
    }
    ::close(fds[0]);
    const bool tooLarge = text.size() > kMaxSmbReplyBytes;
    if (!complete) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (tooLarge) {
      ServerAnswer broken;
      broken.Detail = "the SMB client's answer is larger than " +
                      std::to_string(kMaxSmbReplyBytes >> 20) + " MiB: not read";
      return broken;
    }
    if (!complete) return Failed(ETIMEDOUT);
    std::optional<ServerAnswer> answer;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) answer = Parse(text);
    if (answer) return *answer;
    ServerAnswer broken;
    broken.Detail = exec && WIFEXITED(status) && WEXITSTATUS(status) == 127
                        ? "cannot start " + helper_.Program
                        : "the SMB client ended without an answer";
    return broken;
  }

 private:
  const SmbCredentials credentials_;
  const SmbHelper helper_;
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
    // The first line, read no further than the cap: the file need not be a
    // password file at all.
    c.Password.assign(kMaxSmbSecretBytes + 2, '\0');
    in.get(c.Password.data(), static_cast<std::streamsize>(c.Password.size()), '\n');
    c.Password.resize(static_cast<size_t>(in.gcount()));
    if (!c.Password.empty() && c.Password.back() == '\r') c.Password.pop_back();
    c.User = user;
    // Refused here, before any server is asked, rather than cut or left to
    // fail server by server.
    const auto tooLong = [](const std::string& what) {
      return PlatformError{EINVAL, what + " is longer than " + std::to_string(kMaxSmbSecretBytes) +
                                       " bytes, more than an SMB logon takes"};
    };
    if (c.Password.size() > kMaxSmbSecretBytes)
      return tooLong(std::string("the password in VELLORAN_LDAP_PASSWORD_FILE ") + file);
    if (c.User.size() > kMaxSmbSecretBytes) return tooLong("VELLORAN_LDAP_USER");
  }
  return c;
}

std::shared_ptr<ShareLister> MakeSmbShareLister(SmbCredentials credentials, SmbHelper helper) {
  return std::make_shared<SmbShareLister>(std::move(credentials), std::move(helper));
}

int RunSmbHelper(const std::string& server, const std::string& milliseconds) {
  std::string input;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return 1;
    if (n == 0) break;
    input.append(buffer, static_cast<size_t>(n));
    if (input.size() > kMaxCredentials) return 1;
  }
  std::string lines[3];
  size_t at = 0;
  for (std::string& line : lines) {
    const size_t end = input.find('\n', at);
    if (end == std::string::npos) return 1;
    line = input.substr(at, end - at);
    at = end + 1;
  }
  SmbCredentials credentials;
  credentials.Kerberos = lines[0] == "K";
  credentials.User = lines[1];
  credentials.Password = lines[2];
  char* end = nullptr;
  const long timeout = std::strtol(milliseconds.c_str(), &end, 10);
  if (milliseconds.empty() || *end != '\0' || timeout <= 0 || timeout > 600000) return 1;
  const std::string text = ListShares(credentials, server, static_cast<int>(timeout));
  return WriteAll(kAnswerFd, text) ? 0 : 1;
}

std::string ThisProgram() {
  char path[4096];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  return std::string(path, static_cast<size_t>(n));
}

}  // namespace velloran::check
