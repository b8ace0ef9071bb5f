#include "toolkit/qt/frmProgress.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace velloran {

frmProgress::frmProgress(QWidget* parent) : QDialog(parent) {
  setObjectName("frmProgress");
  setWindowTitle(QStringLiteral("Progress ..."));
  // Nothing to answer and nothing to cancel: the window only reports.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

  prbProgress_ = new QProgressBar(this);
  prbProgress_->setObjectName("prbProgress");
  prbProgress_->setTextVisible(false);
  prbProgress_->setMinimumWidth(320);

  lblProgress_ = new QLabel(QStringLiteral("Progress ..."), this);
  lblProgress_->setObjectName("lblProgress");

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prbProgress_);
  layout->addWidget(lblProgress_);
}

}  // namespace velloran
