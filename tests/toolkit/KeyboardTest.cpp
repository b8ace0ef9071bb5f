// The wizard from the keyboard, and fields that must come back as the user
// left them: Tab order, F1, the domain box, fields after a save.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMultiMap>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "ToolkitTest.h"
#include "toolkit/core/Form.h"
#include "toolkit/qt/frmAbout.h"
#include "toolkit/qt/frmNewINI.h"
#include "toolkit/qt/frmProgress.h"

using namespace velloran;
using namespace velloran::test;

class KeyboardTest : public ToolkitSuite {
  Q_OBJECT

 private slots:
  void tabGoesFromTheTreeThroughTheFieldsToTheButtons_data();
  void tabGoesFromTheTreeThroughTheFieldsToTheButtons();
  void f1OpensTheHelpOfThePageShown();
  void everyMnemonicHasOneOwner();
  void altAndACaptionsLetterReachesItsControl();
  void theTreeTakesTheFocusVisibly();
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

/// The letter after the single "&" of `text`; none for "&&" or no "&".
QChar Mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return text[i + 1].toUpper();
  }
  return {};
}

/// Who answers each Alt letter in `window` as it stands: the menu bar's
/// titles, and the visible buttons, tabs and captions with a buddy. A
/// letter with two owners is listed with all of them, unless only captions
/// of fields (and a menu, which they go before) share it: those take the
/// focus in turn.
QStringList MnemonicClashes(QWidget* window) {
  QMultiMap<QChar, QString> owners;
  QSet<QChar> unshareable;
  auto add = [&](const QString& text, const QString& owner, bool shareable) {
    const QChar letter = Mnemonic(text);
    if (letter.isNull()) return;
    owners.insert(letter, owner);
    if (!shareable) unshareable.insert(letter);
  };
  for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
    for (QAction* menu : bar->actions()) add(menu->text(), menu->text(), true);
  }
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(window)) continue;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      add(button->text(), button->objectName(), false);
    } else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy()) {
      add(label->text(), label->objectName(), !qobject_cast<QAbstractButton*>(label->buddy()));
    } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
      for (int i = 0; i < tabs->count(); ++i) add(tabs->tabText(i), tabs->tabText(i), false);
    }
  }
  QStringList clashes;
  for (QChar letter : owners.uniqueKeys()) {
    if (owners.count(letter) > 1 && unshareable.contains(letter))
      clashes << QString(letter) + ": " + QStringList(owners.values(letter)).join(", ");
  }
  return clashes;
}

}  // namespace

void KeyboardTest::everyMnemonicHasOneOwner() {
  for (Kind kind : {Kind::Manual, Kind::ActiveDirectory}) {
    auto w = StartWizard(kind);
    QVERIFY(w);
    for (int page = 0; page < kPageCount; ++page) {
      if (!HasPage(page)) continue;
      w->ShowPage(page);
      const QStringList clashes = MnemonicClashes(w.get());
      QVERIFY2(clashes.isEmpty(), qPrintable(QString("page %1: ").arg(page) + clashes.join("; ")));
    }
    for (QMenu* menu : w->menuBar()->findChildren<QMenu*>()) {
      QMultiMap<QChar, QString> letters;
      for (QAction* action : menu->actions()) {
        if (const QChar letter = Mnemonic(action->text()); !letter.isNull())
          letters.insert(letter, action->text());
      }
      for (QChar letter : letters.uniqueKeys())
        QVERIFY2(letters.count(letter) == 1, qPrintable(menu->title() + " " + QString(letter)));
    }
  }
  for (bool offerExisting : {true, false}) {
    frmNewINI newINI(Script());
    newINI.OfferExisting(offerExisting);
    for (int page : {int(frmNewINI::kPageNew), int(frmNewINI::kPageExisting)}) {
      newINI.findChild<QTabWidget*>("sstNewINI")->setCurrentIndex(page);
      const QStringList clashes = MnemonicClashes(&newINI);
      QVERIFY2(clashes.isEmpty(), qPrintable("New INI: " + clashes.join("; ")));
    }
  }
  frmAbout about;
  QVERIFY2(MnemonicClashes(&about).isEmpty(), qPrintable(MnemonicClashes(&about).join("; ")));
  frmProgress progress;
  QVERIFY2(MnemonicClashes(&progress).isEmpty(), qPrintable(MnemonicClashes(&progress).join("; ")));
}

