#pragma once
// Deploy Now: the engine, its event message file, the saved INI file and
// optionally an MDAC installer copied into the deployment folder, then the
// web launch page and logon batch file that start the engine on the clients.
//
// Two kinds of path meet here. Files are copied through the folder as this
// machine reaches it (on POSIX a UNC path goes through its CIFS mount), while
// the page and the batch file name paths as the Windows clients see them.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/Error.h"
#include "toolkit/core/Document.h"
#include "toolkit/core/Prompter.h"

namespace velloran {

inline constexpr const char* kEngineFileName = "VelloranEngine.exe";
/// The message table the event viewer needs to show the engine's events.
inline constexpr const char* kEventMessageFileName = "EvntMsg.dll";
/// The administrator's command line, which the driver start-up script runs.
inline constexpr const char* kCommandLineFileName = "velloran.exe";

/// The installer of MDAC choice `option`: 0 2.5 SP3, 1 2.7 SP1, anything
/// else 2.8 (the toolkit stores 2 when neither of the first two is chosen).
const char* MDACFileName(int option);

/// One deployment as the saved document describes it.
struct DeploymentRequest {
  std::string Folder;        ///< the deployment folder as the clients name it
  std::string LocalFolder;   ///< the same folder as this machine reaches it
  std::string DocumentPath;  ///< the saved INI file on this machine
  std::string DocumentName;  ///< its file name, e.g. Printers.ini
  bool CreateWebLaunchPage = false;
  bool CreateBatchFile = false;
  bool IncludeMDAC = false;
  int MDACOption = 0;
  bool CreateDriverScript = false;
};

/// When, by whom and where a page or batch file was generated.
struct GeneratedBy {
  LocalTime When;
  std::string UserName;
  std::string ComputerName;
};

/// "MMMM dd, YYYY hh:mm:ss AMPM", e.g. "July 09, 2004 02:05:33 PM".
std::string FormatGeneratedOn(const LocalTime& time);
/// Text made safe on a line of a batch file, also inside double quotes:
/// "%" doubled, double quotes (which no Windows path holds) and line breaks
/// dropped.
std::string EscapeForBatch(std::string_view text);
/// `folder` + "\" + `name`: a path as the clients see it.
std::string ClientPath(std::string_view folder, std::string_view name);

/// The web launch page, lines ending in CR LF.
std::string WebLaunchPageText(const DeploymentRequest& request, const GeneratedBy& by);
/// The logon batch file, lines ending in CR LF.
std::string BatchFileText(const DeploymentRequest& request, const GeneratedBy& by);
/// The start-up script's name beside the batch file: "Printers.ini" gives
/// "Printers.ini.install-drivers.bat".
std::string DriverScriptName(std::string_view documentName);
/// The start-up script that installs the drivers the INI file's new queues
/// need, run as the system before anyone logs on; lines ending in CR LF.
std::string DriverScriptText(const DeploymentRequest& request, const GeneratedBy& by);

/// Copies `from` over `to` through a temp name and a rename: readers see
/// the old file or the new one. A failure names the file it concerns.
Status CopyFileReplacing(const std::string& from, const std::string& to);

/// Where a file delivered with the toolkit (the engine, an MDAC installer)
/// is: beside the toolkit, else in the install's share/velloran folder; the
/// path beside the toolkit when neither holds it, so a copy error names it.
std::string DeliveredFile(const std::string& toolkitFolder, const char* name);

/// What a deployment needs from the system; tests fix every part.
struct DeploymentEnvironment {
  const Clock* Time = nullptr;
  std::function<std::string()> UserName;
  std::function<std::string()> ComputerName;
  std::string ToolkitFolder;
  std::function<bool(const std::string&)> FolderExists;
  /// The folder as this machine reaches it ("" when it cannot).
  std::function<std::string(const std::string&)> LocalFolder;
  /// The UNC path of a folder of this machine that a mounted share holds;
  /// "" when none does.
  std::function<std::string(const std::string&)> ShareOf;
  /// Asked once the document is saved and its folder exists, before any
  /// file is copied (the check of the targets); false stops the deployment.
  std::function<bool(const INISettings&)> Confirm;
  /// The Deployment page's "Create driver start-up script", a choice the
  /// toolkit keeps in its own settings: the INI file has no key for it.
  bool CreateDriverScript = false;
};

/// What Deploy Now shows while it works.
class DeploymentView : public virtual Prompter {
 public:
  /// The progress window: opened by the first call, closed by Finished().
  virtual void Progress(int value, int maximum, std::string_view label) = 0;
  virtual void Finished() = 0;
};

struct DeploymentOutcome {
  bool Succeeded = false;           ///< every file copied and written
  std::vector<std::string> Failed;  ///< "name: reason", one per file
  std::vector<std::string> Kept;    ///< files left as they were
};

/// Deploy Now for the saved `document`.
DeploymentOutcome Deploy(const Document& document, const DeploymentEnvironment& environment,
                         DeploymentView& view);

}  // namespace velloran
