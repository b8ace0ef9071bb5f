// The two folder pickers, the mount table behind UNC paths, the domain list
// and the About box.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "ToolkitTest.h"
#include "platform/profile/Profile.h"
#include "toolkit/qt/DomainList.h"
#include "toolkit/qt/SystemActions.h"
#include "toolkit/qt/frmAbout.h"
#include "toolkit/qt/modBrowseForFolder.h"

using namespace velloran;
using namespace velloran::test;

class BrowsingTest : public ToolkitSuite {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void networkPickerGivesTheUNCPathOfAMountedFolder();
  void folderPickerFillsTheOutputPath();
  void folderChecksGoThroughTheMountTable();
  void domainListAtStartUp();
  void aboutBox();

 private:
  std::unique_ptr<frmWizard> Wizard(Kind kind = Kind::Manual);

  std::unique_ptr<QTemporaryDir> dir_;
  QString mounts_;
  DeploymentServices services_;
};

void BrowsingTest::init() {
  StartTest();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  QVERIFY(QDir(dir_->path()).mkpath("mnt/deploy/wave 1"));
  QVERIFY(QDir(dir_->path()).mkpath("local/out"));
  mounts_ = dir_->path() + "/mounts";
  // The kernel escapes a blank in a mount point as \040.
  const QString point = dir_->path() + "/mnt/deploy";
  QVERIFY(WriteText(mounts_, ("sysfs /sys sysfs rw 0 0\n"
                              "//fs1/Deploy " +
                              point +
                              " cifs rw,vers=3.0 0 0\n"
                              "//fs1/other " +
                              dir_->path() +
                              "/mnt/x\\040y cifs rw 0 0\n"
                              "nfs:/export " +
                              dir_->path() + "/local nfs rw 0 0\n")
                                 .toUtf8()));
  Script().SetMountTableFile(mounts_);
}

void BrowsingTest::cleanup() {
  Script().SetMountTableFile({});
  qunsetenv("KRB5_CONFIG");
  qunsetenv("LDAPCONF");
  qunsetenv("LDAPBASE");
  EndTest();
}

std::unique_ptr<frmWizard> BrowsingTest::Wizard(Kind kind) {
  auto w = StartWizard(kind);
  if (w) w->SetSystemActions(MakeSystemActions(services_));
  Script().Reset();
  return w;
}

void BrowsingTest::networkPickerGivesTheUNCPathOfAMountedFolder() {
  auto w = Wizard();
  QVERIFY(w);
  w->ShowPage(kPageDeployment);
  FIND(browse, QPushButton, w.get(), "cmdBrowseDeployment");
  FIND(path, QLineEdit, w.get(), "txtNetworkSharePath");
  QVERIFY(browse->isEnabled());

  // A folder below the share, as Windows clients will name it.
  Script().SetNextFileName(dir_->path() + "/mnt/deploy/wave 1");
  Click(browse);
  QCOMPARE(path->text(), QString("\\\\fs1\\Deploy\\wave 1"));
  QCOMPARE(LastShown().kind, ShownDialog::Kind::Folder);
  QCOMPARE(LastShown().Title, QString("Select a network computer or share."));
  // It starts where the shares are.
  QCOMPARE(LastShown().Text, dir_->path() + "/mnt/deploy");
  QVERIFY(w->UnsavedChanges());

  // The share itself.
  Script().SetNextFileName(dir_->path() + "/mnt/deploy");
  Click(browse);
  QCOMPARE(path->text(), QString("\\\\fs1\\Deploy"));

  // Cancelled: the field keeps its text.
  Script().SetNextFileName(QString());
  Click(browse);
  QCOMPARE(path->text(), QString("\\\\fs1\\Deploy"));

  // A folder on no share comes back as it stands.
  Script().SetNextFileName(dir_->path() + "/local/out");
  Click(browse);
  QCOMPARE(path->text(), dir_->path() + "/local/out");
}

void BrowsingTest::folderPickerFillsTheOutputPath() {
  auto w = Wizard();
  QVERIFY(w);
  w->ShowPage(kPageFileOutput);
  FIND(browse, QPushButton, w.get(), "cmdBrowseFileOutput");
  FIND(path, QLineEdit, w.get(), "txtFileOutputPath");
  FIND(use, QCheckBox, w.get(), "chkUseFileOutput");
  QVERIFY(!browse->isEnabled());
  Click(use);
  QVERIFY(browse->isEnabled());

  Script().SetNextFileName(dir_->path() + "/local/out");
  Click(browse);
  QCOMPARE(path->text(), dir_->path() + "/local/out");
  QCOMPARE(LastShown().Title, QString("Please select a folder."));

  Script().SetNextFileName(dir_->path() + "/mnt/x y/results");
  Click(browse);
  QCOMPARE(path->text(), QString("\\\\fs1\\other\\results"));

  Script().SetNextFileName(QString());
  Click(browse);
  QCOMPARE(path->text(), QString("\\\\fs1\\other\\results"));
}

