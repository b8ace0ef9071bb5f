#include "toolkit/qt/PairPage.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/qt/WidgetFactory.h"

namespace velloran {
namespace {

struct PairPageTexts {
  int FirstLabel;  ///< lblNetworkServers(n) of the first caption
  const char *NewName, *SaveName, *DeleteName;
};

const PairPageTexts& TextsOf(PairKind kind) {
  static const PairPageTexts kTexts[] = {
      {0, "cmdNewServerPair", "cmdSaveServerPair", "cmdDeleteServer"},
      {3, "cmdNewPrinter", "cmdPrinterSave", "cmdDeletePrinter"},
      {6, "cmdMixedNew", "cmdMixedSave", "cmdMixedDelete"},
  };
  return kTexts[static_cast<int>(kind)];
}

// The line the user chose. Focus entering a list makes its first line
// current without selecting it; that line was not chosen and must not be
// replaced or deleted.
int SelectedRow(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  return item && item->isSelected() ? list->currentRow() : -1;
}

}  // namespace

PairPage::PairPage(PairKind kind, QWidget* page, QVBoxLayout* body, Prompter& prompter,
                   std::function<void()> changed)
    : QObject(page), kind_(kind), prompter_(prompter), changed_(std::move(changed)) {
  const PairPageShape& shape = ShapeOf(kind);
  const PairPageTexts& texts = TextsOf(kind);

  // Fields with their captions on the left, New/Save/Delete on the right,
  // the list below.
  auto* top = new QHBoxLayout;
  top->setSpacing(16);
  auto* form = widgets::Form();
  top->addLayout(form, 1);
  auto* buttons = new QVBoxLayout;
  buttons->setSpacing(6);
  top->addLayout(buttons);
  body->addLayout(top);

  int label = texts.FirstLabel;
  for (size_t i = 0; i < shape.FieldNames.size(); ++i) {
    QLineEdit* field = widgets::LineEdit(std::string(shape.FieldNames[i]).c_str(), page);
    form->addRow(
        widgets::Caption(widgets::DeclaredCaption(std::string(shape.FieldNames[i]).c_str()), field,
                         widgets::Indexed("lblNetworkServers", label++)),
        field);
    fields_.push_back(field);
    // Typing is a change of the document; filling the fields is not.
    connect(field, &QLineEdit::textEdited, this, [this] { changed_(); });
  }
  new_ = widgets::Button(texts.NewName, "Ne&w", page);
  save_ = widgets::Button(texts.SaveName, "&Save", page);
  delete_ = widgets::Button(texts.DeleteName, "&Delete", page);
  for (QPushButton* b : {new_, save_, delete_}) buttons->addWidget(b);
  buttons->addStretch(1);
  list_ = widgets::List(std::string(shape.ListName).c_str(), page);
  body->addWidget(widgets::Caption(widgets::DeclaredCaption(std::string(shape.ListName).c_str()),
                                   list_, widgets::Indexed("lblNetworkServers", label)));
  body->addWidget(list_, 1);

  connect(new_, &QPushButton::clicked, this, [this] {
    PairEditorState state = State();
    PairNew(state);
    Apply(state);
  });
  connect(save_, &QPushButton::clicked, this, [this] {
    PairEditorState state = State();
    if (PairSave(kind_, state, prompter_)) changed_();
    Apply(state);
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    PairEditorState state = State();
    if (PairDelete(kind_, state, prompter_)) changed_();
    Apply(state);
  });
  // Tabbing into a list without a current line makes the first line current
  // without choosing it; a mouse click or an arrow key selects the line.
  connect(list_, &QListWidget::currentRowChanged, this, [this] { Choose(); });
  connect(list_, &QListWidget::itemClicked, this, [this] { Choose(); });
}

std::vector<QWidget*> PairPage::Controls() const { return {new_, save_, delete_}; }

std::vector<std::string> PairPage::Lines() const {
  std::vector<std::string> lines;
  for (int row = 0; row < list_->count(); ++row)
    lines.push_back(list_->item(row)->text().toStdString());
  return lines;
}

void PairPage::ShowLines(const std::vector<std::string>& lines) {
  PairEditorState state = EmptyPairEditor(kind_);
  state.Lines = lines;
  Apply(state);
}

PairEditorState PairPage::State() const {
  PairEditorState state;
  for (const QLineEdit* field : fields_) state.Fields.push_back(field->text().toStdString());
  state.Lines = Lines();
  state.Selected = SelectedRow(list_);
  state.NewEntry = newEntry_;
  return state;
}

void PairPage::Apply(const PairEditorState& state) {
  applying_ = true;
  if (Lines() != state.Lines) {
    list_->clear();
    for (const std::string& line : state.Lines) list_->addItem(QString::fromStdString(line));
  }
  list_->setCurrentRow(state.Selected);
  for (size_t i = 0; i < fields_.size(); ++i) {
    const QString text = QString::fromStdString(state.Fields[i]);
    if (fields_[i]->text() != text) fields_[i]->setText(text);
  }
  newEntry_ = state.NewEntry;
  applying_ = false;
}

void PairPage::Choose() {
  if (applying_ || SelectedRow(list_) < 0) return;
  PairEditorState state = State();
  PairChoose(kind_, state, state.Selected);
  Apply(state);
}

}  // namespace velloran
