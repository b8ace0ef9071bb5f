#pragma once
// The wizard written down once: every page's controls in the order they
// stand, with what each shows, where its value lives in the settings
// record, the rule its text must pass and how much of it the file keeps;
// and the menus. Fields, checks and both front-ends read it; none of them
// lists a control again.

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/INISettings.h"

namespace velloran {

enum class ControlKind {
  Check,    ///< a check box
  Option,   ///< one option button of a group
  Text,     ///< a one-line text box
  Message,  ///< a text box of several lines
  Combo,    ///< a text box with a list to pick from
  List,     ///< a list box of lines
  Button,   ///< a button a check box switches with its fields
};

/// How a control's value reaches the settings record.
enum class Binding {
  None,        ///< typed, not saved (a pair or recipient before Add/Save)
  Text,        ///< one text of the record
  Message,     ///< one text of the record, its line breaks as tokens
  Flag,        ///< one switch of the record
  MDACOption,  ///< an option of the MDAC choice; `Index` is its number
  ServerPairs,
  PrinterPairs,
  MixedPairs,
  Recipients,
  Preference,  ///< a check box of the toolkit's own settings: no file holds it
};

/// What the text of a control must be before it is saved.
enum class Rule {
  None,
  Port,          ///< a port the engine connects to, or empty
  EmailAddress,  ///< an address, or empty
  Folder,        ///< looked for when the focus leaves it
  ServerName,    ///< a bare server name: no backslashes, no commas
  ListEntry,     ///< an entry of a comma-joined list: no commas
};

/// What the INI reader keeps: a value of 99 characters and a list key of
/// 9,999 (its buffers hold one more, for the terminator).
inline constexpr std::size_t kValueLimit = 99;
inline constexpr std::size_t kListKeyLimit = 9999;

struct FormControl {
  int Page;
  std::string_view Name;
  ControlKind Kind;
  /// The caption the user reads, with its mnemonic: the control's own for a
  /// check box or option, its label's for a field.
  std::string_view Caption;
  Binding Bind = Binding::None;
  std::string INISettings::*Text = nullptr;
  bool INISettings::*Flag = nullptr;
  int Index = 0;  ///< the option's number
  Rule Check = Rule::None;
  std::size_t Limit = 0;  ///< characters the file keeps (per key for a list); 0: not saved
  /// The check box that switches it on and off; "" when it is always on.
  std::string_view SwitchedBy = {};
  /// How messages name it, where its caption says more (or less).
  std::string_view Title = {};

  /// The caption without its mnemonic marker and closing colon.
  std::string PlainCaption() const;
  /// What messages call it.
  std::string Called() const;
};

/// Every value control of the pages, page by page in tab order.
std::span<const FormControl> FormControls();
/// The control named `name`; null when the form has none of that name.
const FormControl* FormControlNamed(std::string_view name);

/// The letter a caption's "&" marks, in lower case; 0 when it marks none.
char MnemonicOf(std::string_view caption);
/// Where Alt and `letter` lead on `page` from the control named `focused`:
/// the next control of the page, in tab order and round to the first, whose
/// caption marks that letter and that `available` lets in; "" when none
/// does. A page's letter goes before the menu bar's, and two captions of a
/// page that mark the same letter take the focus in turn.
std::string_view MnemonicTarget(int page, char letter, std::string_view focused,
                                const std::function<bool(std::string_view)>& available);

/// One entry of a menu: a command by its tool ID, and a separator after it.
struct MenuEntry {
  std::string_view Command;  ///< "ID_BTN_NEW"; "actCheckTargets"
  std::string_view Caption;
  std::string_view Shortcut = {};  ///< "Ctrl+N"; "" for none
  bool SeparatorAfter = false;
};
struct FormMenu {
  std::string_view Id;  ///< "ID_MNU_FILE"
  std::string_view Caption;
  std::vector<MenuEntry> Entries;
};
/// The menu bar, left to right.
std::span<const FormMenu> FormMenus();

}  // namespace velloran
