#pragma once
// What every toolkit suite shares: starting the wizard with the New-INI
// dialog answered, finding controls by object name, and files in temp dirs.

#include <QDialog>
#include <QString>
#include <QTest>
#include <memory>

#include "ScriptedDialogs.h"
#include "toolkit/qt/frmWizard.h"

/// Declares `var` as the child of `root` named `name`, or fails the test.
#define FIND(var, Type, root, name)           \
  auto* var = (root)->findChild<Type*>(name); \
  QVERIFY2(var != nullptr,                    \
           qPrintable(QStringLiteral("no %1 named %2").arg(QLatin1String(#Type), QString(name))))

namespace velloran::test {

/// The dialog service of this test program, which every wizard it starts
/// gets.
ScriptedDialogs& Script();

/// The base of every suite: the scripted dialogs with the help pages of this
/// build before the first test, a clean dialog queue before each, and after
/// each neither a dialog nobody planned for nor an answer nobody asked for.
/// A suite with its own init() or cleanup() calls StartTest() or EndTest().
class ToolkitSuite : public QObject {
  Q_OBJECT

 protected:
  void StartTest();
  void EndTest();

 private slots:
  void initTestCase();
  void init() { StartTest(); }
  void cleanup() { EndTest(); }
};

enum class Kind { ActiveDirectory, Manual };

/// "name(index)", as control arrays are named.
QString Indexed(const char* name, int index);

/// Makes every suite start from the same place: the scripted dialogs with
/// the help pages of this build.
void InitToolkitTests();

/// A started wizard on a new document of `kind` (New-INI dialog answered
/// through its controls), shown and active. Null when start-up failed.
std::unique_ptr<frmWizard> StartWizard(Kind kind);
/// A started wizard on the existing file `path`, chosen on the "Existing"
/// page of the start-up dialog.
std::unique_ptr<frmWizard> StartWizardOn(const QString& path);
/// Queues the answer of the next New-INI dialog: `kind` and Select.
void AnswerNewINI(Kind kind);

/// Clicks `widget` with the mouse; it must be visible.
void Click(QWidget* widget);
/// Replaces the text of a line edit as a user would: select all, type.
void Type(QWidget* edit, const QString& text);

/// The last dialog the toolkit asked for; an empty one when none was.
ShownDialog LastShown();
int CountShown(ShownDialog::Kind kind);

/// A disk that is full past `bytes`: while it lives, no file of this process
/// grows beyond that size (writes fail with "File too large" instead of the
/// signal that would end the process), as writes fail on a full share.
class FullDisk {
 public:
  explicit FullDisk(long long bytes);
  ~FullDisk();
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;
  /// False when the limit could not be set.
  bool Active() const { return active_; }

 private:
  bool active_ = false;
  long long old_ = 0;
  void (*oldHandler_)(int) = nullptr;
};

/// The names in `folder`, sorted, without "." and "..".
QStringList FileNames(const QString& folder);

QString ReadText(const QString& path);
QByteArray ReadBytes(const QString& path);

/// The expected bytes kept in tests/toolkit/golden/NAME, with every "@FOLDER@"
/// replaced by `folder`. With VELLORAN_UPDATE_GOLDEN set, `actual` is written
/// there first (folder put back as "@FOLDER@"), to take a reviewed change.
QByteArray Golden(const QString& name, const QByteArray& actual, const QString& folder = {});
bool WriteText(const QString& path, const QByteArray& content);

}  // namespace velloran::test
