// "Check targets" on the real window against in-memory print servers: the
// list of the pairs as the window holds them, the progress window and its
// Cancel, and the question before Deploy Now with both answers.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <thread>

#include "FakeShareLister.h"
#include "ToolkitTest.h"
#include "tests/support/Fakes.h"
#include "toolkit/qt/SystemActions.h"
#include "toolkit/qt/frmCheckProgress.h"
#include "toolkit/qt/frmCheckTargets.h"

using namespace velloran;
using namespace velloran::test;

namespace {

// The servers, and the thread each question was asked on.
class ThreadNotingLister : public FakeShareLister {
 public:
  check::ServerAnswer Ask(const check::ServerQuestion& q, check::Clock::time_point d) override {
    {
      std::lock_guard<std::mutex> hold(lock_);
      threads_.push_back(std::this_thread::get_id());
    }
    return FakeShareLister::Ask(q, d);
  }
  std::vector<std::thread::id> Threads() {
    std::lock_guard<std::mutex> hold(lock_);
    return threads_;
  }

 private:
  std::mutex lock_;
  std::vector<std::thread::id> threads_;
};

struct ProgressShot {
  int Value = 0, Maximum = 0;
  QString Label;
  bool CancelEnabled = false;
};

}  // namespace

class CheckTargetsTest : public ToolkitSuite {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void theListShowsThePairsAsTheWindowHoldsThem();
  void cancelEndsTheCheckWithoutAList();
  void deployNowAsksWhenATargetIsMissing();
  void theListFitsItsStatusColumnAndResizes();

 private:
  std::unique_ptr<frmWizard> Open(const QString& deploymentPath = {});
  static QStringList Rows(const frmCheckTargets& list);
  QStringList Messages() const;

  std::unique_ptr<QTemporaryDir> dir_;
  std::shared_ptr<ThreadNotingLister> lister_;
  FixedClock clock_;
  DeploymentServices services_;
  QList<ProgressShot> progress_;
  bool cancelAtStart_ = false;
};

void CheckTargetsTest::init() {
  StartTest();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  QVERIFY(QDir(dir_->path()).mkpath("toolkit"));
  QVERIFY(QDir(dir_->path()).mkpath("share"));
  for (const char* file : {"VelloranEngine.exe", "EvntMsg.dll"})
    QVERIFY(WriteText(dir_->path() + "/toolkit/" + file, "MZ"));

  lister_ = std::make_shared<ThreadNotingLister>();
  lister_->Serve("OLDSRV1", FakeShareLister::Offers({FakeShareLister::Printer("Laser1"),
                                                     FakeShareLister::Printer("Laser2")}));
  lister_->Serve("NEWSRV1", FakeShareLister::Offers({FakeShareLister::Printer("Laser1"),
                                                     FakeShareLister::Disk("Scans")}));
  progress_.clear();
  cancelAtStart_ = false;
  clock_.Time = LocalTime{2004, 7, 9, 14, 5, 33, 0};
  services_ = DeploymentServices{};
  services_.Time = &clock_;
  services_.UserName = [] { return std::string("admin"); };
  services_.ToolkitFolder = (dir_->path() + "/toolkit").toStdString();
  services_.TargetCheck.Setup = [this] {
    TargetCheckSetup setup;
    setup.Lister = lister_;
    return setup;
  };
  services_.TargetCheck.ProgressWatcher = [this](frmCheckProgress& p) {
    progress_ << ProgressShot{p.prbProgress().value(), p.prbProgress().maximum(),
                              p.lblProgress().text(), p.cmdCancel().isEnabled()};
    if (cancelAtStart_ && p.cmdCancel().isEnabled()) p.cmdCancel().click();
  };
}

void CheckTargetsTest::cleanup() {
  lister_->Release();
  EndTest();
}

