// The wizard window: start-up, the option tree, Back/Next, the toolbar, the
// mode-dependent texts, help, the links and the exit prompt.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>
#include <span>

#include "ToolkitTest.h"
#include "platform/profile/Profile.h"
#include "toolkit/core/Branding.h"
#include "toolkit/qt/Help.h"
#include "toolkit/qt/frmNewINI.h"
#include "toolkit/qt/imgWizard.h"

using namespace velloran;
using namespace velloran::test;

class WizardTest : public ToolkitSuite {
  Q_OBJECT

 private slots:

  void startUpOffersNewOrExistingAndCancelEndsTheProgram();
  void startUpOnANewDocument();
  void pageSequences_data();
  void pageSequences();
  void treeShapeAndNodeClicks_data();
  void treeShapeAndNodeClicks();
  void generalUnderDeploymentShowsTheDeploymentPage();
  void toolAvailabilityFollowsTheMode();
  void toolsJumpToPagesAndSelectTheirNodes();
  void modeDependentTexts();
  void helpButtonsOpenThePageOfTheirContext();
  void hyperlinkLabels();
  void exitPrompt();
  void exitAfterAFailedSaveKeepsTheWindow();
};

namespace {

QTreeWidgetItem* CurrentNode(frmWizard& w) {
  return w.findChild<QTreeWidget*>("tvwWizardOptions")->currentItem();
}

QString NodePath(QTreeWidgetItem* node) {
  if (!node) return {};
  return node->parent() ? node->parent()->text(0) + "/" + node->text(0) : node->text(0);
}

QTreeWidgetItem* FindNode(frmWizard& w, const QString& path) {
  auto* tree = w.findChild<QTreeWidget*>("tvwWizardOptions");
  for (QTreeWidgetItemIterator it(tree); *it; ++it) {
    if (NodePath(*it) == path) return *it;
  }
  return nullptr;
}

void ClickNode(frmWizard& w, QTreeWidgetItem* node) {
  auto* tree = w.findChild<QTreeWidget*>("tvwWizardOptions");
  tree->scrollToItem(node);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
}

QAction* ToolNamed(frmWizard& w, const char* id) { return w.findChild<QAction*>(id); }

// An edit as the administrator makes it: switch mail on, type a subject.
void EditSubject(frmWizard& w, const QString& subject) {
  w.ShowPage(kPageSMTPMail);
  auto* useSMTP = w.findChild<QCheckBox*>("chkUseSMTP");
  if (!useSMTP->isChecked()) Click(useSMTP);
  Type(w.findChild<QLineEdit*>("txtEmailSubject"), subject);
}

}  // namespace

void WizardTest::startUpOffersNewOrExistingAndCancelEndsTheProgram() {
  bool offeredExisting = false, adPreset = false, recentOff = false;
  Script().SetNextDialogAction([&](QDialog& dialog) {
    auto* tabs = dialog.findChild<QTabWidget*>("sstNewINI");
    offeredExisting = tabs->isTabEnabled(frmNewINI::kPageExisting);
    recentOff = !tabs->isTabEnabled(frmNewINI::kPageRecent);
    adPreset = dialog.findChild<QRadioButton*>("optUseActiveDirectory")->isChecked();
    QCOMPARE(dialog.windowTitle(), QString("New INI"));
    QCOMPARE(tabs->tabText(0), QString("New"));
    QCOMPARE(tabs->tabText(1), QString("Existing"));
    QCOMPARE(tabs->tabText(2), QString("&Recent"));
    // The main window is already up behind the dialog.
    QVERIFY(dialog.parentWidget() && dialog.parentWidget()->isVisible());
    Click(dialog.findChild<QPushButton*>("cmdCancel"));
  });
  frmWizard wizard(SystemProfile(), Script());
  QVERIFY(!wizard.Form_Load());
  QVERIFY(offeredExisting);
  QVERIFY(recentOff);
  QVERIFY(adPreset);
  QVERIFY(!wizard.isVisible());
  for (QWidget* top : QApplication::topLevelWidgets()) QVERIFY(!top->isVisible());
}

