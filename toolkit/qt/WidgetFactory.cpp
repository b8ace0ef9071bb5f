#include "toolkit/qt/WidgetFactory.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "toolkit/core/Form.h"

namespace velloran::widgets {

QString Indexed(const char* name, int index) {
  return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QLineEdit* LineEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

QString DeclaredCaption(const char* name) {
  const std::string_view caption = FormControlNamed(name)->Caption;
  return QString::fromUtf8(caption.data(), qsizetype(caption.size()));
}

QCheckBox* CheckBox(const char* name, const QString& caption, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  return box;
}

QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

QListWidget* List(const char* name, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setMinimumHeight(110);
  return list;
}

QFormLayout* Form() {
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  form->setHorizontalSpacing(12);
  form->setVerticalSpacing(8);
  return form;
}

QLabel* Caption(const QString& text, QWidget* buddy, const QString& name) {
  auto* label = new QLabel(text, buddy ? buddy->parentWidget() : nullptr);
  label->setObjectName(name);
  if (buddy) label->setBuddy(buddy);
  return label;
}

}  // namespace velloran::widgets
