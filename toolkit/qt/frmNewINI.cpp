#include "toolkit/qt/frmNewINI.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include "toolkit/qt/Help.h"
#include "toolkit/qt/imgWizard.h"

namespace velloran {
namespace {

QLabel* WrappedText(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

}  // namespace

frmNewINI::frmNewINI(DialogService& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
  setObjectName("frmNewINI");
  setWindowTitle("New INI");
  setWindowIcon(VelloranIcon());
  setModal(true);
  resize(560, 420);

  sstNewINI_ = new QTabWidget(this);
  sstNewINI_->setObjectName("sstNewINI");

  // Page 0: the kind of a new document.
  auto* pageNew = new QWidget;
  auto* newLayout = new QVBoxLayout(pageNew);
  newLayout->setContentsMargins(14, 14, 14, 14);
  newLayout->setSpacing(6);
  newLayout->addWidget(new QLabel("Please select the type of Velloran INI file:", pageNew));
  newLayout->addSpacing(8);
  // Each kind: its option, and below it what it is for.
  auto option = [&](const char* caption, const char* name, const char* explanation) {
    auto* button = new QRadioButton(caption, pageNew);
    button->setObjectName(name);
    newLayout->addWidget(button);
    auto* text = WrappedText(explanation, pageNew);
    text->setContentsMargins(24, 0, 0, 0);
    newLayout->addWidget(text);
    return button;
  };
  optUseActiveDirectory_ = option(
      "&Active Directory", "optUseActiveDirectory",
      "If all of your printers are published within Active Directory, you can select the Active "
      "Directory option to automatically maintain correct printer mappings using the automatic "
      "search and replace feature of Velloran.");
  newLayout->addSpacing(10);
  optUseManualConfiguration_ = option(
      "&Manual Configuration", "optUseManualConfiguration",
      "If you would like more control over which printers get moved to which servers, please "
      "select this option.");
  newLayout->addStretch(1);
  optUseActiveDirectory_->setChecked(true);

  // Page 1: an existing file, chosen by drive, folder and file.
  auto* pageExisting = new QWidget;
  auto* existingLayout = new QGridLayout(pageExisting);
  existingLayout->setContentsMargins(14, 14, 14, 14);
  existingLayout->addWidget(new QLabel("Please navigate to and select an existing INI file:"), 0, 0,
                            1, 2);
  drvExistingINI_ = new QComboBox(pageExisting);
  drvExistingINI_->setObjectName("drvExistingINI");
  for (const QFileInfo& drive : QDir::drives()) {
    drvExistingINI_->addItem(QDir::toNativeSeparators(drive.absoluteFilePath()),
                             drive.absoluteFilePath());
  }
  existingLayout->addWidget(drvExistingINI_, 1, 0);
  folders_ = new QFileSystemModel(this);
  folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  folders_->setRootPath(QString());
  dirExistingINI_ = new QTreeView(pageExisting);
  dirExistingINI_->setObjectName("dirExistingINI");
  dirExistingINI_->setModel(folders_);
  dirExistingINI_->setHeaderHidden(true);
  for (int column = 1; column < folders_->columnCount(); ++column) {
    dirExistingINI_->hideColumn(column);
  }
  existingLayout->addWidget(dirExistingINI_, 2, 0);
  filExistingINI_ = new QListWidget(pageExisting);
  filExistingINI_->setObjectName("filExistingINI");
  existingLayout->addWidget(filExistingINI_, 1, 1, 2, 1);
  existingLayout->setColumnStretch(0, 3);
  existingLayout->setColumnStretch(1, 2);
  existingLayout->setRowStretch(2, 1);

  // Page 2 is kept for a list of recent files and stays switched off.
  auto* pageRecent = new QWidget;

  sstNewINI_->addTab(pageNew, "New");
  sstNewINI_->addTab(pageExisting, "Existing");
  sstNewINI_->addTab(pageRecent, "&Recent");

  auto* cmdHelp = new QPushButton("&Help", this);
  cmdHelp->setObjectName("cmdHelp");
  cmdSelect_ = new QPushButton("&Select", this);
  cmdSelect_->setObjectName("cmdSelect");
  cmdSelect_->setDefault(true);
  auto* cmdCancel = new QPushButton("&Cancel", this);
  cmdCancel->setObjectName("cmdCancel");

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdHelp);
  buttons->addStretch(1);
  buttons->addWidget(cmdSelect_);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(sstNewINI_, 1);
  layout->addLayout(buttons);