std::unique_ptr<frmWizard> CheckTargetsTest::Open(const QString& deploymentPath) {
  const QString ini = dir_->path() + "/Printers.ini";
  const QString text =
      "[GENERAL]\r\nUseManualDefinitions=True\r\n"
      "[MANUAL DEFINITIONS SERVERS]\r\nFromServers=OLDSRV1\r\nToServers=NEWSRV1\r\n"
      "[DEPLOYMENT]\r\nDeploymentPath=" +
      deploymentPath + "\r\nCreateWebLaunchPage=False\r\nCreateBatchFile=True\r\n";
  if (!WriteText(ini, text.toUtf8())) return nullptr;
  auto w = StartWizardOn(ini);
  if (w) w->SetSystemActions(MakeSystemActions(services_));
  return w;
}

QStringList CheckTargetsTest::Rows(const frmCheckTargets& list) {
  QStringList rows;
  QTreeWidget& tree = list.lstTargets();
  for (int i = 0; i < tree.topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = tree.topLevelItem(i);
    rows << item->text(0) + " | " + item->text(1) + " | " + item->text(2);
  }
  return rows;
}

QStringList CheckTargetsTest::Messages() const {
  QStringList texts;
  for (const ShownDialog& d : Script().Shown())
    if (d.kind == ShownDialog::Kind::Message) texts << d.Title + "|" + d.Text;
  return texts;
}

void CheckTargetsTest::theListShowsThePairsAsTheWindowHoldsThem() {
  auto w = Open();
  QVERIFY(w);
  // A mixed pair added on its page and not saved to the file.
  w->ShowPage(kPageMixed);
  const std::pair<const char*, const char*> typed[] = {{"txtMixedFromServer", "OLDSRV1"},
                                                       {"txtMixedFromPrinter", "Laser2"},
                                                       {"txtMixedToServer", "NEWSRV1"},
                                                       {"txtMixedToPrinter", "Scans"}};
  for (const auto& [name, text] : typed) {
    FIND(field, QLineEdit, w, name);
    Type(field, text);
  }
  FIND(save, QPushButton, w, "cmdMixedSave");
  Click(save);
  QVERIFY(w->UnsavedChanges());

  QStringList rows;
  QString summary;
  Script().SetNextDialogAction([&](QDialog& d) {
    auto* list = qobject_cast<frmCheckTargets*>(&d);
    QVERIFY(list);
    rows = Rows(*list);
    summary = list->lblSummary().text();
  });
  FIND(check, QPushButton, w, Indexed("cmdCheckTargets", static_cast<int>(PairKind::Mixed)));
  QVERIFY(check->isEnabled());
  Click(check);

  // What is not found first; the words are the command line's.
  QCOMPARE(rows, (QStringList{
                     "\\\\NEWSRV1\\Laser2 | servers 1: OLDSRV1 -> NEWSRV1 | missing",
                     "\\\\NEWSRV1\\Scans | mixed 1: \\\\OLDSRV1\\Laser2 -> \\\\NEWSRV1\\Scans | "
                     "not a printer (a disk share)",
                     "\\\\NEWSRV1\\Laser1 | servers 1: OLDSRV1 -> NEWSRV1 | found",
                 }));
  QCOMPARE(summary, QString("1 of 3 targets found, 1 missing, 1 not a printer."));
  // The bar from empty to full, the servers asked off the window's thread.
  QVERIFY(progress_.size() >= 2);
  QCOMPARE(progress_.front().Value, 0);
  QCOMPARE(progress_.back().Value, 2);
  QCOMPARE(progress_.back().Maximum, 2);
  QCOMPARE(progress_.back().Label, QString("2 of 2 servers answered"));
  const auto threads = lister_->Threads();
  QCOMPARE(threads.size(), size_t(2));
  for (const auto& id : threads) QVERIFY(id != std::this_thread::get_id());
  QVERIFY(!w->findChild<frmCheckProgress*>() || !w->findChild<frmCheckProgress*>()->isVisible());
  QVERIFY(Messages().isEmpty());
}

