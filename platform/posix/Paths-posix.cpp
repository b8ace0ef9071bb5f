#include <dirent.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Paths.h"

namespace velloran {

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && out.back() != kPathSeparator) out += kPathSeparator;
  out += name;
  return out;
}

std::string ExecutableFolder() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::vector<std::string> PlainFileNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name.empty() || name[0] == '.') continue;
    struct stat st {};
    if (::stat(JoinPath(folder, name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
      names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

std::string HostName() {
  char buf[HOST_NAME_MAX + 1] = {};
  if (::gethostname(buf, sizeof buf - 1) != 0) return "";
  return buf;
}

std::string EnvOr(const char* name, std::string_view fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : std::string(fallback);
}

namespace {
std::string HomeFolder() {
  if (const char* h = std::getenv("HOME"); h && *h) return h;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/tmp";
}
}  // namespace

std::string UserConfigFolder() {
  return JoinPath(EnvOr("XDG_CONFIG_HOME", HomeFolder() + "/.config"), "velloran");
}

std::string UserStateFolder() {
  return JoinPath(EnvOr("XDG_STATE_HOME", HomeFolder() + "/.local/state"), "velloran");
}

std::string EngineFilesFolder(const std::string& engineFolder) {
  const size_t slash = engineFolder.rfind('/');
  const std::string name =
      slash == std::string::npos ? engineFolder : engineFolder.substr(slash + 1);
  struct stat st {};
  const std::string modules = JoinPath(engineFolder, "../lib/velloran");
  if ((name != "sbin" && name != "bin") || ::stat(modules.c_str(), &st) != 0 ||
      !S_ISDIR(st.st_mode))
    return engineFolder;
  // Root's log folder is readable by all, as /var/log is; a user's state
  // stays the user's.
  const bool root = ::geteuid() == 0;
  const std::string folder = root ? std::string("/var/log/velloran") : UserStateFolder();
  std::error_code ec;
  if (std::filesystem::create_directories(folder, ec) && !ec)
    ::chmod(folder.c_str(), root ? 0755 : 0700);
  return folder;
}

std::string MakePrivateTempFolder(std::string_view prefix) {
  std::error_code ec;
  std::string pattern =
      (std::filesystem::temp_directory_path(ec) / (std::string(prefix) + "XXXXXX")).string();
  if (ec || !::mkdtemp(pattern.data())) return "";
  return pattern;
}

}  // namespace velloran