// Alt and a caption's letter, from the tree: a field's label moves to the
// field, a check box switches, an option is chosen. Every declared caption
// on every page of both modes.
void KeyboardTest::altAndACaptionsLetterReachesItsControl() {
  for (Kind kind : {Kind::Manual, Kind::ActiveDirectory}) {
    auto w = StartWizard(kind);
    QVERIFY(w);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    FIND(tree, QTreeWidget, w, "tvwWizardOptions");
    const bool activeDirectory = kind == Kind::ActiveDirectory;
    for (const FormControl& c : FormControls()) {
      const QChar letter = Mnemonic(QString::fromUtf8(c.Caption.data(), c.Caption.size()));
      if (letter.isNull() || c.Kind == ControlKind::Button || !NodeOfPage(c.Page, activeDirectory))
        continue;
      w->ShowPage(c.Page);
      if (!c.SwitchedBy.empty()) {
        auto* box =
            w->findChild<QCheckBox*>(QString::fromUtf8(c.SwitchedBy.data(), c.SwitchedBy.size()));
        QVERIFY(box);
        box->setChecked(true);
      }
      auto* target = w->findChild<QWidget*>(QString::fromUtf8(c.Name.data(), c.Name.size()));
      QVERIFY2(target, c.Name.data());
      tree->setFocus();
      auto* button = qobject_cast<QAbstractButton*>(target);
      const bool wasChecked = button && button->isChecked();
      QTest::keyClick(tree, Qt::Key(letter.toUpper().unicode()), Qt::AltModifier);
      const QByteArray what =
          QByteArray(c.Name.data(), c.Name.size()) + " (Alt+" + QString(letter).toUtf8() + ")";
      if (c.Kind == ControlKind::Check) {
        QTRY_VERIFY2(button && button->isChecked() != wasChecked, what.constData());
      } else if (c.Kind == ControlKind::Option) {
        QTRY_VERIFY2(button && button->isChecked(), what.constData());
      } else {
        // An editable box may hand the focus to its own line. Fields that
        // share a letter take the focus in turn, ahead of the menu bar.
        auto focused = [&w](std::string_view name) {
          auto* field = w->findChild<QWidget*>(QString::fromUtf8(name.data(), name.size()));
          QWidget* focus = QApplication::focusWidget();
          return field && focus && (focus == field || field->isAncestorOf(focus));
        };
        const auto any = [](std::string_view) { return true; };
        const char key = static_cast<char>(letter.toLower().unicode());
        const std::string_view first = MnemonicTarget(c.Page, key, "", any);
        QTRY_VERIFY2(focused(first), (what + " to " + std::string(first).c_str()).constData());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(letter.toUpper().unicode()),
                        Qt::AltModifier);
        const std::string_view second = MnemonicTarget(c.Page, key, first, any);
        QTRY_VERIFY2(focused(second),
                     (what + " again to " + std::string(second).c_str()).constData());
        QVERIFY2(!w->menuBar()->activeAction(), what.constData());
      }
    }
  }
}

void KeyboardTest::theTreeTakesTheFocusVisibly() {
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  FIND(tree, QTreeWidget, w.get(), "tvwWizardOptions");
  QVERIFY(tree->focusPolicy() & Qt::TabFocus);
  QVERIFY(tree->focusPolicy() & Qt::ClickFocus);
  // With the focus on it, a node is current, so the keys have a place to
  // start and the focus frame a row to show on.
  tree->setFocus(Qt::TabFocusReason);
  QCOMPARE(QApplication::focusWidget(), tree);
  QVERIFY(tree->currentItem());
  QCOMPARE(tree->currentItem()->data(0, Qt::UserRole).toInt(), w->CurrentPage());
  QTest::keyClick(tree, Qt::Key_Down);
  QCOMPARE(tree->currentItem()->data(0, Qt::UserRole).toInt(), w->CurrentPage());
  QVERIFY(w->CurrentPage() != kPageGeneral);
}

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
