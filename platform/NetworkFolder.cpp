#include "platform/NetworkFolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
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

// One line of the mount table. Every mount counts for what is visible where
// (a later mount on the same folder, or on a folder above it, hides an
// earlier one, whatever its type); only CIFS and SMB3 mounts have a Source.
struct Mount {
  std::vector<std::string> Source;  // server, share, folders below it
  std::string Target;               // as the table writes it
  std::string Point;                // the same, normalised for comparing
  bool Network() const { return !Source.empty(); }
};

std::string NormalPath(std::string_view path) {
  std::string normal = std::filesystem::path(std::string(path)).lexically_normal().generic_string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::vector<Mount> Mounts(std::string_view mountTable) {
  std::vector<Mount> mounts;
  std::istringstream lines{std::string(mountTable)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string source, target, type;
    if (!(fields >> source >> target >> type)) continue;
    Mount mount;
    mount.Target = Unescape(target);
    mount.Point = NormalPath(mount.Target);
    source = Unescape(source);
    if ((type == "cifs" || type == "smb3") && source.rfind("//", 0) == 0) {
      std::vector<std::string> parts = SplitAt(std::string_view(source).substr(2), '/');
      if (parts.size() >= 2) mount.Source = std::move(parts);
    }
    mounts.push_back(std::move(mount));
  }
  return mounts;
}

// `rest` is what follows the mount point ("" for the point itself).
bool Holds(const Mount& mount, std::string_view folder, std::string_view* rest) {
  const std::string& point = mount.Point;
  if (folder == point) {
    *rest = {};
  } else if (point == "/" && folder.size() > 1 && folder[0] == '/') {
    *rest = folder.substr(1);
  } else if (folder.size() > point.size() && folder.compare(0, point.size(), point) == 0 &&
             folder[point.size()] == '/') {
    *rest = folder.substr(point.size() + 1);
  } else {
    return false;
  }
  return true;
}

// The mount whose files a (normalised) folder shows: the last in table
// order that holds it, since each mount covers what was mounted before it
// at or below its point. -1 when none holds it.
ptrdiff_t VisibleMount(const std::vector<Mount>& mounts, std::string_view folder) {
  std::string_view rest;
  for (size_t i = mounts.size(); i-- > 0;)
    if (Holds(mounts[i], folder, &rest)) return static_cast<ptrdiff_t>(i);
  return -1;
}

}  // namespace

std::string LocalFolderPath(std::string_view folder, std::string_view mountTable) {
  if (folder.size() < 3 || folder[0] != '\\' || folder[1] != '\\') return std::string(folder);
  // \\server\share\dir...: forward slashes are taken as separators as well.
  std::string unc(folder.substr(2));
  std::replace(unc.begin(), unc.end(), '/', '\\');
  std::vector<std::string> wanted = SplitAt(unc, '\\');
  if (wanted.size() < 2) return std::string(folder);
  // Windows keeps a UNC path inside its share: "." stays where it is and
  // ".." goes up one folder but never above the share. A server or share
  // named by dots names none.
  auto dots = [](const std::string& part) { return part == "." || part == ".."; };
  if (dots(wanted[0]) || dots(wanted[1])) return std::string(folder);
  std::vector<std::string> inside(wanted.begin(), wanted.begin() + 2);
  for (size_t i = 2; i < wanted.size(); ++i) {
    if (wanted[i] == ".") continue;
    if (wanted[i] == "..") {
      if (inside.size() > 2) inside.pop_back();
      continue;
    }
    inside.push_back(wanted[i]);
  }
  wanted = std::move(inside);

  std::string best;
  size_t bestDepth = 0;
  bool found = false;
  // The deepest mount of the share wins: //srv/share/dir mounted on its own
  // is where \\srv\share\dir\x lives, even when //srv/share is mounted too.
  // A mount that a later one covers does not reach the share at all.
  const std::vector<Mount> mounts = Mounts(mountTable);
  for (size_t m = 0; m < mounts.size(); ++m) {
    const std::vector<std::string>& mounted = mounts[m].Source;
    if (mounted.empty() || mounted.size() > wanted.size() || (found && mounted.size() <= bestDepth))
      continue;
    bool match = true;
    for (size_t i = 0; i < mounted.size() && match; ++i) match = SameName(mounted[i], wanted[i]);
    if (!match) continue;
    std::string path = mounts[m].Target;
    for (size_t i = mounted.size(); i < wanted.size(); ++i) {
      if (path.empty() || path.back() != '/') path += '/';
      path += wanted[i];
    }
    if (VisibleMount(mounts, NormalPath(path)) != static_cast<ptrdiff_t>(m)) continue;
    best = path;
    bestDepth = mounted.size();
    found = true;
  }
  return found ? best : std::string(folder);
}

std::string UNCPathOfLocalFolder(std::string_view path, std::string_view mountTable) {
  // "/mnt/share/../x" lies outside the share: resolve dots before matching.
  const std::string folder = NormalPath(path);
  const std::vector<Mount> mounts = Mounts(mountTable);
  ptrdiff_t visible = VisibleMount(mounts, folder);
  if (visible < 0 || !mounts[visible].Network()) return "";
  std::string_view rest;
  (void)Holds(mounts[visible], folder, &rest);
  // A backslash is a separator in a UNC path: a local name that holds one
  // has no UNC form.
  std::vector<std::string> parts = mounts[visible].Source;
  for (std::string& part : SplitAt(rest, '/')) parts.push_back(std::move(part));
  if (std::any_of(parts.begin(), parts.end(),
                  [](const std::string& part) { return part.find('\\') != std::string::npos; }))
    return "";
  std::string unc = "\\";
  for (const std::string& part : parts) unc += "\\" + part;
  return unc;
}

std::vector<std::string> NetworkMountPoints(std::string_view mountTable) {
  std::vector<std::string> points;
  for (const Mount& mount : Mounts(mountTable))
    if (mount.Network()) points.push_back(mount.Target);
  return points;
}

namespace {

/// A Windows path's folders, "." and ".." resolved; the drive ("C:") or the
/// UNC start stays first. Empty when ".." climbs above the start.
std::optional<std::vector<std::string>> WindowsParts(std::string_view path) {
  std::string text(path);
  std::replace(text.begin(), text.end(), '/', '\\');
  std::vector<std::string> parts;
  for (std::string& part : SplitAt(text, '\\')) {
    if (part == ".") continue;
    if (part == "..") {
      if (parts.size() <= 1) return std::nullopt;
      parts.pop_back();
      continue;
    }
    parts.push_back(std::move(part));
  }
  return parts;
}

}  // namespace

std::string UNCPathThroughShares(std::string_view path, const std::vector<LocalShare>& shares,
                                 std::string_view computer) {
  const auto folder = WindowsParts(path);
  // A local folder starts with its drive: "C:".
  if (!folder || folder->empty() || folder->front().size() != 2 || folder->front()[1] != ':')
    return "";
  const LocalShare* best = nullptr;
  size_t bestDepth = 0;
  for (const LocalShare& share : shares) {
    const auto exported = WindowsParts(share.Folder);
    if (!exported || exported->empty() || exported->size() > folder->size()) continue;
    if (!std::equal(exported->begin(), exported->end(), folder->begin(), SameName)) continue;
    if (!best || exported->size() > bestDepth) {
      best = &share;
      bestDepth = exported->size();
    }
  }
  if (!best || computer.empty()) return "";
  std::string unc = "\\\\" + std::string(computer) + "\\" + best->Name;
  for (size_t i = bestDepth; i < folder->size(); ++i) unc += "\\" + (*folder)[i];
  return unc;
}

}  // namespace velloran
