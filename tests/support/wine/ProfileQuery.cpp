// Built for Windows by the profile tests and run under Wine: answers each
// query line "file<TAB>section<TAB>key<TAB>size" on stdin with the length
// and hex bytes of what GetPrivateProfileStringA returns.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main() {
  char line[4096];
  while (std::fgets(line, sizeof line, stdin)) {
    std::string l(line);
    while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) l.pop_back();
    size_t a = l.find('\t'), b = l.find('\t', a + 1), c = l.find('\t', b + 1);
    if (c == std::string::npos) return 2;
    std::string file = l.substr(0, a), section = l.substr(a + 1, b - a - 1),
                key = l.substr(b + 1, c - b - 1);
    DWORD size = static_cast<DWORD>(std::atoi(l.substr(c + 1).c_str()));
    std::string buffer(size + 1, '\0');
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(), size,
                                       file.c_str());
    std::printf("%lu:", static_cast<unsigned long>(n));
    for (DWORD i = 0; i < n; ++i) std::printf("%02x", static_cast<unsigned char>(buffer[i]));
    std::printf("\n");
    std::fflush(stdout);
  }
  return 0;
}
