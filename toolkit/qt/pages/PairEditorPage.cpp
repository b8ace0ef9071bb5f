#include "toolkit/qt/pages/PairEditorPage.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolkit/core/Pages.h"
#include "toolkit/qt/PairPage.h"
#include "toolkit/qt/WidgetFactory.h"

namespace velloran {

PairEditorPage::PairEditorPage(PairKind kind, Prompter& prompter, std::function<void()> changed)
    : OptionPage(ShapeOf(kind).Page,
                 QString::fromUtf8(PageHeading(ShapeOf(kind).Page, true).data()), changed) {
  editor_ = std::make_unique<PairPage>(kind, this, Body(), prompter, std::move(changed));
  // The editor marks its own changes: typing in a field is one, filling the
  // fields from a chosen line is not.
  for (QLineEdit* field : editor_->Fields()) Bind(field, false);
  Bind(editor_->List(), false);
  for (QWidget* button : editor_->Controls()) Name(button);
  checkTargets_ = widgets::Button(widgets::Indexed("cmdCheckTargets", static_cast<int>(kind)),
                                  "Chec&k Targets ...", this);
  checkTargets_->setToolTip("Asks the new print servers whether the queues of every pair exist");
  Name(checkTargets_);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(checkTargets_);
  Body()->addLayout(row);
}

PairEditorPage::~PairEditorPage() = default;

void PairEditorPage::ShowFields(const PageFields& fields) {
  OptionPage::ShowFields(fields);
  const auto lines = fields.Lists.find(editor_->List()->objectName().toStdString());
  if (lines != fields.Lists.end()) editor_->ShowLines(lines->second);
}

}  // namespace velloran
