#pragma once
// Every check the wizard makes of what the administrator typed. A failed
// check says what to tell the user and where to put them.

#include <optional>
#include <string>
#include <string_view>

#include "platform/MessageBox.h"
#include "toolkit/core/Fields.h"
#include "toolkit/core/PairEditor.h"

namespace velloran {

class CodePage;
struct FormControl;

struct Problem {
  std::string Message;
  std::string Title;
  MessageIcon Icon = MessageIcon::Critical;
  int Page = -1;        ///< the page to show
  std::string Control;  ///< the control to focus there

  bool operator==(const Problem&) const = default;
};

/// A local part, one "@" and a domain, with no blanks.
bool IsEmailAddress(std::string_view text);

/// The From address as the focus leaves it: empty, or an address.
std::optional<Problem> CheckFromAddress(std::string_view text);
/// A recipient before Add puts it in the list.
std::optional<Problem> CheckRecipient(std::string_view text);
/// What is wrong with `text` as an entry of `control` (a comma in an entry
/// of a comma-joined list, backslashes around a server name); none when it
/// is fine.
std::optional<std::string> EntryProblem(const FormControl& control, std::string_view text);
/// The check of `control`'s rule as the focus leaves it (port, From
/// address); none for a control without such a rule.
std::optional<Problem> CheckOnLeaving(std::string_view control, std::string_view text);
/// What keeps the user on `page`: the first of its fields whose rule its
/// text breaks. A missing folder only warns, so it keeps no one.
std::optional<Problem> CheckLeavingPage(int page, const PageFields& fields);
/// The port as the focus leaves it: empty, or what the engine accepts.
std::optional<Problem> CheckPort(std::string_view text);

/// What File > Save requires of the pages: the domain of an Active Directory
/// document, at least one pair of a manual one (unless `requireContent` is
/// false: a save on the way out keeps unfinished work), and always a port
/// and From address the engine accepts, list entries the file can keep
/// apart, no old name mapped twice, only text `codePage` can store and no
/// more of it than the reader keeps.
std::optional<Problem> CheckSave(const PageFields& fields, bool activeDirectory,
                                 const CodePage& codePage, bool requireContent = true);

/// The characters of `text` that `codePage` cannot store, each once, in
/// order of appearance.
std::string CharactersOutside(std::string_view text, const CodePage& codePage);

/// What a pair page holds that its Save has not taken into the list.
enum class PendingPair { None, Complete, Incomplete };
PendingPair PendingPairOf(PairKind kind, const PageFields& fields);
/// The problem of a half-typed pair on its page.
Problem IncompletePairProblem(PairKind kind, const PageFields& fields);

}  // namespace velloran
