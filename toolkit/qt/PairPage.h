#pragma once
// The servers, printers and mixed pages: one pair editor drawn three times.

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/core/PairEditor.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace velloran {

class PairPage : public QObject {
 public:
  /// Builds the fields, New/Save/Delete and the list into `body` of `page`.
  /// `changed` marks the document changed; `prompter` asks the user.
  PairPage(PairKind kind, QWidget* page, QVBoxLayout* body, Prompter& prompter,
           std::function<void()> changed);

  PairKind Kind() const { return kind_; }
  QListWidget* List() const { return list_; }
  const std::vector<QLineEdit*>& Fields() const { return fields_; }
  /// The buttons, for the window's focus order.
  std::vector<QWidget*> Controls() const;

  /// The lines of the list, as shown.
  std::vector<std::string> Lines() const;
  /// Shows `lines`, with nothing chosen; the next Save adds.
  void ShowLines(const std::vector<std::string>& lines);

 private:
  PairEditorState State() const;
  void Apply(const PairEditorState& state);
  void Choose();

  PairKind kind_;
  Prompter& prompter_;
  std::function<void()> changed_;
  std::vector<QLineEdit*> fields_;
  QListWidget* list_ = nullptr;
  QPushButton *new_ = nullptr, *save_ = nullptr, *delete_ = nullptr;
  bool newEntry_ = true;
  bool applying_ = false;
};

}  // namespace velloran
