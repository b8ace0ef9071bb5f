#include "toolkit/qt/frmCheckTargets.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace velloran {
namespace {

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

frmCheckTargets::frmCheckTargets(const TargetCheckReport& report, QWidget* parent)
    : QDialog(parent) {
  setObjectName("frmCheckTargets");
  setWindowTitle(QStringLiteral("Check targets"));

  lblSummary_ = new QLabel(ToQ(report.Summary), this);
  lblSummary_->setObjectName("lblSummary");
  lblSummary_->setWordWrap(true);
  QFont bold = lblSummary_->font();
  bold.setBold(true);
  lblSummary_->setFont(bold);

  lstTargets_ = new QTreeWidget(this);
  lstTargets_->setObjectName("lstTargets");
  lstTargets_->setHeaderLabels(
      {QStringLiteral("Target"), QStringLiteral("Pair"), QStringLiteral("Status")});
  lstTargets_->setRootIsDecorated(false);
  lstTargets_->setUniformRowHeights(true);
  lstTargets_->setAlternatingRowColors(true);
  lstTargets_->setSelectionMode(QAbstractItemView::SingleSelection);
  // What is not found comes first: that is what the administrator acts on.
  std::vector<const TargetCheckRow*> rows;
  for (const TargetCheckRow& row : report.Rows)
    if (row.Code != check::TargetStatus::Found && row.Code != check::TargetStatus::NotCheckable)
      rows.push_back(&row);
  for (const TargetCheckRow& row : report.Rows)
    if (row.Code == check::TargetStatus::NotCheckable) rows.push_back(&row);
  for (const TargetCheckRow& row : report.Rows)
    if (row.Code == check::TargetStatus::Found) rows.push_back(&row);
  for (const TargetCheckRow* row : rows) {
    auto* item =
        new QTreeWidgetItem(lstTargets_, {ToQ(row->Target), ToQ(row->Pair), ToQ(row->Status)});
    item->setToolTip(2, ToQ(row->Status));
    if (row->Code != check::TargetStatus::Found && row->Code != check::TargetStatus::NotCheckable) {
      QFont font = item->font(2);
      font.setBold(true);
      item->setFont(2, font);
    }
  }
  lstTargets_->header()->setStretchLastSection(true);
  for (int column : {0, 1}) lstTargets_->resizeColumnToContents(column);
  lstTargets_->setMinimumSize(640, 260);

  cmdClose_ = new QPushButton(QStringLiteral("Close"), this);
  cmdClose_->setObjectName("cmdClose");
  cmdClose_->setDefault(true);
  connect(cmdClose_, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdClose_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblSummary_);
  layout->addWidget(lstTargets_, 1);
  layout->addLayout(buttons);
  resize(900, 380);
}

}  // namespace velloran
