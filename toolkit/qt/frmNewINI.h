#pragma once
// The New-INI dialog: a new Active Directory or manual document, or (at
// start-up only) an existing INI file.

#include <QDialog>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeView;

namespace velloran {

class DialogService;

class frmNewINI : public QDialog {
  Q_OBJECT

 public:
  enum Page { kPageNew = 0, kPageExisting = 1, kPageRecent = 2 };

  /// `dialogs` serves the Help button; it must outlive the dialog.
  explicit frmNewINI(DialogService& dialogs, QWidget* parent = nullptr);

  /// True when the dialog was left with Cancel (or closed without Select).
  bool g_bolCancelPressed = true;

  /// Offers the "Existing" page (start-up) or only "New" (File > New).
  void OfferExisting(bool offer);
  bool ExistingOffered() const;
  /// Selects "&Active Directory" or "&Manual Configuration".
  void SelectActiveDirectory(bool activeDirectory);
  bool ActiveDirectorySelected() const;
  /// The page shown (0 New, 1 Existing).
  int ShownPage() const;
  /// The folder of the folder list and the file chosen in the file list.
  QString ExistingFolder() const;
  QString ExistingFileName() const;
  /// The chosen file with its folder, joined with this system's separator.
  QString ExistingFilePath() const;
  /// Shows `folder` in the folder list and its INI files in the file list.
  void SetExistingFolder(const QString& folder);

  void cmdSelect_Click();
  void cmdCancel_Click();
  void cmdHelp_Click();

 protected:
  void reject() override;

 private:
  void drvExistingINI_Change();
  void dirExistingINI_Change();
  void filExistingINI_DblClick();
  void UpdateSelectButton();

  QTabWidget* sstNewINI_ = nullptr;
  QRadioButton* optUseActiveDirectory_ = nullptr;
  QRadioButton* optUseManualConfiguration_ = nullptr;
  QComboBox* drvExistingINI_ = nullptr;
  QTreeView* dirExistingINI_ = nullptr;
  QFileSystemModel* folders_ = nullptr;
  QListWidget* filExistingINI_ = nullptr;
  QPushButton* cmdSelect_ = nullptr;
  DialogService& dialogs_;
  QString existingFolder_;
};

}  // namespace velloran