void WizardTest::startUpOnANewDocument() {
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  QCOMPARE(w->windowTitle(), QString("Velloran - Deployment Toolkit [UNTITLED]"));
  QVERIFY(w->DocumentPath().isEmpty());
  QVERIFY(!w->UnsavedChanges());
  QVERIFY(w->Settings().UseManualDefinitions);
  QVERIFY(!w->Settings().UseActiveDirectory);
  QCOMPARE(w->CurrentPage(), int(kPageGeneral));
  QCOMPARE(NodePath(CurrentNode(*w)), QString("General"));
  // The container's numbered tabs are never offered.
  FIND(pages, QTabWidget, w.get(), "sstWizard");
  QVERIFY(!pages->tabBar()->isVisible());
  QCOMPARE(pages->count(), kPageCount);
  QCOMPARE(pages->tabText(15), QString("15"));
  // Defaults of a new document reach the controls.
  FIND(port, QLineEdit, w.get(), "txtSMTPServerPort");
  QCOMPARE(port->text(), QString("25"));
}

// The window follows the core's sequence (which the core's tests hold to
// the expected order): each Next and Back shows the core's next page and
// selects the node the core names for it.
void WizardTest::pageSequences_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QList<int>>("pages");
  QTest::addColumn<QStringList>("nodes");
  for (Kind kind : {Kind::ActiveDirectory, Kind::Manual}) {
    const bool ad = kind == Kind::ActiveDirectory;
    const std::vector<TreeNode> tree = OptionTree(ad);
    QList<int> pages;
    QStringList nodes;
    for (std::optional<int> page = kPageGeneral; page; page = NextPage(*page, ad)) {
      const TreeNode node = *NodeOfPage(*page, ad);
      QString path = QString::fromUtf8(node.Text.data(), qsizetype(node.Text.size()));
      for (const TreeNode& parent : tree) {
        if (parent.Key == node.ParentKey && !node.ParentKey.empty())
          path.prepend(QString::fromUtf8(parent.Text.data(), qsizetype(parent.Text.size())) + "/");
      }
      pages << *page;
      nodes << path;
    }
    QTest::newRow(ad ? "Active Directory" : "manual") << int(kind) << pages << nodes;
  }
}

void WizardTest::pageSequences() {
  QFETCH(int, kind);
  QFETCH(QList<int>, pages);
  QFETCH(QStringList, nodes);
  auto w = StartWizard(Kind(kind));
  QVERIFY(w);

  // Forward with Next, each move selecting the page's node.
  for (qsizetype i = 0; i < pages.size(); ++i) {
    QCOMPARE(w->CurrentPage(), pages[i]);
    QCOMPARE(NodePath(CurrentNode(*w)), nodes[i]);
    FIND(next, QPushButton, w.get(), Indexed("cmdNext", pages[i]));
    if (i + 1 < pages.size()) Click(next);
  }
  // The last page's Next is the end of the sequence.
  FIND(lastNext, QPushButton, w.get(), Indexed("cmdNext", kPageSupport));
  QVERIFY(!lastNext->isEnabled());
  Click(lastNext);
  QCOMPARE(w->CurrentPage(), int(kPageSupport));

  // And back again with Back.
  for (qsizetype i = pages.size() - 1; i > 0; --i) {
    FIND(back, QPushButton, w.get(), Indexed("cmdBack", pages[i]));
    Click(back);
    QCOMPARE(w->CurrentPage(), pages[i - 1]);
    QCOMPARE(NodePath(CurrentNode(*w)), nodes[i - 1]);
  }
  FIND(firstBack, QPushButton, w.get(), Indexed("cmdBack", kPageGeneral));
  QVERIFY(!firstBack->isEnabled());

  // Every page also answers its node, in any order.
  for (qsizetype i = pages.size() - 1; i >= 0; --i) {
    QTreeWidgetItem* node = FindNode(*w, nodes[i]);
    QVERIFY2(node, qPrintable(nodes[i]));
    ClickNode(*w, node);
    QCOMPARE(w->CurrentPage(), pages[i]);
  }
}

