#include "engine/modINIFile.h"

#include <algorithm>
#include <string>
#include <vector>
#include <cctype>

#include "common/INIKeys.h"
#include "common/modINIDocument.h"
#include "engine/modDebug.h"
#include "engine/modMain.h"
#include "platform/Paths.h"

namespace velloran {

namespace {

bool EndsWithIni(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".ini";
}

// The first "*.ini" in the order the file system lists the folder.
std::string FirstINIFile(const std::string& folder) {
  for (const std::string& name : PlainFileNames(folder))
    if (EndsWithIni(name)) return name;
  return "";
}

}  // namespace

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
  // The reader's notes wait until the file has said whether the log is on:
  // with DebugOn=False they must not reach the file.
  std::vector<std::string> notes;
  INIDocument document(*run.Svc.Profile, run.INIFilePath,
                       [&notes](std::string_view line) { notes.emplace_back(line); });
  document.ReadINISettings(run.Settings);
  for (const std::string& note : notes) WriteToDebugLog(run, note);
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
        for (const NamePair& p : s.ServerPairs) {
          line(">> From Server: ", p.FromName);
          line(">> To Server: ", p.ToName);
        }
        break;
      case INIKeyKind::PrinterPairs:
        WriteToDebugLog(run, ">> Printer to Printer Pairs <<");
        for (const NamePair& p : s.PrinterPairs) {
          line(">> From Printer: ", p.FromName);
          line(">> To Printer: ", p.ToName);
        }
        break;
      case INIKeyKind::MixedPairs:
        WriteToDebugLog(run, ">> Mixed to Mixed Pairs <<");
        for (const MixedPair& p : s.MixedPairs) {
          line(">> From Server: ", p.FromServer);
          line(">> From Printer: ", p.FromPrinter);
          line(">> To Server: ", p.ToServer);
          line(">> To Printer: ", p.ToPrinter);
        }
        break;
      case INIKeyKind::EmailTo:
        WriteToDebugLog(run, ">> Email To Addresses <<");
        for (const std::string& to : s.EmailTo) line(">> To Email Address: ", to);
        break;
    }
  }
}

}  // namespace velloran