  connect(cmdSelect_, &QPushButton::clicked, this, &frmNewINI::cmdSelect_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmNewINI::cmdCancel_Click);
  connect(cmdHelp, &QPushButton::clicked, this, &frmNewINI::cmdHelp_Click);
  // F1 answers here as on every page of the wizard.
  auto* helpKey = new QShortcut(QKeySequence::HelpContents, this);
  connect(helpKey, &QShortcut::activated, this, &frmNewINI::cmdHelp_Click);
  connect(drvExistingINI_, &QComboBox::activated, this, &frmNewINI::drvExistingINI_Change);
  connect(dirExistingINI_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &frmNewINI::dirExistingINI_Change);
  connect(filExistingINI_, &QListWidget::itemDoubleClicked, this,
          &frmNewINI::filExistingINI_DblClick);
  connect(filExistingINI_, &QListWidget::currentRowChanged, this, &frmNewINI::UpdateSelectButton);
  connect(sstNewINI_, &QTabWidget::currentChanged, this, &frmNewINI::UpdateSelectButton);

  // Load: the recent list is never offered; the dialog opens on "New".
  sstNewINI_->setTabEnabled(kPageRecent, false);
  sstNewINI_->setCurrentIndex(kPageNew);
  SetExistingFolder(QDir::currentPath());
}

void frmNewINI::OfferExisting(bool offer) {
  sstNewINI_->setTabEnabled(kPageExisting, offer);
  if (!offer && sstNewINI_->currentIndex() == kPageExisting) sstNewINI_->setCurrentIndex(kPageNew);
}

bool frmNewINI::ExistingOffered() const { return sstNewINI_->isTabEnabled(kPageExisting); }

void frmNewINI::SelectActiveDirectory(bool activeDirectory) {
  (activeDirectory ? optUseActiveDirectory_ : optUseManualConfiguration_)->setChecked(true);
}

bool frmNewINI::ActiveDirectorySelected() const { return optUseActiveDirectory_->isChecked(); }

int frmNewINI::ShownPage() const { return sstNewINI_->currentIndex(); }

QString frmNewINI::ExistingFolder() const { return existingFolder_; }

QString frmNewINI::ExistingFileName() const {
  const QListWidgetItem* item = filExistingINI_->currentItem();
  return item ? item->text() : QString();
}

QString frmNewINI::ExistingFilePath() const {
  if (ExistingFileName().isEmpty()) return {};
  return QDir::toNativeSeparators(QDir(existingFolder_).filePath(ExistingFileName()));
}

void frmNewINI::SetExistingFolder(const QString& folder) {
  existingFolder_ = QDir::cleanPath(QDir(folder).absolutePath());
  // The drive list and the folder list's root follow the folder's drive.
  for (int i = 0; i < drvExistingINI_->count(); ++i) {
    const QString drive = drvExistingINI_->itemData(i).toString();
    if (existingFolder_.startsWith(drive, Qt::CaseInsensitive) || existingFolder_ + '/' == drive) {
      drvExistingINI_->setCurrentIndex(i);
      dirExistingINI_->setRootIndex(folders_->index(drive));
      break;
    }
  }
  const QModelIndex index = folders_->index(existingFolder_);
  if (index.isValid() && dirExistingINI_->currentIndex() != index) {
    dirExistingINI_->setCurrentIndex(index);
    dirExistingINI_->scrollTo(index);
  }
  filExistingINI_->clear();
  const QStringList files = QDir(existingFolder_)
                                .entryList({QStringLiteral("*.ini")}, QDir::Files | QDir::Hidden,
                                           QDir::Name | QDir::IgnoreCase);
  filExistingINI_->addItems(files);
  UpdateSelectButton();
}

void frmNewINI::cmdSelect_Click() {
  if (ShownPage() == kPageExisting && ExistingFileName().isEmpty()) return;
  g_bolCancelPressed = false;
  accept();
}

void frmNewINI::cmdCancel_Click() { reject(); }

void frmNewINI::reject() {
  g_bolCancelPressed = true;
  QDialog::reject();
}

void frmNewINI::cmdHelp_Click() {
  help::ShowHelp(this, dialogs_, ExistingOffered() ? help::kNewINIStartup : help::kNewINI);
}

void frmNewINI::drvExistingINI_Change() {
  SetExistingFolder(drvExistingINI_->currentData().toString());
}

void frmNewINI::dirExistingINI_Change() {
  const QModelIndex index = dirExistingINI_->currentIndex();
  if (!index.isValid()) return;
  const QString folder = folders_->filePath(index);
  if (folder != existingFolder_) SetExistingFolder(folder);
}

void frmNewINI::filExistingINI_DblClick() { cmdSelect_Click(); }

void frmNewINI::UpdateSelectButton() {
  cmdSelect_->setEnabled(ShownPage() != kPageExisting || !ExistingFileName().isEmpty());
}

}  // namespace velloran