void WizardTest::treeShapeAndNodeClicks_data() {
  QTest::addColumn<int>("kind");
  QTest::addColumn<QStringList>("shape");
  QTest::newRow("Active Directory") << int(Kind::ActiveDirectory)
                                    << QStringList{"General:1",
                                                   "Active Directory:1",
                                                   "Notification:2+",
                                                   "SMTP Mail:1",
                                                   "File Output:1",
                                                   "Client User Pop-Up:1",
                                                   "Application Event Log:1",
                                                   "Deployment:1+",
                                                   "General:1",
                                                   "MDAC:1",
                                                   "Support:1"};
  QTest::newRow("manual") << int(Kind::Manual)
                          << QStringList{"General:1",
                                         "Manual Configuration:2+",
                                         "Servers:1",
                                         "Printers:1",
                                         "Mixed:1",
                                         "Notification:2+",
                                         "SMTP Mail:1",
                                         "File Output:1",
                                         "Client User Pop-Up:1",
                                         "Application Event Log:1",
                                         "Deployment:1",
                                         "Support:1"};
}

void WizardTest::treeShapeAndNodeClicks() {
  QFETCH(int, kind);
  QFETCH(QStringList, shape);
  auto w = StartWizard(Kind(kind));
  QVERIFY(w);
  FIND(tree, QTreeWidget, w.get(), "tvwWizardOptions");

  // Node texts in order, the picture each shows (1 page, 2 group) and
  // which nodes start expanded.
  const QIcon page = imgWizardPicture(1), group = imgWizardPicture(2);
  QStringList seen;
  for (QTreeWidgetItemIterator it(tree); *it; ++it) {
    const QImage image = (*it)->icon(0).pixmap(16).toImage();
    const int picture = image == page.pixmap(16).toImage()    ? 1
                        : image == group.pixmap(16).toImage() ? 2
                                                              : 0;
    seen << QStringLiteral("%1:%2%3")
                .arg((*it)->text(0))
                .arg(picture)
                .arg((*it)->isExpanded() ? "+" : "");
  }
  QCOMPARE(seen, shape);
}

void WizardTest::generalUnderDeploymentShowsTheDeploymentPage() {
  auto w = StartWizard(Kind::ActiveDirectory);
  QVERIFY(w);
  ClickNode(*w, FindNode(*w, "Deployment/General"));
  QCOMPARE(w->CurrentPage(), int(kPageDeployment));
  ClickNode(*w, FindNode(*w, "General"));
  QCOMPARE(w->CurrentPage(), int(kPageGeneral));
  ClickNode(*w, FindNode(*w, "Deployment"));
  QCOMPARE(w->CurrentPage(), int(kPageDeploymentOverview));
  // The keyboard moves through the tree as the mouse does.
  QTest::keyClick(w->findChild<QTreeWidget*>("tvwWizardOptions"), Qt::Key_Down);
  QCOMPARE(w->CurrentPage(), int(kPageDeployment));
}

void WizardTest::toolAvailabilityFollowsTheMode() {
  const char* adOnly[] = {"ID_BTN_AD", "ID_BTN_DEPLOY_GENERAL", "ID_BTN_MDAC"};
  const char* manualOnly[] = {"ID_BTN_SERVER", "ID_BTN_PRINTER", "ID_BTN_MIXED"};
  const char* always[] = {"ID_BTN_NEW",     "ID_BTN_OPEN",    "ID_BTN_SAVE",    "ID_BTN_SAVE_AS",
                          "ID_BTN_EXIT",    "ID_BTN_GENERAL", "ID_BTN_EMAIL",   "ID_BTN_FILE",
                          "ID_BTN_CLIENT",  "ID_BTN_APP_EL",  "ID_BTN_SUPPORT", "ID_BTN_DEPLOYMENT",
                          "ID_BTN_CONTENTS"};
  for (Kind kind : {Kind::ActiveDirectory, Kind::Manual}) {
    auto w = StartWizard(kind);
    QVERIFY(w);
    const bool ad = kind == Kind::ActiveDirectory;
    for (const char* id : adOnly) {
      QVERIFY2(ToolNamed(*w, id), id);
      QCOMPARE(ToolNamed(*w, id)->isEnabled(), ad);
    }
    for (const char* id : manualOnly) QCOMPARE(ToolNamed(*w, id)->isEnabled(), !ad);
    for (const char* id : always) QVERIFY2(ToolNamed(*w, id)->isEnabled(), id);

    // A greyed tool does nothing, even when triggered from code.
    ToolNamed(*w, ad ? "ID_BTN_SERVER" : "ID_BTN_AD")->trigger();
    w->ssaVelloran_ToolClick(ad ? velloran::Tool::Servers : velloran::Tool::ActiveDirectory);
    QCOMPARE(w->CurrentPage(), int(kPageGeneral));
  }
}

