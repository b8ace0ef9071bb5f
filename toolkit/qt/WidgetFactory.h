#pragma once
// The controls of the wizard's pages, made the same way on every page.

#include <QString>

class QCheckBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace velloran::widgets {

/// "name(index)", as control arrays are named.
QString Indexed(const char* name, int index);
/// The caption the form declares for the control `name`.
QString DeclaredCaption(const char* name);
QLineEdit* LineEdit(const char* name, QWidget* parent);
QCheckBox* CheckBox(const char* name, const QString& caption, QWidget* parent);
QPushButton* Button(const QString& name, const QString& caption, QWidget* parent);
QListWidget* List(const char* name, QWidget* parent);
QFormLayout* Form();
/// A caption whose mnemonic moves the focus to `buddy`.
QLabel* Caption(const QString& text, QWidget* buddy, const QString& name);

}  // namespace velloran::widgets
