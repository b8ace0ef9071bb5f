#include "engine/modINIFile.h"

#include <algorithm>
#include <cctype>

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
  INIDocument document(*run.Svc.Profile, run.INIFilePath,
                       [&run](std::string_view line) { WriteToDebugLog(run, line); });
  document.ReadINISettings(run.Settings);
  DumpINISettings(run);
}

void DumpINISettings(Run& run) {
  const INISettings& s = run.Settings;
  auto line = [&run](std::string_view label, std::string_view value) {
    WriteToDebugLog(run, std::string(label) + std::string(value));
  };
  auto flag = [&line](std::string_view label, bool value) { line(label, TrueFalse(value)); };

  WriteToDebugLog(run, std::string(80, '*'));
  WriteToDebugLog(run, std::string(27, '*') + "     INI FILE VALUES    " + std::string(27, '*'));
  WriteToDebugLog(run, std::string(80, '*'));
  flag(">> UseActiveDirectory: ", s.UseActiveDirectory);
  flag(">> UseManualDefinitions: ", s.UseManualDefinitions);
  flag(">> AlwaysRun: ", s.AlwaysRun);
  line(">> DomainName: ", s.DomainName);

  WriteToDebugLog(run, ">> Server to Server Pairs <<");
  for (const NamePair& p : s.ServerPairs) {
    line(">> From Server: ", p.FromName);
    line(">> To Server: ", p.ToName);
  }
  WriteToDebugLog(run, ">> Printer to Printer Pairs <<");
  for (const NamePair& p : s.PrinterPairs) {
    line(">> From Printer: ", p.FromName);
    line(">> To Printer: ", p.ToName);
  }
  WriteToDebugLog(run, ">> Mixed to Mixed Pairs <<");
  for (const MixedPair& p : s.MixedPairs) {
    line(">> From Server: ", p.FromServer);
    line(">> From Printer: ", p.FromPrinter);
    line(">> To Server: ", p.ToServer);
    line(">> To Printer: ", p.ToPrinter);
  }

  flag(">> UseSMTP: ", s.UseSMTP);
  line(">> SMTPServerNameOrIP: ", s.SMTPServerNameOrIP);
  line(">> ServerPort: ", s.ServerPort);
  line(">> EmailSubject: ", s.EmailSubject);
  WriteToDebugLog(run, ">> Email To Addresses <<");
  for (const std::string& to : s.EmailTo) line(">> To Email Address: ", to);

  line(">> EmailFrom: ", s.EmailFrom);
  flag(">> UseFileOutput: ", s.UseFileOutput);
  line(">> FileOutputPath: ", s.FileOutputPath);
  line(">> FileOutputName: ", s.FileOutputName);
  flag(">> IncludeComputerName: ", s.IncludeComputerName);
  flag(">> IncludeOutcome: ", s.IncludeOutcome);
  flag(">> WriteToEventLog: ", s.WriteToEventLog);
  flag(">> UseClientPopup: ", s.UseClientPopup);
  flag(">> UseSuccessClientPopup: ", s.UseSuccessClientPopup);
  line(">> SuccessMessage: ", s.SuccessMessage);
  flag(">> UseFailureClientPopup: ", s.UseFailureClientPopup);
  line(">> FailureMessage: ", s.FailureMessage);
  line(">> DeploymentPath: ", s.DeploymentPath);
  flag(">> CreateHTMLLaunchPage: ", s.CreateWebLaunchPage);
  flag(">> CreateBatchFile: ", s.CreateBatchFile);
  flag(">> IncludeMDAC: ", s.IncludeMDAC);
  line(">> MDACOption: ", std::to_string(s.MDACOption));
  flag(">> DebugOn: ", s.DebugOn);
}

}  // namespace velloran
