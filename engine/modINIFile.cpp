#include "engine/modINIFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "common/INIKeys.h"
#include "common/modINIDocument.h"
#include "engine/modDebug.h"
#include "engine/modEventLog.h"
#include "engine/modMain.h"
#include "platform/Paths.h"
#include "platform/RegularFile.h"
#include "platform/profile/Profile.h"

namespace velloran {

namespace {

// Lists are dumped the way the file format numbers them: the blank slot of
// an empty list, or behind a single entry, is listed like an entry, with
// nothing after its labels.
template <typename T, typename Show>
void ForEachFileSlot(const std::vector<T>& list, Show show) {
  for (const T& entry : list) show(entry);
  for (size_t slot = list.size(); slot < FileListSlots(list.size()); ++slot) show(T{});
}

bool EndsWithIni(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".ini";
}

// What a missing file reads as: every key absent.
class NoProfile : public ProfileFunctions {
 public:
  std::string GetString(std::string_view, std::string_view, std::size_t,
                        const std::string&) const override {
    return "";
  }
  Status WriteString(std::string_view, std::string_view, std::string_view,
                     const std::string&) override {
    return PlatformError{kInvalidSetting, "read only"};
  }
};

// The first "*.ini" in the order the file system lists the folder.
std::string FirstINIFile(const std::string& folder) {
  for (const std::string& name : PlainFileNames(folder))
    if (EndsWithIni(name)) return name;
  return "";
}

/// FileOutputName names a file in the output folder. A name that is a path
/// (a separator, or "." or "..") would write elsewhere, as the user running
/// the engine: the output file is then not written, and the log says why.
void RefusePathAsFileName(Run& run) {
  INISettings& s = run.Settings;
  const std::string& name = s.FileOutputName;
  if (name.find_first_of("\\/") == std::string::npos && name != "." && name != "..") return;
  WriteErrorToDebugLog(
      run, "ERROR: Reading INI file: FileOutputName " + name,
      PlatformError{
          kInvalidSetting,
          "A file name may not hold \"\\\" or \"/\" or be \".\" or \"..\"; no output file is "
          "written."});
  s.UseFileOutput = false;
}

}  // namespace

/// A regular file the engine may read, of a size a settings file can have:
/// the profile functions read anything bigger as a file without keys, and
/// a run must not then pass for one that found nothing to do.
Status CheckINIFile(const std::string& path) {
  if (Status readable = CheckReadableRegularFile(path); !readable.ok()) return readable;
  std::error_code ec;
  // Paths are UTF-8 in every program, also where the system's narrow form
  // is an ANSI code page.
  const auto size = std::filesystem::file_size(
      std::u8string(reinterpret_cast<const char8_t*>(path.data()), path.size()), ec);
  if (ec) return PlatformError{ec.value(), ec.message()};
  if (size > kMaxProfileBytes)
    return PlatformError{EFBIG, "The file is " + std::to_string(size) +
                                    " bytes long; no settings file is larger than " +
                                    std::to_string(kMaxProfileBytes >> 20) + " MiB."};
  return Status::Ok();
}

void OpenINIFile(Run& run) {
  const std::string& arguments = run.CommandLine;
  WriteBanner(run, 24, "     COMMAND LINE PARAMETERS    ", 23);
  WriteToDebugLog(run, ">> Command line parameter: " + arguments);

  if (!arguments.empty()) {
    run.INIFilePath.clear();
    std::copy_if(arguments.begin(), arguments.end(), std::back_inserter(run.INIFilePath),
                 [](char c) { return c != '"'; });
    WriteToDebugLog(run, ">> Opening INI File: " + run.INIFilePath);
    ReadINISettings(run);
    return;
  }

  std::string name = FirstINIFile(run.EngineFolder);
  WriteToDebugLog(run, ">> First found INI file : " + name);
  if (!name.empty()) {
    run.INIFilePath = JoinPath(run.EngineFolder, name);
    WriteToDebugLog(run, ">> Opening INI File: " + run.INIFilePath);
    ReadINISettings(run);
    return;
  }

  run.Svc.Messages->Show("Unable to find INI file. Please check your deployment and try again.",
                         "Error", MessageIcon::Critical, MessageButtons::OK);
  WriteToDebugLog(run, "ERROR: Unable to find an INI File.");
}

void ReadINISettings(Run& run) {
  // A share that is offline at logon, or a folder or a pipe by the INI
  // file's name, reads as a file without keys: the run still reports, but
  // must not count as done. The reads themselves never touch such a path,
  // so a FIFO cannot hold the run up.
  NoProfile none;
  ProfileFunctions* profile = &*run.Svc.Profile;
  if (Status readable = CheckINIFile(run.INIFilePath); !readable.ok()) {
    WriteErrorToDebugLog(run, "ERROR: Reading INI file: " + run.INIFilePath, readable.error());
    // With every switch off nothing else would tell the administrator.
    ReportApplicationEvent(run, "Velloran",
                           "Unable to read INI file " + run.INIFilePath + ": " +
                               std::to_string(readable.error().Number) + ": " +
                               readable.error().Description,
                           kEventTypeWarning, kEventIdINIFile);
    run.INIFileUnreadable = true;
    profile = &none;
  }
  // The reader's notes wait until the file has said whether the log is on:
  // with DebugOn=False they must not reach the file.
  std::vector<std::string> notes;
  INIDocument document(*profile, run.INIFilePath,
                       [&notes](std::string_view line) { notes.emplace_back(line); });
  document.ReadINISettings(run.Settings);
  for (const std::string& note : notes) WriteToDebugLog(run, note);
  RefusePathAsFileName(run);
  DumpINISettings(run);
}

void DumpINISettings(Run& run) {
  const INISettings& s = run.Settings;
  auto line = [&run](std::string_view label, std::string_view value) {
    WriteToDebugLog(run, std::string(label) + std::string(value));
  };

  WriteToDebugLog(run, std::string(80, '*'));
  WriteToDebugLog(run, std::string(27, '*') + "     INI FILE VALUES    " + std::string(27, '*'));
  WriteToDebugLog(run, std::string(80, '*'));
  for (const INIKey& key : INIKeys()) {
    const std::string label = ">> " + std::string(key.Label()) + ": ";
    switch (key.Kind) {
      case INIKeyKind::Boolean:
        line(label, TrueFalse(s.*key.Flag));
        break;
      case INIKeyKind::Text:
      case INIKeyKind::Folder:
        line(label, s.*key.Text);
        break;
      case INIKeyKind::Integer:
        line(label, std::to_string(s.*key.Number));
        break;
      case INIKeyKind::ServerPairs:
        WriteToDebugLog(run, ">> Server to Server Pairs <<");
        ForEachFileSlot(s.ServerPairs, [&](const NamePair& p) {
          line(">> From Server: ", p.FromName);
          line(">> To Server: ", p.ToName);
        });
        break;
      case INIKeyKind::PrinterPairs:
        WriteToDebugLog(run, ">> Printer to Printer Pairs <<");
        ForEachFileSlot(s.PrinterPairs, [&](const NamePair& p) {
          line(">> From Printer: ", p.FromName);
          line(">> To Printer: ", p.ToName);
        });
        break;
      case INIKeyKind::MixedPairs:
        WriteToDebugLog(run, ">> Mixed to Mixed Pairs <<");
        ForEachFileSlot(s.MixedPairs, [&](const MixedPair& p) {
          line(">> From Server: ", p.FromServer);
          line(">> From Printer: ", p.FromPrinter);
          line(">> To Server: ", p.ToServer);
          line(">> To Printer: ", p.ToPrinter);
        });
        break;
      case INIKeyKind::EmailTo:
        WriteToDebugLog(run, ">> Email To Addresses <<");
        ForEachFileSlot(s.EmailTo,
                        [&](const std::string& to) { line(">> To Email Address: ", to); });
        break;
    }
  }
}

}  // namespace velloran
