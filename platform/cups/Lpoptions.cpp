#include "platform/cups/Lpoptions.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Paths.h"

namespace velloran::cups {

// A logon hook runs the engine through sudo: the user whose default it keeps
// is the one who logged on, not root.
LpoptionsFile UserLpoptions() {
  LpoptionsFile f;
  std::string home;
  if (::geteuid() == 0) {
    if (const char* sudoUser = std::getenv("SUDO_USER"); sudoUser && *sudoUser) {
      if (const passwd* pw = ::getpwnam(sudoUser)) {
        home = pw->pw_dir;
        f.Owner = pw->pw_uid;
        f.Group = pw->pw_gid;
      }
    }
  }
  if (home.empty()) {
    if (const char* h = std::getenv("HOME"); h && *h)
      home = h;
    else if (const passwd* pw = ::getpwuid(::getuid()))
      home = pw->pw_dir;
  }
  f.Path = home.empty() ? "" : JoinPath(JoinPath(home, ".cups"), "lpoptions");
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

}  // namespace velloran::cups