void WizardTest::toolsJumpToPagesAndSelectTheirNodes() {
  struct Jump {
    const char* tool;
    int page;
    const char* node;
  };
  const Jump ad[] = {{"ID_BTN_AD", 1, "Active Directory"},
                     {"ID_BTN_EMAIL", 4, "Notification/SMTP Mail"},
                     {"ID_BTN_FILE", 5, "Notification/File Output"},
                     {"ID_BTN_CLIENT", 6, "Notification/Client User Pop-Up"},
                     {"ID_BTN_APP_EL", 8, "Notification/Application Event Log"},
                     {"ID_BTN_DEPLOYMENT", 17, "Deployment"},
                     {"ID_BTN_DEPLOY_GENERAL", 15, "Deployment/General"},
                     {"ID_BTN_MDAC", 16, "Deployment/MDAC"},
                     {"ID_BTN_SUPPORT", 14, "Support"},
                     {"ID_BTN_GENERAL", 0, "General"}};
  const Jump manual[] = {{"ID_BTN_SERVER", 2, "Manual Configuration/Servers"},
                         {"ID_BTN_PRINTER", 11, "Manual Configuration/Printers"},
                         {"ID_BTN_MIXED", 12, "Manual Configuration/Mixed"},
                         {"ID_BTN_DEPLOYMENT", 15, "Deployment"}};
  for (Kind kind : {Kind::ActiveDirectory, Kind::Manual}) {
    auto w = StartWizard(kind);
    QVERIFY(w);
    for (const Jump& j : kind == Kind::ActiveDirectory ? std::span<const Jump>(ad)
                                                       : std::span<const Jump>(manual)) {
      ToolNamed(*w, j.tool)->trigger();
      QCOMPARE(w->CurrentPage(), j.page);
      QCOMPARE(NodePath(CurrentNode(*w)), QString(j.node));
    }
  }

  // The menus carry the tools with their captions and mnemonics.
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  FIND(file, QMenu, w.get(), "ID_MNU_FILE");
  QStringList entries;
  for (QAction* a : file->actions()) entries << (a->isSeparator() ? "-" : a->text());
  QCOMPARE(entries,
           (QStringList{"&New", "-", "&Open ...", "-", "&Save", "Save &As ...", "-", "E&xit"}));
  FIND(view, QMenu, w.get(), "ID_MNU_VIEW");
  entries.clear();
  for (QAction* a : view->actions()) entries << (a->isSeparator() ? "-" : a->objectName());
  QCOMPARE(entries,
           (QStringList{"ID_BTN_GENERAL", "-", "ID_BTN_AD", "-", "ID_BTN_SERVER", "ID_BTN_PRINTER",
                        "ID_BTN_MIXED", "-", "ID_BTN_EMAIL", "ID_BTN_FILE", "ID_BTN_CLIENT",
                        "ID_BTN_APP_EL", "-", "ID_BTN_DEPLOYMENT", "ID_BTN_DEPLOY_GENERAL",
                        "ID_BTN_MDAC", "-", "ID_BTN_SUPPORT"}));
  FIND(bar, QToolBar, w.get(), "ssaVelloran");
  entries.clear();
  for (QAction* a : bar->actions()) entries << (a->isSeparator() ? "-" : a->objectName());
  QCOMPARE(entries,
           (QStringList{"ID_BTN_NEW", "-", "ID_BTN_OPEN", "ID_BTN_SAVE", "-", "ID_BTN_CONTENTS"}));
}

