// Reading and saving the largest INI file the programs accept: every list
// key at 9,999 characters, every text at 99. The engine reads the file on
// every logon, so a full read must stay well under 2 ms.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "common/modINIDocument.h"

namespace velloran {
namespace {

namespace fs = std::filesystem;

/// A list value of exactly 9,999 characters: names of 11 characters and
/// commas, the last entry filling what is left.
std::string MaximalList(char tag) {
  std::string list;
  for (int i = 0; list.size() + 12 <= 9999; ++i) {
    if (!list.empty()) list.push_back(',');
    std::string name = std::string(1, tag) + "SRV" + std::to_string(1000000 + i);
    list += name;
  }
  list.push_back(',');
  list.append(9999 - list.size(), tag);
  return list;
}

std::string Text99(char c) { return std::string(99, c); }

INISettings MaximalRecord() {
  INISettings s;
  s.UseActiveDirectory = s.UseManualDefinitions = s.AlwaysRun = true;
  s.DomainName = Text99('d');
  s.ServerPairs = {{MaximalList('A'), MaximalList('B')}};
  s.PrinterPairs = {{MaximalList('C'), MaximalList('D')}};
  s.MixedPairs = {{MaximalList('E'), MaximalList('F'), MaximalList('G'), MaximalList('H')}};
  s.UseSMTP = true;
  s.SMTPServerNameOrIP = Text99('s');
  s.ServerPort = Text99('p');
  s.EmailSubject = Text99('j');
  s.EmailTo = {MaximalList('m')};
  s.EmailFrom = Text99('f');
  s.UseFileOutput = true;
  s.FileOutputPath = Text99('o');
  s.FileOutputName = Text99('n');
  s.SuccessMessage = Text99('y');
  s.FailureMessage = Text99('x');
  s.DeploymentPath = Text99('t');
  s.MDACOption = 2;
  s.DebugOn = true;
  return s;
}

class BenchDir {
 public:
  BenchDir() {
    std::string tmpl = (fs::temp_directory_path() / "velloran-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
  }
  ~BenchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

void BM_ReadMaximalINI(benchmark::State& state) {
  BenchDir dir;
  std::string path = dir.File("max.ini");
  INIDocument doc(SystemProfile(), path);
  INISettings record = MaximalRecord();
  if (!doc.WriteINISettings(record).ok()) {
    state.SkipWithError("cannot write the INI file");
    return;
  }
  INISettings s;
  for (auto _ : state) {
    doc.ReadINISettings(s);
    benchmark::DoNotOptimize(s);
  }
  // Nine list keys (the e-mail list included) of one entry per 12 bytes.
  if (s.ServerPairs.size() < 800 || s.EmailTo.size() < 800) state.SkipWithError("file not maximal");
  state.counters["file_bytes"] = static_cast<double>(fs::file_size(path));
}
BENCHMARK(BM_ReadMaximalINI)->Unit(benchmark::kMicrosecond);

void BM_WriteMaximalINI(benchmark::State& state) {
  BenchDir dir;
  std::string path = dir.File("max.ini");
  INIDocument doc(SystemProfile(), path);
  INISettings record = MaximalRecord();
  bool flip = false;
  for (auto _ : state) {
    // Alternate a value so every save really changes the file in place.
    record.AlwaysRun = flip = !flip;
    if (!doc.WriteINISettings(record).ok()) {
      state.SkipWithError("save failed");
      return;
    }
  }
}
BENCHMARK(BM_WriteMaximalINI)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velloran
