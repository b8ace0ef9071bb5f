#pragma once
// Deploy Now: the engine, the saved INI file and optionally an MDAC installer
// copied into the deployment folder, and the web launch page and logon batch
// file that start the engine on the clients.
//
// Two kinds of path meet here. Files are copied through the folder as this
// machine reaches it (on POSIX a UNC path goes through its CIFS mount), while
// the page and the batch file name paths as the Windows clients see them:
// the folder as typed, joined with "\".

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/NetworkObject.h"

class QWidget;

namespace velloran {

class frmProgress;
class frmWizard;

inline constexpr const char* kEngineFileName = "VelloranEngine.exe";

/// The installer of MDAC choice `option`: 0 2.5 SP3, 1 2.7 SP1, anything
/// else 2.8 (the toolkit stores 2 when neither of the first two is chosen).
const char* MDACFileName(int option);

/// One deployment as the wizard window describes it.
struct DeploymentRequest {
  std::string Folder;        ///< the deployment folder as typed: what clients use
  std::string LocalFolder;   ///< the same folder as this machine reaches it
  std::string DocumentPath;  ///< the saved INI file on this machine
  std::string DocumentName;  ///< its file name, e.g. Printers.ini
  bool CreateWebLaunchPage = false;
  bool CreateBatchFile = false;
  bool IncludeMDAC = false;
  int MDACOption = 0;
};

/// When, by whom and where a page or batch file was generated.
struct GeneratedBy {
  LocalTime When;
  std::string UserName;
  std::string ComputerName;
};

/// "MMMM dd, YYYY hh:mm:ss AMPM", e.g. "July 09, 2004 02:05:33 PM".
std::string FormatGeneratedOn(const LocalTime& time);
/// Text made safe between HTML tags and inside attribute quotes.
std::string EscapeForHtml(std::string_view text);
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

/// Copies `from` over `to`, which readers see whole or not at all. A failure
/// names the file it concerns.
Status CopyFileReplacing(const std::string& from, const std::string& to);

/// Where a file delivered with the toolkit (the engine, an MDAC installer)
/// is: beside the toolkit, else in the install's share/velloran folder; the
/// path beside the toolkit when neither holds it, so a copy error names it.
std::string DeliveredFile(const std::string& toolkitFolder, const char* name);

/// What a deployment needs from the system; tests fix every part.
struct DeploymentServices {
  const Clock* Time = nullptr;              ///< the system clock when null
  NetworkObjectFactory* Network = nullptr;  ///< null: "Computer UNKNOWN"
  std::function<std::string()> UserName;    ///< LoggedOnUserName when empty
  std::string ToolkitFolder;                ///< ExecutableFolder() when empty
  /// Called whenever the progress window changes (tests watch the steps).
  std::function<void(const frmProgress&)> ProgressWatcher;
};

/// Deploy Now on the wizard window, reading its controls at the click.
class modDeployment {
 public:
  modDeployment(frmWizard& wizard, DeploymentServices services);
  ~modDeployment();

  /// The handler of both cmdDeployNow buttons.
  void cmdDeployNow_Click();
  /// Set at the start of Deploy Now, cleared by every error message.
  bool DeploymentSucceeded() const { return deploymentSucceeded_; }

  std::string GetLocalUserName() const;
  std::string GetLocalComputerName() const;

 private:
  DeploymentRequest ReadRequest() const;
  void CopyDeploymentFiles();
  void WriteWebLaunchPage();
  void WriteBatchFile();
  void ProgressStep(const QString& label);
  void ShowProgress();
  GeneratedBy Stamp() const;
  void ErrorMessage(const QString& sentence, const PlatformError& error);

  frmWizard& wizard_;
  DeploymentServices services_;
  DeploymentRequest request_;
  std::unique_ptr<frmProgress> progress_;
  bool deploymentSucceeded_ = false;
};

}  // namespace velloran
