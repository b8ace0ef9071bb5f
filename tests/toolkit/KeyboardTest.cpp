// The wizard from the keyboard, and fields that must come back as the user
// left them: Tab order, F1, the domain box, fields after a save.

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "ToolkitTest.h"
#include "toolkit/qt/frmNewINI.h"

using namespace velloran;
using namespace velloran::test;

class KeyboardTest : public ToolkitSuite {
  Q_OBJECT

 private slots:
  void tabGoesFromTheTreeThroughTheFieldsToTheButtons_data();
  void tabGoesFromTheTreeThroughTheFieldsToTheButtons();
  void f1OpensTheHelpOfThePageShown();
  void domainBoxKeepsWhatWasTyped();
  void emptyFieldsStayEmptyAfterASave();
  void popupHelpAgreesThatAFailureMessageWorksAlone();
};

namespace {

QAction* ToolNamed(frmWizard& w, const char* id) { return w.findChild<QAction*>(id); }

/// The widgets Tab visits from `start` until it comes back round.
QList<QWidget*> TabChain(QWidget* start, int limit = 60) {
  QList<QWidget*> chain;
  start->setFocus(Qt::TabFocusReason);
  for (int i = 0; i < limit; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* now = QApplication::focusWidget();
    if (!now || now == start || chain.contains(now)) break;
    chain.append(now);
  }
  return chain;
}

}  // namespace

void KeyboardTest::tabGoesFromTheTreeThroughTheFieldsToTheButtons_data() {
  QTest::addColumn<int>("page");
  QTest::addColumn<QString>("firstField");
  QTest::newRow("SMTP") << int(kPageSMTPMail) << "chkUseSMTP";
  QTest::newRow("servers") << int(kPageServers) << "txtFromServer";
  QTest::newRow("support") << int(kPageSupport) << "chkDebugOn";
}

void KeyboardTest::tabGoesFromTheTreeThroughTheFieldsToTheButtons() {
  QFETCH(int, page);
  QFETCH(QString, firstField);
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  w->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(w.get()));
  w->ShowPage(page);
  FIND(tree, QTreeWidget, w, "tvwWizardOptions");

  const QList<QWidget*> chain = TabChain(tree);
  QStringList names;
  for (QWidget* widget : chain) names << widget->objectName();
  const QByteArray seen = names.join(' ').toUtf8();
  // The page's first field comes first, its buttons last, in the order they stand.
  QVERIFY2(!chain.isEmpty() && names.first() == firstField, seen.constData());
  const int help = names.indexOf(Indexed("cmdHelp", page));
  const int back = names.indexOf(Indexed("cmdBack", page));
  const int next = names.indexOf(Indexed("cmdNext", page));
  const bool lastPage = !w->findChild<QPushButton*>(Indexed("cmdNext", page))->isEnabled();
  QVERIFY2(help > 0 && back == help + 1, seen.constData());
  QVERIFY2(lastPage ? next == -1 : next == back + 1, seen.constData());
  // Nothing of another page is visited.
  for (QWidget* widget : chain) QVERIFY2(widget->isVisible(), qPrintable(widget->objectName()));
}

void KeyboardTest::f1OpensTheHelpOfThePageShown() {
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  w->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(w.get()));
  for (int page : {int(kPageSMTPMail), int(kPageServers)}) {
    w->ShowPage(page);
    const int before = CountShown(ShownDialog::Kind::Url);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.get(),
                    Qt::Key_F1);
    QCOMPARE(CountShown(ShownDialog::Kind::Url), before + 1);
    const QString shown = LastShown().Text;
    // The same page the Help button opens.
    Click(w->findChild<QPushButton*>(Indexed("cmdHelp", page)));
    QCOMPARE(LastShown().Text, shown);
    QVERIFY2(!shown.endsWith("index.html"), qPrintable(shown));
  }
}

void KeyboardTest::domainBoxKeepsWhatWasTyped() {
  auto w = StartWizard(Kind::ActiveDirectory);
  QVERIFY(w);
  w->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(w.get()));
  w->ShowPage(kPageActiveDirectory);
  FIND(box, QComboBox, w, "cboDomainName");
  box->clear();
  box->addItems({"CORP.EXAMPLE.COM", "LAB.EXAMPLE.COM"});
  box->setCurrentIndex(-1);
  box->lineEdit()->clear();
  box->setFocus();
  QTest::keyClicks(box->lineEdit(), "corp.example.com");
  QTest::keyClick(box->lineEdit(), Qt::Key_Return);
  QCOMPARE(box->currentText(), QString("corp.example.com"));
  // Leaving the box keeps it too.
  w->findChild<QTreeWidget*>("tvwWizardOptions")->setFocus();
  QCOMPARE(box->currentText(), QString("corp.example.com"));
  // Picking from the list still takes the entry as listed.
  box->setCurrentIndex(1);
  QCOMPARE(box->currentText(), QString("LAB.EXAMPLE.COM"));
}

void KeyboardTest::emptyFieldsStayEmptyAfterASave() {
  QTemporaryDir dir;
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  FIND(port, QLineEdit, w, "txtSMTPServerPort");
  FIND(subject, QLineEdit, w, "txtEmailSubject");
  port->clear();
  w->ShowPage(kPageServers);
  Type(w->findChild<QLineEdit*>("txtFromServer"), "OLD");
  Type(w->findChild<QLineEdit*>("txtToServer"), "NEW");
  Click(w->findChild<QPushButton*>("cmdSaveServerPair"));
  Script().SetNextFileName(dir.filePath("Printers.ini"));
  ToolNamed(*w, "ID_BTN_SAVE")->trigger();
  QVERIFY(!w->UnsavedChanges());
  QVERIFY(ReadText(dir.filePath("Printers.ini")).contains("ServerPort= \r\n"));

  // New, cancelled: the pages show the record again.
  Script().SetNextDialogAction(
      [](QDialog& dialog) { dialog.findChild<QPushButton*>("cmdCancel")->click(); });
  ToolNamed(*w, "ID_BTN_NEW")->trigger();
  QCOMPARE(port->text(), QString());
  QCOMPARE(subject->text(), QString());
  QCOMPARE(w->Settings().EmailSubject, std::string());
}

void KeyboardTest::popupHelpAgreesThatAFailureMessageWorksAlone() {
  const QString page = ReadText(QStringLiteral(VELLORAN_TOOLKIT_HELP_DIR "/client-popup.html"));
  QVERIFY(!page.isEmpty());
  QVERIFY(!page.contains("shown only when"));
  QVERIFY(page.contains("Notify user on failure with message</b> ticked"));
}

QTEST_MAIN(KeyboardTest)
#include "KeyboardTest.moc"
