#pragma once
// One option page of the wizard: the heading, the fields between two rules,
// Help, Back and Next. A page binds its controls to the core's fields by
// control name; the wizard reads and fills every page the same way.

#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "toolkit/core/Fields.h"

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace velloran {

class OptionPage : public QWidget {
 public:
  /// `changed` is called whenever the user changes a bound value.
  OptionPage(int page, const QString& heading, std::function<void()> changed);

  int Page() const { return page_; }
  QLabel* Heading() const { return heading_; }
  QPushButton* HelpButton() const { return help_; }
  QPushButton* BackButton() const { return back_; }
  QPushButton* NextButton() const { return next_; }

  /// The page's control named `name` (a bound value or a button); null
  /// when the page has none.
  QWidget* ControlNamed(std::string_view name) const;
  /// Adds the bound controls' values to `fields`.
  virtual void ReadFields(PageFields& fields) const;
  /// Shows the values `fields` holds for this page's controls; the others
  /// stay as they are. Filling is no change of the document.
  virtual void ShowFields(const PageFields& fields);
  /// Enables or disables a control that a check box switches.
  static void SetSwitchedOn(QWidget* control, bool on);

 protected:
  QVBoxLayout* Body() const { return body_; }
  void Changed() const;
  /// Binds `control`'s value to the field of its object name; unless
  /// `watchEdits` is false, the user's edits of it call `changed`.
  void Bind(QWidget* control, bool watchEdits = true);
  /// Makes `control` one the wizard finds by name, without a value.
  void Name(QWidget* control);
  /// A text field that shows the button colour while a check box keeps it
  /// off, as an input that is not wanted.
  static void ShadeWhenDisabled(QWidget* field);
  /// A text block of the page, wrapped, as plain text.
  QLabel* Text(const QString& text, const QString& name);
  /// A label that acts as a link: a click calls `open`.
  void MakeLink(QLabel* label, const QString& address, std::function<void()> open);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int page_;
  std::function<void()> changed_;
  QLabel* heading_ = nullptr;
  QVBoxLayout* body_ = nullptr;
  QPushButton *help_ = nullptr, *back_ = nullptr, *next_ = nullptr;
  std::map<std::string, QWidget*, std::less<>> named_;
  std::map<std::string, QWidget*, std::less<>> bound_;
  std::map<QObject*, std::function<void()>> links_;
};

/// Fields that a check box switches are set in under it.
QVBoxLayout* Indented(QVBoxLayout* body);

}  // namespace velloran
