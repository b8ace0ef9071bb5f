#pragma once
// Control IDs of the toolkit's windows. Each ID is named after its control,
// so tests, accessibility tools and the binding find a control by the same
// name on every front-end; control arrays take their index as an offset.

namespace velloran::win32 {

/// The controls the form declares (toolkit/core/Form.h) take their place
/// in its table added to this base (ControlNames.h); the IDs below are
/// those of the controls it does not declare.
inline constexpr int kFormControlBase = 2000;

enum ControlId : int {
  // frmWizard
  ssaVelloran = 1000,
  tvwWizardOptions,
  sstWizard,
  cmdNewServerPair,
  cmdSaveServerPair,
  cmdDeleteServer,
  cmdNewPrinter,
  cmdPrinterSave,
  cmdDeletePrinter,
  cmdMixedNew,
  cmdMixedSave,
  cmdMixedDelete,
  cmdBrowseDeployment,

  // frmNewINI
  sstNewINI = 1100,
  optUseActiveDirectory,
  optUseManualConfiguration,
  drvExistingINI,
  dirExistingINI,
  filExistingINI,
  cmdSelect,
  cmdCancel,
  cmdNewINIHelp,

  // frmAbout
  picIcon = 1150,
  lblTitle,
  lblVersion,
  lblDisclaimer,
  cmdOK,

  // frmProgress
  prbProgress = 1170,
  lblProgress,

  // frmCheckProgress (also prbProgress, lblProgress, cmdCancel),
  // frmCheckTargets
  lblAsking = 1180,
  lblSummary,
  lstTargets,
  cmdClose,
};

// Control arrays: the element's index is added to the array's base.
inline constexpr int kPageSlots = 18;
constexpr int lblGeneral(int page) { return 1200 + page; }
constexpr int cmdBack(int page) { return 1300 + page; }
constexpr int cmdNext(int page) { return 1400 + page; }
constexpr int cmdHelp(int page) { return 1500 + page; }
constexpr int cmdDeployNow(int index) { return 1600 + index; }
constexpr int lblWizard(int index) { return 1620 + index; }
constexpr int lblNotification(int index) { return 1660 + index; }
constexpr int fraSeperator(int index) { return 1700 + index; }
/// On the servers, printers and mixed pages, in that order.
constexpr int cmdCheckTargets(int index) { return 1750 + index; }

/// Menu entries and toolbar buttons: the tool's position in the core's tool
/// list added to this base, so one command ID serves both.
inline constexpr int kToolCommandBase = 40000;
/// F1: help on the page shown.
inline constexpr int kPageHelpCommand = 40100;
/// Tools > Check Targets.
inline constexpr int kCheckTargetsCommand = 40101;

}  // namespace velloran::win32
