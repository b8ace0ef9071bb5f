#pragma once
// The small window that shows how many servers have answered while the
// targets are checked, with the Cancel button that stops the check.

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace velloran {

class frmCheckProgress : public QDialog {
  Q_OBJECT

 public:
  explicit frmCheckProgress(QWidget* parent = nullptr);

  /// Servers answered of servers in all.
  void ShowProgress(size_t done, size_t total);

  QProgressBar& prbProgress() const { return *prbProgress_; }
  QLabel& lblProgress() const { return *lblProgress_; }
  QPushButton& cmdCancel() const { return *cmdCancel_; }
  bool CancelPressed() const { return cancelPressed_; }

 signals:
  void Cancelled();

 protected:
  /// Escape and the close box cancel as the button does; the window itself
  /// closes only when the check has ended.
  void reject() override;

 private:
  QProgressBar* prbProgress_ = nullptr;
  QLabel* lblProgress_ = nullptr;
  QPushButton* cmdCancel_ = nullptr;
  bool cancelPressed_ = false;
};

}  // namespace velloran