void CheckTargetsTest::cancelEndsTheCheckWithoutAList() {
  auto w = Open();
  QVERIFY(w);
  lister_->HangOn("NEWSRV1");
  cancelAtStart_ = true;
  FIND(action, QAction, w, "actCheckTargets");
  QVERIFY(action->isEnabled());
  const int modals = CountShown(ShownDialog::Kind::Modal);
  QElapsedTimer timer;
  timer.start();
  action->trigger();
  QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));

  QVERIFY(!progress_.isEmpty());
  QCOMPARE(progress_.back().CancelEnabled, false);
  QCOMPARE(CountShown(ShownDialog::Kind::Modal), modals);
  QVERIFY(Messages().isEmpty());
  QVERIFY(w->isEnabled());
}

// A long status is read without scrolling sideways, and the user may make
// the window larger: the list takes the room.
void CheckTargetsTest::theListFitsItsStatusColumnAndResizes() {
  TargetCheckReport report;
  report.Summary = "0 of 1 targets found, 1 server unreachable.";
  report.Rows.push_back(
      {"mixed 12: \\\\OLDPRINTSERVER01\\Accounting-Floor3-Color -> "
       "\\\\NEWPRINTSERVER01\\Accounting-Floor3-Color",
       "\\\\NEWSRV1\\Accounting3",
       "server unreachable (the server refused every connection on 445 and 139)",
       check::TargetStatus::Unreachable});
  frmCheckTargets list(report);
  list.show();
  QVERIFY(QTest::qWaitForWindowExposed(&list));
  QApplication::processEvents();  // the header lays its sections out late
  QTreeWidget& rows = list.lstTargets();
  const QString status = QString::fromStdString(report.Rows[0].Status);
  QVERIFY(rows.header()->sectionSize(2) >= rows.fontMetrics().horizontalAdvance(status));
  QCOMPARE(rows.horizontalScrollBar()->maximum(), 0);
  const int pair = rows.header()->sectionSize(1);

  QVERIFY(list.minimumWidth() < list.width() && list.maximumWidth() > list.width());
  const QSize before = rows.size();
  list.resize(list.width() + 120, list.height() + 80);
  QApplication::processEvents();
  QCOMPARE(rows.width(), before.width() + 120);
  QCOMPARE(rows.height(), before.height() + 80);
  QCOMPARE(rows.header()->sectionSize(1), pair + 120);  // the pair takes the room
  QCOMPARE(rows.horizontalScrollBar()->maximum(), 0);
}

void CheckTargetsTest::deployNowAsksWhenATargetIsMissing() {
  const QString share = dir_->path() + "/share";
  auto w = Open(share);
  QVERIFY(w);
  FIND(deploy, QPushButton, w, Indexed("cmdDeployNow", 0));
  const QString question =
      QString::fromUtf8("Check targets|1 of 2 targets are missing \xE2\x80\x94 deploy anyway?");

  // No: nothing is deployed and nothing more is said.
  Script().SetNextAnswer(MessageAnswer::No);
  w->ShowPage(kPageDeployment);
  Click(deploy);
  QCOMPARE(Messages().size(), 1);
  QVERIFY2(Messages()[0].startsWith(question), qPrintable(Messages()[0]));
  QVERIFY(Messages()[0].contains("\\\\NEWSRV1\\Laser2: missing"));
  QCOMPARE(FileNames(share), QStringList());

  // Yes: the deployment goes on.
  Script().Reset();
  Script().SetNextAnswer(MessageAnswer::Yes);
  Click(deploy);
  const QStringList messages = Messages();
  QCOMPARE(messages.size(), 2);
  QVERIFY(messages[0].startsWith(question));
  QVERIFY2(messages[1].startsWith("Deployment|The files were deployed"), qPrintable(messages[1]));
  QVERIFY(FileNames(share).contains("Printers.ini"));
}

QTEST_MAIN(CheckTargetsTest)
#include "CheckTargetsTest.moc"
