#include "toolkit/qt/pages/OptionPage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "toolkit/qt/WidgetFactory.h"

namespace velloran {
namespace {

QFrame* Separator(QWidget* parent, int index) {
  auto* line = new QFrame(parent);
  line->setObjectName(widgets::Indexed("fraSeperator", index));
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QVBoxLayout* Indented(QVBoxLayout* body) {
  auto* inner = new QVBoxLayout;
  inner->setContentsMargins(22, 2, 0, 0);
  inner->setSpacing(8);
  body->addLayout(inner);
  return inner;
}

OptionPage::OptionPage(int page, const QString& heading, std::function<void()> changed)
    : page_(page), changed_(std::move(changed)) {
  setObjectName(widgets::Indexed("sstWizardPage", page));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(18, 14, 18, 12);
  outer->setSpacing(8);

  heading_ = new QLabel(heading, this);
  heading_->setObjectName(widgets::Indexed("lblGeneral", page));
  QFont headingFont = heading_->font();
  headingFont.setBold(true);
  headingFont.setPointSizeF(headingFont.pointSizeF() * 1.35);
  heading_->setFont(headingFont);
  outer->addWidget(heading_);
  outer->addWidget(Separator(this, page * 2));

  body_ = new QVBoxLayout;
  body_->setContentsMargins(0, 6, 0, 0);
  body_->setSpacing(10);
  outer->addLayout(body_);
  outer->addStretch(1);
  outer->addWidget(Separator(this, page * 2 + 1));

  // Alt+H opens the Help menu; the page's help is F1, as the button's tip says.
  help_ = widgets::Button(widgets::Indexed("cmdHelp", page), "Help", this);
  help_->setToolTip("Help on this page (F1)");
  back_ = widgets::Button(widgets::Indexed("cmdBack", page), "&Back", this);
  next_ = widgets::Button(widgets::Indexed("cmdNext", page), "&Next", this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(help_);
  buttons->addStretch(1);
  buttons->addWidget(back_);
  buttons->addWidget(next_);
  outer->addLayout(buttons);
}

void OptionPage::Changed() const {
  if (changed_) changed_();
}

void OptionPage::Name(QWidget* control) { named_[control->objectName().toStdString()] = control; }

void OptionPage::Bind(QWidget* control, bool watchEdits) {
  Name(control);
  bound_[control->objectName().toStdString()] = control;
  if (!watchEdits) return;
  auto changed = [this] { Changed(); };
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    connect(edit, &QLineEdit::textChanged, this, changed);
  } else if (auto* text = qobject_cast<QPlainTextEdit*>(control)) {
    connect(text, &QPlainTextEdit::textChanged, this, changed);
  } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
    connect(combo, &QComboBox::editTextChanged, this, changed);
    connect(combo, &QComboBox::activated, this, changed);
  } else if (auto* option = qobject_cast<QRadioButton*>(control)) {
    // Choosing one option unchecks another: one change, not two.
    connect(option, &QRadioButton::toggled, this, [this](bool on) {
      if (on) Changed();
    });
  } else if (auto* box = qobject_cast<QAbstractButton*>(control)) {
    connect(box, &QAbstractButton::toggled, this, changed);
  }
}

QWidget* OptionPage::ControlNamed(std::string_view name) const {
  const auto found = named_.find(name);
  return found == named_.end() ? nullptr : found->second;
}

void OptionPage::ReadFields(PageFields& fields) const {
  for (const auto& [name, control] : bound_) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
      fields.Texts[name] = edit->text().toStdString();
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(control)) {
      fields.Texts[name] = text->toPlainText().toStdString();
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
      fields.Texts[name] = combo->currentText().toStdString();
    } else if (auto* box = qobject_cast<QAbstractButton*>(control)) {
      fields.Checks[name] = box->isChecked();
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
      auto& lines = fields.Lists[name];
      for (int row = 0; row < list->count(); ++row)
        lines.push_back(list->item(row)->text().toStdString());
    }
  }
}

void OptionPage::ShowFields(const PageFields& fields) {
  // A named box holds what is typed before Add; it is emptied with the rest.
  for (const auto& [name, control] : named_) {
    const auto text = fields.Texts.find(name);
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (edit && text != fields.Texts.end() && !bound_.count(name)) edit->setText(Q(text->second));
  }
  for (const auto& [name, control] : bound_) {
    if (const auto text = fields.Texts.find(name); text != fields.Texts.end()) {
      if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setText(Q(text->second));
      if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        plain->setPlainText(Q(text->second));
      if (auto* combo = qobject_cast<QComboBox*>(control)) combo->setEditText(Q(text->second));
    }
    if (const auto check = fields.Checks.find(name); check != fields.Checks.end()) {
      if (auto* box = qobject_cast<QAbstractButton*>(control)) box->setChecked(check->second);
    }
    if (const auto lines = fields.Lists.find(name); lines != fields.Lists.end()) {
      if (auto* list = qobject_cast<QListWidget*>(control)) {
        list->clear();
        for (const std::string& line : lines->second) list->addItem(Q(line));
      }
    }
  }
}

namespace {
constexpr char kShaded[] = "shadedWhenDisabled";
}

void OptionPage::ShadeWhenDisabled(QWidget* field) { field->setProperty(kShaded, true); }

void OptionPage::SetSwitchedOn(QWidget* control, bool on) {
  control->setEnabled(on);
  if (!control->property(kShaded).toBool()) return;
  const QPalette standard = QApplication::palette(control);
  const QColor colour = standard.color(QPalette::Active, on ? QPalette::Base : QPalette::Button);
  QPalette palette = control->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, colour);
  }
  control->setPalette(palette);
}

QLabel* OptionPage::Text(const QString& text, const QString& name) {
  auto* label = new QLabel(text);
  label->setObjectName(name);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setTextFormat(Qt::PlainText);
  return label;
}

void OptionPage::MakeLink(QLabel* label, const QString& address, std::function<void()> open) {
  // The links look like links and take the help pointer; every other label
  // keeps the default one.
  label->setCursor(Qt::WhatsThisCursor);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
  label->setPalette(palette);
  label->setToolTip(address);
  label->installEventFilter(this);
  links_[label] = std::move(open);
}

bool OptionPage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (auto link = links_.find(watched); link != links_.end()) {
      link->second();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace velloran
