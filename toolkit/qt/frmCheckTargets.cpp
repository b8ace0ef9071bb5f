#include "toolkit/qt/frmCheckTargets.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

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
  // The rows come in the order they are shown: what is not found first.
  for (const TargetCheckRow& row : report.Rows) {
    auto* item =
        new QTreeWidgetItem(lstTargets_, {ToQ(row.Target), ToQ(row.Pair), ToQ(row.Status)});
    item->setToolTip(1, ToQ(row.Pair));
    item->setToolTip(2, ToQ(row.Status));
    if (row.Code != check::TargetStatus::Found && row.Code != check::TargetStatus::NotCheckable) {
      QFont font = item->font(2);
      font.setBold(true);
      item->setFont(2, font);
    }
  }
  // Target and Status are read whole; the pair gives way when the window is
  // narrow (its cells say it all in their tooltips) and takes what it gains.
  QHeaderView* header = lstTargets_->header();
  header->setStretchLastSection(false);
  int row = 0;
  for (int column : {0, 1, 2}) {
    lstTargets_->resizeColumnToContents(column);
    row += lstTargets_->columnWidth(column);
  }
  header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  header->setSectionResizeMode(1, QHeaderView::Stretch);
  header->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  lstTargets_->setMinimumSize(400, 200);

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
  // Wide enough for every column without sideways scrolling, as far as the
  // screen allows; the user may resize it from there.
  const int frame = 2 * lstTargets_->frameWidth() +
                    lstTargets_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                    layout->contentsMargins().left() + layout->contentsMargins().right();
  int width = std::max(900, row + frame);
  if (const QScreen* screen = this->screen())
    width = std::min(width, screen->availableSize().width());
  resize(width, 380);
}

}  // namespace velloran
