#include "toolkit/qt/frmAbout.h"

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "toolkit/core/Branding.h"
#include "toolkit/qt/imgWizard.h"

namespace velloran {

QString AboutVersionText(std::string_view version) {
  // The parts are numbers, not texts: "02.00.0009" still reads 2.0.9.
  const QStringList parts = QString::fromUtf8(version.data(), qsizetype(version.size())).split('.');
  int numbers[3] = {0, 0, 0};
  for (int i = 0; i < 3 && i < parts.size(); ++i) numbers[i] = parts[i].trimmed().toInt();
  return QStringLiteral("Version %1.%2.%3").arg(numbers[0]).arg(numbers[1]).arg(numbers[2]);
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle(QStringLiteral("About ") + kProgramTitle);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(true);

  picIcon_ = new QLabel(this);
  picIcon_->setObjectName("picIcon");
  picIcon_->setPixmap(VelloranIcon().pixmap(48, 48));
  picIcon_->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

  lblTitle_ = new QLabel(QString::fromUtf8(kProgramTitle), this);
  lblTitle_->setObjectName("lblTitle");
  QFont titleFont = lblTitle_->font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
  lblTitle_->setFont(titleFont);

  lblVersion_ = new QLabel(AboutVersionText(VELLORAN_VERSION), this);
  lblVersion_->setObjectName("lblVersion");

  lblDisclaimer_ = new QLabel(
      QStringLiteral(
          "Copyright (C) %1. All rights reserved.\n\n"
          "Warning: this program is protected by copyright law and international treaties. "
          "It is provided \"as is\", without warranty of any kind, express or implied. In no "
          "event shall %1 be liable for any claim, damages or other liability arising from "
          "the use of this program. Unauthorized reproduction or distribution of this "
          "program, or any portion of it, may result in severe civil and criminal penalties.")
          .arg(QString::fromUtf8(kMakerName)),
      this);
  lblDisclaimer_->setObjectName("lblDisclaimer");
  lblDisclaimer_->setWordWrap(true);
  lblDisclaimer_->setMinimumWidth(380);

  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);

  cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
  cmdOK_->setObjectName("cmdOK");
  cmdOK_->setDefault(true);
  connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);

  auto* texts = new QVBoxLayout;
  texts->addWidget(lblTitle_);
  texts->addWidget(lblVersion_);
  texts->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(picIcon_);
  top->addLayout(texts, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(line);
  layout->addWidget(lblDisclaimer_);
  layout->addLayout(buttons);
}

}  // namespace velloran
