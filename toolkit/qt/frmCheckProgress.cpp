#include "toolkit/qt/frmCheckProgress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace velloran {

frmCheckProgress::frmCheckProgress(QWidget* parent) : QDialog(parent) {
  setObjectName("frmCheckProgress");
  setWindowTitle(QStringLiteral("Check targets"));

  auto* lblAsking =
      new QLabel(QStringLiteral("Asking the new print servers whether the queues exist ..."), this);
  lblAsking->setObjectName("lblAsking");
  prbProgress_ = new QProgressBar(this);
  prbProgress_->setObjectName("prbProgress");
  prbProgress_->setTextVisible(false);
  prbProgress_->setMinimumWidth(360);
  lblProgress_ = new QLabel(this);
  lblProgress_->setObjectName("lblProgress");
  cmdCancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cmdCancel_->setObjectName("cmdCancel");
  cmdCancel_->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblAsking);
  layout->addWidget(prbProgress_);
  layout->addWidget(lblProgress_);
  layout->addLayout(buttons);
  connect(cmdCancel_, &QPushButton::clicked, this, &frmCheckProgress::reject);
  ShowProgress(0, 0);
}

void frmCheckProgress::ShowProgress(size_t done, size_t total) {
  prbProgress_->setMaximum(static_cast<int>(total));
  prbProgress_->setValue(static_cast<int>(done));
  lblProgress_->setText(QStringLiteral("%1 of %2 servers answered").arg(done).arg(total));
}

void frmCheckProgress::reject() {
  if (cancelPressed_) return;
  cancelPressed_ = true;
  cmdCancel_->setEnabled(false);
  lblProgress_->setText(QStringLiteral("Cancelling ..."));
  emit Cancelled();
}

}  // namespace velloran
