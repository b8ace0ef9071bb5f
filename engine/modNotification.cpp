#include "engine/modNotification.h"

#include "engine/ComputerName.h"
#include "engine/ErrorRecorder.h"
#include "engine/modDebug.h"
#include "engine/modEventLog.h"
#include "engine/modSMTP.h"
#include "platform/AppendFile.h"
#include "platform/CodePage.h"
#include "platform/NetworkFolder.h"
#include "platform/Paths.h"

namespace velloran {


std::string NotificationFilePath(Run& run) {
  const INISettings& s = run.Settings;
  std::string name;
  if (s.IncludeComputerName) name += GetClientComputerName(run) + "_";
  if (s.IncludeOutcome) name += run.AbortStatus ? "FAILED_" : "SUCCESS_";
  name += s.FileOutputName;
  // Always a separator after the folder, as the clients' own joining has it:
  // an empty folder names the root, never the current folder.
  std::string folder = LocalFolderPath(s.FileOutputPath);
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder + name;
}

void WriteNotificationFile(Run& run) {
  std::string path = NotificationFilePath(run);
  WriteToDebugLog(run, ">> Writing to notification output file: " + path);
  // Clients on many computers append to one file on a share at once: the
  // block goes out in one locked write so that blocks never interleave.
  // A text file for Windows tools: in the ANSI code page.
  Status appended = AppendBlockToFile(path, Utf8ToAnsi(run.OutcomeText + "\r\n"));
  if (CountsAsError(appended)) {
    WriteErrorToDebugLog(run, "ERROR: Saving notification output file <<", appended.error());
  }
}

std::string ExpandLineBreaks(std::string_view message) {
  static constexpr std::string_view kMarker = "^CRLF";
  std::string out;
  size_t from = 0;
  for (size_t at; (at = message.find(kMarker, from)) != std::string_view::npos;
       from = at + kMarker.size()) {
    out.append(message.substr(from, at - from));
    out += "\r\n";
  }
  out.append(message.substr(from));
  return out;
}

void ShowClientPopup(Run& run) {
  const INISettings& s = run.Settings;
  const std::string* message = nullptr;
  if (run.AbortStatus) {
    if (!s.UseFailureClientPopup) return;
    WriteToDebugLog(run, ">> Showing client pop-up failure message. <<");
    message = &s.FailureMessage;
  } else {
    if (!s.UseSuccessClientPopup) return;
    WriteToDebugLog(run, ">> Showing client pop-up success message. <<");
    message = &s.SuccessMessage;
  }
  run.Svc.Messages->Show(ExpandLineBreaks(*message), "Velloran", MessageIcon::None,
                           MessageButtons::OK);
}

void SendNotifications(Run& run) {
  const INISettings& s = run.Settings;
  if (s.UseSMTP) {
    WriteBanner(run, 24, "     NOTFICATION VIA EMAIL    ", 24);
    SendSMTPNotification(run);
  }
  if (s.UseFileOutput) {
    WriteBanner(run, 22, "     NOTIFICATION VIA FILE OUTPUT     ", 21);
    WriteNotificationFile(run);
  }
  if (s.UseClientPopup) {
    WriteBanner(run, 21, "     NOTIFICATION VIA CLIENT POP-UP    ", 20);
    ShowClientPopup(run);
  }
  if (s.WriteToEventLog) {
    WriteBanner(run, 23, "     NOTIFICATION VIA EVENT LOG    ", 22);
    WriteApplicationEvent(run);
  }
}

}  // namespace velloran
