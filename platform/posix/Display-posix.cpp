#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "platform/Display.h"

namespace velloran {

namespace {

bool SocketExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// ":0" and "unix:0.0" are sockets below /tmp/.X11-unix; "host:0" is a TCP
// display that only connecting could prove, so it is taken on trust.
bool X11DisplayReachable(const std::string& display) {
  if (display.empty()) return false;
  size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  std::string host = display.substr(0, colon);
  if (!host.empty() && host != "unix") return true;
  std::string number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));
  if (number.empty()) return false;
  return SocketExists("/tmp/.X11-unix/X" + number);
}

bool WaylandDisplayReachable(const std::string& display) {
  if (display.empty()) return false;
  if (display.front() == '/') return SocketExists(display);
  std::string runtime = Env("XDG_RUNTIME_DIR");
  return !runtime.empty() && SocketExists(runtime + "/" + display);
}

}  // namespace

bool DisplayPresent() {
  std::string platform = Env("QT_QPA_PLATFORM");
  if (platform.rfind("offscreen", 0) == 0 || platform.rfind("minimal", 0) == 0) return false;
  return X11DisplayReachable(Env("DISPLAY")) || WaylandDisplayReachable(Env("WAYLAND_DISPLAY"));
}

}  // namespace velloran
