// Who may change a file here: its owner, its group and everyone, by the mode
// bits of the file and of each folder above it.

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tools/InstallDrivers.h"

namespace velloran {

namespace {

std::string UserName(uid_t uid) {
  const passwd* pw = ::getpwuid(uid);
  return pw ? std::string(pw->pw_name) : "uid " + std::to_string(uid);
}

std::string GroupName(gid_t gid) {
  const group* gr = ::getgrgid(gid);
  return gr ? std::string(gr->gr_name) : "gid " + std::to_string(gid);
}

// Root administers the system; the account running this could change the
// file anyway.
bool Trusted(uid_t uid) { return uid == 0 || uid == ::geteuid(); }

/// Who else may change `path`, given that it is a folder above the file or
/// the file itself.
std::string Writers(const std::string& path, const struct stat& st) {
  const bool folder = S_ISDIR(st.st_mode);
  std::string who;
  auto add = [&who](const std::string& w) { who += (who.empty() ? "" : ", ") + w; };
  if (!Trusted(st.st_uid)) add("the user " + UserName(st.st_uid) + " (its owner)");
  if ((st.st_mode & S_IWGRP) && st.st_gid != 0)
    add("the members of the group " + GroupName(st.st_gid));
  // In a sticky folder (/tmp) nobody but its owner may rename or remove
  // what is in it; the entry below is checked on its own.
  if ((st.st_mode & S_IWOTH) && !(folder && (st.st_mode & S_ISVTX))) add("everyone");
  return who.empty() ? "" : path + " may be changed by " + who;
}

}  // namespace

Result<std::string> OtherWriters(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // The file itself as named (a link there would let its folder's owner
  // point it anywhere), then every folder of its real path up to the root.
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return PlatformError{errno, std::strerror(errno)};
  if (S_ISLNK(st.st_mode))
    return std::string(path + " is a symbolic link, which its folder's owner may point anywhere");
  if (std::string who = Writers(path, st); !who.empty()) return who;
  fs::path real = fs::canonical(path, ec);
  if (ec) return PlatformError{ec.value(), ec.message()};
  for (fs::path folder = real.parent_path();; folder = folder.parent_path()) {
    if (::stat(folder.c_str(), &st) != 0) return PlatformError{errno, std::strerror(errno)};
    if (std::string who = Writers(folder.string(), st); !who.empty()) return who;
    if (folder == folder.root_path() || folder.parent_path() == folder) break;
  }
  // The folders of the path as given, where they differ from the real ones
  // (a folder link): whoever may change them may change where it leads.
  fs::path given = fs::absolute(path, ec);
  if (ec) return PlatformError{ec.value(), ec.message()};
  for (fs::path folder = given.lexically_normal().parent_path();; folder = folder.parent_path()) {
    if (::lstat(folder.c_str(), &st) == 0)
      if (std::string who = Writers(folder.string(), st); !who.empty() && !S_ISLNK(st.st_mode))
        return who;
    if (folder == folder.root_path() || folder.parent_path() == folder) break;
  }
  return std::string();
}

}  // namespace velloran
