#pragma once
// The small window that shows how far Deploy Now has got.

#include <QDialog>

class QLabel;
class QProgressBar;

namespace velloran {

class frmProgress : public QDialog {
  Q_OBJECT

 public:
  explicit frmProgress(QWidget* parent = nullptr);

  QProgressBar& prbProgress() const { return *prbProgress_; }
  QLabel& lblProgress() const { return *lblProgress_; }

 private:
  QProgressBar* prbProgress_ = nullptr;
  QLabel* lblProgress_ = nullptr;
};

}  // namespace velloran
