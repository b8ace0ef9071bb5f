#include "platform/cups/Lpoptions.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/cups/CupsQueue.h"

namespace velloran::cups {

// A logon hook runs the engine through sudo: the user whose default it keeps
// is the one who logged on, not root.
std::optional<HomeFile> UserLpoptions() {
  HomeFile f;
  f.Folder = ".cups";
  f.Name = "lpoptions";
  if (::geteuid() == 0) {
    if (const char* sudoUser = std::getenv("SUDO_USER"); sudoUser && *sudoUser) {
      const passwd* pw = ::getpwnam(sudoUser);
      if (!pw || !pw->pw_dir || !*pw->pw_dir) return std::nullopt;
      f.Home = pw->pw_dir;
      f.Uid = pw->pw_uid;
      f.Gid = pw->pw_gid;
      return f;
    }
  }
  if (const char* h = std::getenv("HOME"); h && *h)
    f.Home = h;
  else if (const passwd* pw = ::getpwuid(::getuid()))
    f.Home = pw->pw_dir ? pw->pw_dir : "";
  if (f.Home.empty()) return std::nullopt;
  return f;
}

std::vector<LpoptionsLine> ParseLpoptions(const std::string& text) {
  std::vector<LpoptionsLine> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    std::string raw = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    pos = nl == std::string::npos ? text.size() : nl + 1;
    LpoptionsLine l;
    l.Text = raw;
    size_t a = raw.find_first_not_of(" \t");
    size_t b = a == std::string::npos ? a : raw.find_first_of(" \t", a);
    size_t c = b == std::string::npos ? b : raw.find_first_not_of(" \t", b);
    size_t d = c == std::string::npos ? c : raw.find_first_of(" \t", c);
    if (c != std::string::npos) {
      l.Keyword = raw.substr(a, b - a);
      l.Dest = raw.substr(c, d == std::string::npos ? std::string::npos : d - c);
      l.Rest = d == std::string::npos ? "" : raw.substr(d);
    }
    lines.push_back(std::move(l));
  }
  return lines;
}

std::string QueueOf(const std::string& dest) { return dest.substr(0, dest.find('/')); }

Result<std::optional<std::string>> ReadUserDefault() {
  auto file = UserLpoptions();
  if (!file) return std::optional<std::string>();
  auto text = ReadHomeFile(*file);
  if (!text && text.error().Number == ENOENT) return std::optional<std::string>();
  if (!text) return text.error();
  for (const auto& line : ParseLpoptions(*text))
    if (SameName(line.Keyword, "Default")) return std::optional<std::string>(QueueOf(line.Dest));
  return std::optional<std::string>();
}

Status WriteUserDefault(const std::string& name) {
  auto file = UserLpoptions();
  if (!file) return PlatformError{ENOENT, "The user has no home for ~/.cups/lpoptions."};
  auto text = ReadHomeFile(*file);
  if (!text) return text.error();
  std::string out;
  bool named = false;
  for (auto& line : ParseLpoptions(*text)) {
    bool dest = SameName(line.Keyword, "Dest") || SameName(line.Keyword, "Default");
    if (dest && line.Dest == name) {
      out += "Default " + line.Dest + line.Rest + "\n";
      named = true;
    } else if (SameName(line.Keyword, "Default")) {
      out += "Dest " + line.Dest + line.Rest + "\n";
    } else {
      out += line.Text + "\n";
    }
  }
  if (!named) out += "Default " + name + "\n";
  return ReplaceHomeFile(*file, out);
}

}  // namespace velloran::cups
