#pragma once
// What every fuzz target shares: a property check that stops the run with a
// message, and a scratch file for code that reads files.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace velloran::fuzz {

/// Stops the run when a property does not hold; libFuzzer keeps the input.
inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property violated: %s\n", property);
  std::abort();
}

/// One file per process in the temp folder, removed at exit.
class ScratchFile {
 public:
  explicit ScratchFile(const char* name) {
    const char* tmp = std::getenv("TMPDIR");
    path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/velloran-fuzz-" +
            std::to_string(::getpid()) + "-" + name;
  }
  ~ScratchFile() { ::unlink(path_.c_str()); }
  const std::string& path() const { return path_; }
  void Write(std::string_view content) const {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    Require(f != nullptr, "scratch file can be written");
    if (!content.empty()) std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
  }

 private:
  std::string path_;
};

}  // namespace velloran::fuzz
