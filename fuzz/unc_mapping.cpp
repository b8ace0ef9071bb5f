// Mount tables and UNC folders: a UNC folder that maps to a local folder
// maps back to the same folder, and never to a folder outside its mount.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "platform/NetworkFolder.h"

using namespace velloran;

namespace {
std::vector<std::string> Parts(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  std::vector<std::string> parts;
  size_t from = 0;
  while (from <= path.size()) {
    size_t at = std::min(path.find('\\', from), path.size());
    if (at > from) parts.push_back(path.substr(from, at - from));
    from = at + 1;
  }
  return parts;
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
  // And maps back to the folder it came from, part by part (the deepest
  // mount may name a folder below the share as its source). Empty parts
  // ("\\\\\\srv") are skipped, "." goes and ".." stops at the share, as
  // the mapping does; names compare as the mapping compares them.
  std::string back = UNCPathOfLocalFolder(local, table);
  fuzz::Require(back.starts_with("\\\\"), "a mapped folder has a UNC form");
  std::vector<std::string> want, got = Parts(back.substr(2));
  for (std::string& part : Parts(unc.substr(2))) {
    if (part == ".") continue;
    if (part == "..") {
      if (want.size() > 2) want.pop_back();
      continue;
    }
    want.push_back(std::move(part));
  }
  bool same = want.size() == got.size();
  for (size_t i = 0; same && i < want.size(); ++i) same = SameText(want[i], got[i]);
  fuzz::Require(same, "a mapped folder maps back to its folder");
  return 0;
}
