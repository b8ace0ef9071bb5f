#include "platform/NetworkFolder.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

#include "platform/CodePage.h"

namespace velloran {

namespace {

std::vector<std::string> SplitAt(std::string_view text, char separator) {
  std::vector<std::string> parts;
  size_t from = 0;
  while (from <= text.size()) {
    size_t at = text.find(separator, from);
    if (at == std::string_view::npos) at = text.size();
    if (at > from) parts.emplace_back(text.substr(from, at - from));
    from = at + 1;
  }
  return parts;
}

bool SameName(std::string_view a, std::string_view b) { return SameText(a, b); }

// The kernel writes blanks, tabs, line breaks and backslashes in mount
// table fields as three-digit octal escapes.
std::string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    auto octal = [&](size_t k) { return field[k] >= '0' && field[k] <= '7'; };
    if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

struct NetworkMount {
  std::vector<std::string> Source;  // server, share, folders below it
  std::string Target;
};

std::vector<NetworkMount> NetworkMounts(std::string_view mountTable) {
  std::vector<NetworkMount> mounts;
  std::istringstream lines{std::string(mountTable)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string source, target, type;
    if (!(fields >> source >> target >> type)) continue;
    if (type != "cifs" && type != "smb3") continue;
    source = Unescape(source);
    if (source.rfind("//", 0) != 0) continue;
    std::vector<std::string> parts = SplitAt(std::string_view(source).substr(2), '/');
    if (parts.size() < 2) continue;
    mounts.push_back({std::move(parts), Unescape(target)});
  }
  return mounts;
}

}  // namespace

std::string LocalFolderPath(std::string_view folder, std::string_view mountTable) {
  if (folder.size() < 3 || folder[0] != '\\' || folder[1] != '\\') return std::string(folder);
  // \\server\share\dir...: forward slashes are taken as separators as well.
  std::string unc(folder.substr(2));
  std::replace(unc.begin(), unc.end(), '/', '\\');
  std::vector<std::string> wanted = SplitAt(unc, '\\');
  if (wanted.size() < 2) return std::string(folder);

  std::string best;
  size_t bestDepth = 0;
  bool found = false;
  // The deepest mount of the share wins: //srv/share/dir mounted on its own
  // is where \\srv\share\dir\x lives, even when //srv/share is mounted too.
  for (const NetworkMount& mount : NetworkMounts(mountTable)) {
    const std::vector<std::string>& mounted = mount.Source;
    if (mounted.size() > wanted.size() || (found && mounted.size() <= bestDepth)) continue;
    bool match = true;
    for (size_t i = 0; i < mounted.size() && match; ++i) match = SameName(mounted[i], wanted[i]);
    if (!match) continue;
    std::string path = mount.Target;
    for (size_t i = mounted.size(); i < wanted.size(); ++i) {
      if (path.empty() || path.back() != '/') path += '/';
      path += wanted[i];
    }
    best = path;
    bestDepth = mounted.size();
    found = true;
  }
  return found ? best : std::string(folder);
}

namespace {

std::string WithoutTrailingSlashes(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return std::string(path);
}

}  // namespace

std::string UNCPathOfLocalFolder(std::string_view path, std::string_view mountTable) {
  const std::string folder = WithoutTrailingSlashes(path);
  std::string best;
  size_t bestLength = 0;
  bool found = false;
  for (const NetworkMount& mount : NetworkMounts(mountTable)) {
    const std::string point = WithoutTrailingSlashes(mount.Target);
    std::string_view rest;
    if (folder == point) {
      rest = {};
    } else if (point == "/" && folder.size() > 1 && folder[0] == '/') {
      rest = std::string_view(folder).substr(1);
    } else if (folder.size() > point.size() && folder.compare(0, point.size(), point) == 0 &&
               folder[point.size()] == '/') {
      rest = std::string_view(folder).substr(point.size() + 1);
    } else {
      continue;
    }
    if (found && point.size() <= bestLength) continue;
    std::string unc = "\\";
    for (const std::string& part : mount.Source) unc += "\\" + part;
    for (const std::string& part : SplitAt(rest, '/')) unc += "\\" + part;
    best = unc;
    bestLength = point.size();
    found = true;
  }
  return best;
}

std::vector<std::string> NetworkMountPoints(std::string_view mountTable) {
  std::vector<std::string> points;
  for (const NetworkMount& mount : NetworkMounts(mountTable)) points.push_back(mount.Target);
  return points;
}

}  // namespace velloran