void WizardTest::modeDependentTexts() {
  for (Kind kind : {Kind::ActiveDirectory, Kind::Manual}) {
    auto w = StartWizard(kind);
    QVERIFY(w);
    const bool ad = kind == Kind::ActiveDirectory;
    FIND(note, QLabel, w.get(), Indexed("lblWizard", 1));
    FIND(heading, QLabel, w.get(), Indexed("lblGeneral", kPageDeployment));
    FIND(type, QComboBox, w.get(), "cboConfigurationFileType");
    w->ShowPage(kPageDeployment);
    QCOMPARE(note->isVisible(), ad);
    QCOMPARE(note->text(),
             QString("** NOTE ** This INI file deployment is currently using an Active Directory "
                     "configuration. Please review the information on the Deployment - MDAC step "
                     "before deploying your solution."));
    QCOMPARE(heading->text(), QString(ad ? "Deployment - General" : "Deployment"));
    QCOMPARE(type->currentText(), QString(ad ? "Active Directory" : "Manual Configuration"));
    QVERIFY(!type->isEnabled());
    QCOMPARE(w->HelpContextOfPage(kPageDeployment), ad ? 1019 : 1080);
  }
}

void WizardTest::helpButtonsOpenThePageOfTheirContext() {
  for (Kind kind : {Kind::ActiveDirectory, Kind::Manual}) {
    auto w = StartWizard(kind);
    QVERIFY(w);
    const QList<int> pages = kind == Kind::ActiveDirectory
                                 ? QList<int>{0, 1, 3, 4, 5, 6, 8, 17, 15, 16, 14}
                                 : QList<int>{0, 10, 2, 11, 12, 3, 4, 5, 6, 8, 15, 14};
    for (int page : pages) {
      w->ShowPage(page);
      Script().Reset();
      FIND(help, QPushButton, w.get(), Indexed("cmdHelp", page));
      Click(help);
      const ShownDialog opened = LastShown();
      QCOMPARE(opened.kind, ShownDialog::Kind::Url);
      const QString file = QUrl(opened.Text).toLocalFile();
      QVERIFY2(QFile::exists(file), qPrintable(file));
      QCOMPARE(
          QFileInfo(file).fileName(),
          QString::fromStdString(std::string(help::PageForContext(w->HelpContextOfPage(page)))));
    }
    Script().Reset();
    ToolNamed(*w, "ID_BTN_CONTENTS")->trigger();
    QVERIFY(QUrl(LastShown().Text).toLocalFile().endsWith("/index.html"));
  }
  {
    // No browser starts: the user is told where the page is.
    auto w = StartWizard(Kind::Manual);
    QVERIFY(w);
    Script().FailBrowser();
    ToolNamed(*w, "ID_BTN_CONTENTS")->trigger();
    QCOMPARE(LastShown().kind, ShownDialog::Kind::Message);
    QVERIFY2(LastShown().Text.contains(
                 QDir::toNativeSeparators(QDir(VELLORAN_TOOLKIT_HELP_DIR).filePath("index.html"))),
             qPrintable(LastShown().Text));
  }
  // Every context number has a page that links back to the contents.
  for (int context : help::AllContexts()) {
    const QString file = QDir(VELLORAN_TOOLKIT_HELP_DIR).filePath(help::HelpPageFile(context));
    QVERIFY2(ReadText(file).contains("href=\"index.html\""), qPrintable(file));
  }
}

void WizardTest::hyperlinkLabels() {
  auto w = StartWizard(Kind::ActiveDirectory);
  QVERIFY(w);
  FIND(support, QLabel, w.get(), Indexed("lblWizard", 5));
  FIND(mdac, QLabel, w.get(), Indexed("lblWizard", 3));
  QCOMPARE(support->text(),
           QString("To submit a support requests please visit ") + kMakerWebAddress +
               ". Please provide a description of the issue you are having and if you can "
               "provide us with the debug file we will be able to resolve the issue faster.");
  QCOMPARE(mdac->text(), QString("For further information, go to ") + kMDACInformationAddress);
  QCOMPARE(support->cursor().shape(), Qt::WhatsThisCursor);
  QCOMPARE(mdac->cursor().shape(), Qt::WhatsThisCursor);
  for (QLabel* label : w->findChildren<QLabel*>(QRegularExpression("^lblWizard\\("))) {
    if (label != support && label != mdac) QCOMPARE(label->cursor().shape(), Qt::ArrowCursor);
  }
  QCOMPARE(w->findChild<QTabWidget*>("sstWizard")->cursor().shape(), Qt::ArrowCursor);

  w->ShowPage(kPageSupport);
  Click(support);
  QCOMPARE(LastShown().Text, QString(kMakerWebAddress));
  w->ShowPage(kPageMDAC);
  Click(mdac);
  QCOMPARE(LastShown().Text, QString(kMDACInformationAddress));
}

