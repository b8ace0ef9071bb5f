#pragma once
// The result of "Check targets": one line per target with its pair and its
// status, in the words of `velloran check`, under the count of each.

#include <QDialog>

#include "toolkit/core/TargetCheck.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace velloran {

class frmCheckTargets : public QDialog {
  Q_OBJECT

 public:
  explicit frmCheckTargets(const TargetCheckReport& report, QWidget* parent = nullptr);

  QLabel& lblSummary() const { return *lblSummary_; }
  /// Columns: target, pair, status.
  QTreeWidget& lstTargets() const { return *lstTargets_; }

 private:
  QLabel* lblSummary_ = nullptr;
  QTreeWidget* lstTargets_ = nullptr;
  QPushButton* cmdClose_ = nullptr;
};

}  // namespace velloran