void BrowsingTest::folderChecksGoThroughTheMountTable() {
  const std::string table = Script().MountTable();
  QCOMPARE(FolderOnThisSystem("\\\\FS1\\deploy\\wave 1", table),
           dir_->path() + "/mnt/deploy/wave 1");
  QCOMPARE(FolderOnThisSystem("\\\\fs1\\unmounted", table), QString());
  QCOMPARE(FolderOnThisSystem(dir_->path(), table), dir_->path());
  QVERIFY(FolderExists("\\\\fs1\\deploy\\wave 1", table));
  QVERIFY(!FolderExists("\\\\fs1\\deploy\\wave 2", table));
  QVERIFY(!FolderExists("\\\\fs9\\deploy", table));
  QVERIFY(FolderExists(dir_->path() + "/local", table));
  QVERIFY(!FolderExists(mounts_, table));  // a file is no folder
  QVERIFY(!FolderExists(QString(), Script().MountTable()));
  Script().SetMountTableFile(dir_->path() + "/no-such-table");
  QVERIFY(!FolderExists("\\\\fs1\\deploy\\wave 1", Script().MountTable()));
}

void BrowsingTest::domainListAtStartUp() {
  const QString krb5 = dir_->path() + "/krb5.conf";
  const QString ldap = dir_->path() + "/ldap.conf";
  QVERIFY(WriteText(krb5, "[libdefaults]\n default_realm = AD.EXAMPLE.ORG\n"));
  QVERIFY(WriteText(ldap, "BASE dc=lab,dc=example,dc=org\n"));
  qputenv("KRB5_CONFIG", (dir_->path() + "/missing.conf:" + krb5).toUtf8());
  qputenv("LDAPCONF", ldap.toUtf8());

  frmWizard wizard(SystemProfile(), Script());
  wizard.SetSystemActions(MakeSystemActions(services_));
  AnswerNewINI(Kind::ActiveDirectory);
  QVERIFY(wizard.Form_Load());
  FIND(domains, QComboBox, &wizard, "cboDomainName");
  QStringList items;
  for (int i = 0; i < domains->count(); ++i) items << domains->itemText(i);
  QCOMPARE(items, (QStringList{"AD.EXAMPLE.ORG", "lab.example.org"}));
  // Offered, not chosen: the new document's name stays empty and unchanged.
  QCOMPARE(domains->currentText(), QString());
  QVERIFY(!wizard.UnsavedChanges());
  wizard.close();

  // No configuration at all: an empty list, no message, typing still works.
  qputenv("KRB5_CONFIG", (dir_->path() + "/missing.conf").toUtf8());
  qputenv("LDAPCONF", (dir_->path() + "/missing.conf").toUtf8());
  Script().Reset();
  frmWizard bare(SystemProfile(), Script());
  bare.SetSystemActions(MakeSystemActions(services_));
  AnswerNewINI(Kind::ActiveDirectory);
  QVERIFY(bare.Form_Load());
  bare.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&bare));
  FIND(none, QComboBox, &bare, "cboDomainName");
  QCOMPARE(none->count(), 0);
  QCOMPARE(CountShown(ShownDialog::Kind::Message), 0);
  bare.ShowPage(kPageActiveDirectory);
  Type(none->lineEdit(), "typed.example");
  QCOMPARE(none->currentText(), QString("typed.example"));
  Script().SetNextAnswer(MessageAnswer::No);  // the exit prompt for the typed name
  bare.close();
}

void BrowsingTest::aboutBox() {
  QCOMPARE(AboutVersionText("2.0.9"), QString("Version 2.0.9"));
  QCOMPARE(AboutVersionText("02.00.0009"), QString("Version 2.0.9"));

  auto w = Wizard();
  QVERIFY(w);
  bool checked = false;
  Script().SetNextDialogAction([&checked](QDialog& about) {
    QCOMPARE(about.objectName(), QString("frmAbout"));
    QCOMPARE(about.windowTitle(), QString("About Velloran - Deployment Toolkit"));
    FIND(title, QLabel, &about, "lblTitle");
    FIND(version, QLabel, &about, "lblVersion");
    FIND(notice, QLabel, &about, "lblDisclaimer");
    FIND(ok, QPushButton, &about, "cmdOK");
    QCOMPARE(title->text(), QString("Velloran - Deployment Toolkit"));
    QCOMPARE(version->text(), QString("Version 2.0.9"));
    QVERIFY(notice->text().contains("Kestrane"));
    QVERIFY(about.isVisible());
    Click(ok);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
    checked = true;
  });
  FIND(tool, QAction, w.get(), "ID_BTN_ABOUT");
  QVERIFY(tool->isEnabled());
  tool->trigger();
  QVERIFY(checked);
  QCOMPARE(LastShown().kind, ShownDialog::Kind::Modal);
}

QTEST_MAIN(BrowsingTest)
#include "BrowsingTest.moc"
