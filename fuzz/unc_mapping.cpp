// Mount tables and UNC folders: a UNC folder that maps to a local folder
// maps back to the same share, and never to a folder outside its mount.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzSupport.h"
#include "platform/NetworkFolder.h"

using namespace velloran;

namespace {
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::string unc = in.ConsumeRandomLengthString(80);
  std::string table = in.ConsumeRemainingBytesAsString();
  std::string local = LocalFolderPath(unc, table);
  if (local == unc) return 0;  // not mapped
  // Mapped: it lies below one of the mount points.
  bool below = false;
  for (const std::string& point : NetworkMountPoints(table)) {
    std::string p = point;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (local == p || local.starts_with(p == "/" ? p : p + "/")) below = true;
  }
  fuzz::Require(below, "a mapped folder lies below a mount point");
  // And maps back to the server and share it came from (the deepest mount
  // may name a folder below the share as its source).
  std::string back = UNCPathOfLocalFolder(local, table);
  if (back.empty()) return 0;  // a name with a backslash in it has no UNC form
  // Empty parts ("\\\\\\srv") are skipped as the mapping skips them.
  std::string want = unc.substr(2);
  std::replace(want.begin(), want.end(), '/', '\\');
  want.erase(0, want.find_first_not_of('\\'));
  std::string server = Lower(want.substr(0, want.find('\\')));
  fuzz::Require(Lower(back).starts_with("\\\\" + server + "\\"),
                "a mapped folder maps back to its server");
  return 0;
}
