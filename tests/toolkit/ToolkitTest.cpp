#include "ToolkitTest.h"

#include <signal.h>
#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "platform/profile/Profile.h"
#include "toolkit/qt/Help.h"
#include "toolkit/qt/frmNewINI.h"

namespace velloran::test {

ScriptedDialogs& Script() {
  static ScriptedDialogs dialogs;
  return dialogs;
}

QString Indexed(const char* name, int index) {
  return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

void ToolkitSuite::initTestCase() { InitToolkitTests(); }

void ToolkitSuite::StartTest() { Script().Reset(); }

void ToolkitSuite::EndTest() {
  QCOMPARE(Script().Unplanned(), 0);
  QCOMPARE(Script().PendingAnswers(), 0);
}

void InitToolkitTests() { Script().SetHelpFolder(QStringLiteral(VELLORAN_TOOLKIT_HELP_DIR)); }

void AnswerNewINI(Kind kind) {
  Script().SetNextDialogAction([kind](QDialog& dialog) {
    const char* option =
        kind == Kind::ActiveDirectory ? "optUseActiveDirectory" : "optUseManualConfiguration";
    if (auto* button = dialog.findChild<QRadioButton*>(option)) button->click();
    if (auto* select = dialog.findChild<QPushButton*>("cmdSelect")) select->click();
  });
}

namespace {

std::unique_ptr<frmWizard> Start() {
  auto wizard = std::make_unique<frmWizard>(SystemProfile(), Script());
  if (!wizard->Form_Load()) return nullptr;
  wizard->activateWindow();
  if (!QTest::qWaitForWindowActive(wizard.get())) return nullptr;
  return wizard;
}

}  // namespace

std::unique_ptr<frmWizard> StartWizard(Kind kind) {
  AnswerNewINI(kind);
  return Start();
}

std::unique_ptr<frmWizard> StartWizardOn(const QString& path) {
  Script().SetNextDialogAction([path](QDialog& dialog) {
    auto& newINI = static_cast<frmNewINI&>(dialog);
    newINI.findChild<QTabWidget*>("sstNewINI")->setCurrentIndex(frmNewINI::kPageExisting);
    newINI.SetExistingFolder(QFileInfo(path).absolutePath());
    auto* files = newINI.findChild<QListWidget*>("filExistingINI");
    const auto found = files->findItems(QFileInfo(path).fileName(), Qt::MatchExactly);
    if (!found.isEmpty()) files->setCurrentItem(found.front());
    newINI.findChild<QPushButton*>("cmdSelect")->click();
  });
  return Start();
}

void Click(QWidget* widget) {
  // Check boxes and option buttons answer only on their box and caption,
  // which sit at the left of a row as wide as the page.
  if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget)) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, widget->height() / 2));
  } else {
    QTest::mouseClick(widget, Qt::LeftButton);
  }
}

void Type(QWidget* edit, const QString& text) {
  edit->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

ShownDialog LastShown() {
  const auto& shown = Script().Shown();
  return shown.empty() ? ShownDialog{} : shown.back();
}

int CountShown(ShownDialog::Kind kind) {
  int n = 0;
  for (const ShownDialog& d : Script().Shown()) n += d.kind == kind;
  return n;
}

FullDisk::FullDisk(long long bytes) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
  old_ = static_cast<long long>(limit.rlim_cur);
  oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
  limit.rlim_cur = static_cast<rlim_t>(bytes);
  active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FullDisk::~FullDisk() {
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = static_cast<rlim_t>(old_);
  ::setrlimit(RLIMIT_FSIZE, &limit);
  ::signal(SIGXFSZ, oldHandler_);
}

QStringList FileNames(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QString ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray Golden(const QString& name, const QByteArray& actual, const QString& folder) {
  const QString path = QStringLiteral(VELLORAN_TOOLKIT_GOLDEN_DIR "/") + name;
  if (qEnvironmentVariableIsSet("VELLORAN_UPDATE_GOLDEN")) {
    QByteArray stored = actual;
    if (!folder.isEmpty()) stored.replace(folder.toUtf8(), "@FOLDER@");
    WriteText(path, stored);
  }
  QByteArray expected = ReadBytes(path);
  if (!folder.isEmpty()) expected.replace("@FOLDER@", folder.toUtf8());
  return expected;
}

bool WriteText(const QString& path, const QByteArray& content) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

}  // namespace velloran::test
