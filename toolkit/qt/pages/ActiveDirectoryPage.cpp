#include "toolkit/qt/pages/ActiveDirectoryPage.h"

#include <QComboBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "toolkit/core/Pages.h"
#include "toolkit/qt/WidgetFactory.h"

namespace velloran {

ActiveDirectoryPage::ActiveDirectoryPage(std::function<void()> changed)
    : OptionPage(kPageActiveDirectory, "Active Directory", std::move(changed)) {
  domain_ = new QComboBox(this);
  domain_->setObjectName("cboDomainName");
  domain_->setEditable(true);
  domain_->setInsertPolicy(QComboBox::NoInsert);
  // A domain typed in another letter case than a listed one stays as typed:
  // a case-blind completer would swap in the list entry on Enter.
  domain_->completer()->setCaseSensitivity(Qt::CaseSensitive);
  domain_->setMinimumWidth(280);
  Bind(domain_);
  Body()->addWidget(widgets::Caption("Please select or enter your &Active Directory domain name:",
                                     domain_, widgets::Indexed("lblActiveDirectory", 0)));
  auto* row = new QHBoxLayout;
  row->addWidget(domain_);
  row->addStretch(1);
  Body()->addLayout(row);
}

void ActiveDirectoryPage::AddDomainNames(const QStringList& names) {
  // Adding items may select the first one; the document's text stays.
  const QString text = domain_->currentText();
  const bool blocked = domain_->blockSignals(true);
  domain_->addItems(names);
  domain_->setEditText(text);
  domain_->blockSignals(blocked);
}

}  // namespace velloran