void WizardTest::exitPrompt() {
  QTemporaryDir dir;
  // No change: closes without a word.
  {
    auto w = StartWizard(Kind::Manual);
    QVERIFY(w);
    QVERIFY(w->close());
    QCOMPARE(Script().Shown().size(), size_t(1));  // only the New-INI dialog
  }
  // Cancel keeps the window and the edit.
  {
    auto w = StartWizard(Kind::Manual);
    QVERIFY(w);
    EditSubject(*w, "Printers moved");
    QVERIFY(w->UnsavedChanges());
    Script().SetNextAnswer(MessageAnswer::Cancel);
    ToolNamed(*w, "ID_BTN_EXIT")->trigger();
    QVERIFY(w->isVisible());
    QCOMPARE(LastShown().Text,
             QString("You have unsaved work, do you want to save before exiting?"));
    QCOMPARE(LastShown().Title, QString("Save?"));
    QCOMPARE(LastShown().Icon, MessageIcon::Question);
    QCOMPARE(LastShown().Buttons, MessageButtons::YesNoCancel);
    QVERIFY(w->UnsavedChanges());
    QCOMPARE(w->findChild<QLineEdit*>("txtEmailSubject")->text(), QString("Printers moved"));
    // No closes without writing anything.
    Script().SetNextAnswer(MessageAnswer::No);
    QVERIFY(w->close());
    QCOMPARE(CountShown(ShownDialog::Kind::SaveFile), 0);
  }
  // Yes saves an untitled document through Save As, without the save check
  // (this manual document has no pairs), then closes.
  {
    auto w = StartWizard(Kind::Manual);
    QVERIFY(w);
    EditSubject(*w, "Printers moved");
    const QString path = dir.filePath("exit.ini");
    Script().SetNextAnswer(MessageAnswer::Yes);
    Script().SetNextFileName(path);
    QVERIFY(w->close());
    QVERIFY(ReadText(path).contains("EmailSubject=Printers moved"));
  }
  // Yes, then cancelling the Save As dialog, keeps the window and the work:
  // nothing was saved, and closing would drop it.
  {
    auto w = StartWizard(Kind::Manual);
    QVERIFY(w);
    EditSubject(*w, "x");
    const int saveDialogs = CountShown(ShownDialog::Kind::SaveFile);
    Script().SetNextAnswer(MessageAnswer::Yes);
    Script().SetNextFileName(QString());
    QVERIFY(!w->close());
    QVERIFY(w->isVisible());
    QVERIFY(w->UnsavedChanges());
    QCOMPARE(w->findChild<QLineEdit*>("txtEmailSubject")->text(), QString("x"));
    QCOMPARE(CountShown(ShownDialog::Kind::SaveFile), saveDialogs + 1);
    Script().SetNextAnswer(MessageAnswer::No);
    QVERIFY(w->close());
  }
}

void WizardTest::exitAfterAFailedSaveKeepsTheWindow() {
  QTemporaryDir dir;
  auto w = StartWizard(Kind::Manual);
  QVERIFY(w);
  EditSubject(*w, "kept");
  const QString unreachable = dir.filePath("no-such-folder/Printers.ini");
  Script().SetNextAnswer(MessageAnswer::Yes);
  Script().SetNextFileName(unreachable);
  Script().SetNextAnswer(MessageAnswer::OK);  // the write error
  QVERIFY(!w->close());
  QVERIFY(w->isVisible());
  QVERIFY(w->UnsavedChanges());
  QCOMPARE(LastShown().Title, QString("Error Saving"));
  QCOMPARE(LastShown().Icon, MessageIcon::Critical);
  QVERIFY(LastShown().Text.contains(QDir::toNativeSeparators(unreachable)));
  QVERIFY(!QFile::exists(unreachable));
  // Giving the work up still lets the window go.
  Script().SetNextAnswer(MessageAnswer::No);
  QVERIFY(w->close());
}

QTEST_MAIN(WizardTest)
#include "WizardTest.moc"
