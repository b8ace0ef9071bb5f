#pragma once
// The About box: program title, version and the maker's legal notice.

#include <QDialog>
#include <string_view>

class QLabel;
class QPushButton;

namespace velloran {

/// "Version " + major.minor.revision of `version` ("2.0.9"), each part as a
/// plain decimal number.
QString AboutVersionText(std::string_view version);

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit frmAbout(QWidget* parent = nullptr);

 private:
  QLabel* picIcon_ = nullptr;
  QLabel* lblTitle_ = nullptr;
  QLabel* lblVersion_ = nullptr;
  QLabel* lblDisclaimer_ = nullptr;
  QPushButton* cmdOK_ = nullptr;
};

}  // namespace velloran
