#include "platform/NetworkFolder.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

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

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

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
  std::istringstream lines{std::string(mountTable)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string source, target, type;
    if (!(fields >> source >> target >> type)) continue;
    if (type != "cifs" && type != "smb3") continue;
    source = Unescape(source);
    if (source.rfind("//", 0) != 0) continue;
    std::vector<std::string> mounted = SplitAt(std::string_view(source).substr(2), '/');
    if (mounted.size() < 2 || mounted.size() > wanted.size()) continue;
    bool match = true;
    for (size_t i = 0; i < mounted.size() && match; ++i) match = SameName(mounted[i], wanted[i]);
    if (!match || (found && mounted.size() <= bestDepth)) continue;
    std::string path = Unescape(target);
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

}  // namespace velloran
