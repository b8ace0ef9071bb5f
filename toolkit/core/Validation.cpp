#include "toolkit/core/Validation.h"

#include <algorithm>
#include <map>
#include <vector>

#include "common/PortNumber.h"
#include "platform/CodePage.h"
#include "toolkit/core/Branding.h"
#include "toolkit/core/Form.h"
#include "toolkit/core/Pages.h"

namespace velloran {
namespace {

std::string EmailFormatMessage() {
  return std::string("Incorrect email address. Please enter a valid email address (i.e. ") +
         kExampleEmailAddress + ")";
}

Problem EmailProblem(std::string control) {
  return {EmailFormatMessage(), "Invalid Email", MessageIcon::Information, kPageSMTPMail,
          std::move(control)};
}

const FormControl& PortField() {
  static const FormControl& port =
      *std::find_if(FormControls().begin(), FormControls().end(),
                    [](const FormControl& c) { return c.Check == Rule::Port; });
  return port;
}

std::string_view TextOf(const PageFields& fields, std::string_view control) {
  const auto found = fields.Texts.find(control);
  return found == fields.Texts.end() ? std::string_view() : std::string_view(found->second);
}

bool ListEmpty(const PageFields& fields, std::string_view list) {
  const auto found = fields.Lists.find(list);
  return found == fields.Lists.end() || found->second.empty();
}

std::optional<Problem> CheckCodePage(const PageFields& fields, const CodePage& codePage) {
  for (const FormControl& stored : FormControls()) {
    if (stored.Limit == 0) continue;
    std::string outside;
    if (const auto list = fields.Lists.find(stored.Name); list != fields.Lists.end()) {
      for (const std::string& line : list->second) outside += CharactersOutside(line, codePage);
      outside = CharactersOutside(outside, codePage);  // each once
    } else {
      outside = CharactersOutside(TextOf(fields, stored.Name), codePage);
    }
    if (outside.empty()) continue;
    std::string shown;
    size_t i = 0;
    while (i < outside.size()) {
      const size_t start = i;
      DecodeUtf8(outside, i);
      if (!shown.empty()) shown += " ";
      shown += outside.substr(start, i - start);
    }
    return Problem{"\"" + stored.Called() +
                       "\" holds characters that the INI file's "
                       "code page (" +
                       codePage.Name() + ") cannot store: " + shown +
                       ". Please replace them before saving.",
                   "Error Saving", MessageIcon::Critical, stored.Page, std::string(stored.Name)};
  }
  return std::nullopt;
}

Problem SaveProblem(const FormControl& control, std::string message) {
  return Problem{std::move(message), "Error Saving", MessageIcon::Critical, control.Page,
                 std::string(control.Name)};
}

// The pair page whose list `list` is; none for the recipients.
std::optional<PairKind> PairKindOfList(const FormControl& list) {
  switch (list.Bind) {
    case Binding::ServerPairs:
      return PairKind::Servers;
    case Binding::PrinterPairs:
      return PairKind::Printers;
    case Binding::MixedPairs:
      return PairKind::Mixed;
    default:
      return std::nullopt;
  }
}

bool IsSavedList(const FormControl& c) { return c.Kind == ControlKind::List && c.Limit > 0; }

// The controls each part of a list's line was typed into: the pair fields,
// or the recipient box.
std::vector<const FormControl*> PartsOfList(const FormControl& list) {
  std::vector<const FormControl*> parts;
  if (const auto kind = PairKindOfList(list)) {
    for (std::string_view name : ShapeOf(*kind).FieldNames) parts.push_back(FormControlNamed(name));
  } else {
    parts.push_back(FormControlNamed("txtSendEmailTo"));
  }
  return parts;
}

std::vector<std::string> SplitLine(const FormControl& list, const std::string& line) {
  const auto kind = PairKindOfList(list);
  if (!kind) return {line};
  return SplitPairDisplay(line, *kind == PairKind::Mixed);
}

std::string LineNumber(size_t row) { return "line " + std::to_string(row + 1); }

std::optional<Problem> CheckListEntries(const PageFields& fields) {
  for (const FormControl& list : FormControls()) {
    if (!IsSavedList(list)) continue;
    const auto lines = fields.Lists.find(list.Name);
    if (lines == fields.Lists.end()) continue;
    const auto parts = PartsOfList(list);
    for (size_t row = 0; row < lines->second.size(); ++row) {
      const auto values = SplitLine(list, lines->second[row]);
      for (size_t i = 0; i < parts.size() && i < values.size(); ++i) {
        if (auto why = EntryProblem(*parts[i], values[i])) {
          return SaveProblem(list, "\"" + list.Called() + "\", " + LineNumber(row) + " (\"" +
                                       lines->second[row] + "\"): " + *why);
        }
      }
    }
  }
  return std::nullopt;
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// What the engine looks a connection up by: the old server, printer, or
// server and printer. Windows compares these names without regard to case.
std::string OldSide(PairKind kind, const std::vector<std::string>& parts) {
  std::string key = LowerAscii(parts.at(0));
  if (kind == PairKind::Mixed) key += "\\" + LowerAscii(parts.at(1));
  return key;
}

std::optional<Problem> CheckRepeatedOldNames(const PageFields& fields) {
  for (const FormControl& list : FormControls()) {
    const auto kind = PairKindOfList(list);
    const auto lines = fields.Lists.find(list.Name);
    if (!kind || lines == fields.Lists.end()) continue;
    std::map<std::string, size_t> first;
    for (size_t row = 0; row < lines->second.size(); ++row) {
      const std::string& line = lines->second[row];
      const auto [seen, isNew] =
          first.emplace(OldSide(*kind, SplitPairDisplay(line, *kind == PairKind::Mixed)), row);
      if (isNew) continue;
      const std::string& earlier = lines->second[seen->second];
      return SaveProblem(
          list, "\"" + list.Called() + "\" moves the same " +
                    (*kind == PairKind::Servers    ? "print server"
                     : *kind == PairKind::Printers ? "printer"
                                                   : "server and printer") +
                    " twice: " + LineNumber(seen->second) + " (\"" + earlier + "\") and " +
                    LineNumber(row) + " (\"" + line +
                    "\"). Only the first of them would ever act. Please delete one before saving.");
    }
  }
  return std::nullopt;
}

std::string WithThousands(size_t number) {
  const std::string digits = std::to_string(number);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

// Each key as the writer joins it, measured in the file's code page.
std::optional<Problem> CheckLimits(const PageFields& fields, const CodePage& codePage) {
  for (const FormControl& c : FormControls()) {
    if (c.Limit == 0) continue;
    size_t longest = 0;
    if (IsSavedList(c)) {
      const auto lines = fields.Lists.find(c.Name);
      if (lines == fields.Lists.end()) continue;
      std::vector<size_t> keys(PartsOfList(c).size(), 0);
      for (const std::string& line : lines->second) {
        const auto values = SplitLine(c, line);
        for (size_t i = 0; i < keys.size() && i < values.size(); ++i) {
          if (values[i].empty()) continue;
          keys[i] += (keys[i] ? 1 : 0) + codePage.FromUtf8(values[i]).size();
        }
      }
      for (size_t key : keys) longest = std::max(longest, key);
    } else {
      const std::string_view text = TextOf(fields, c.Name);
      longest =
          codePage.FromUtf8(c.Bind == Binding::Message ? MessageToRecord(text) : std::string(text))
              .size();
    }
    if (longest <= c.Limit) continue;
    const std::string what =
        IsSavedList(c) ? " characters per list in the INI file" : " characters in the INI file";
    const std::string breaks =
        c.Bind == Binding::Message ? " (a line break counts as five)" : std::string();
    return SaveProblem(c, "\"" + c.Called() + "\" is " + WithThousands(longest) +
                              " characters long" + breaks + "; Velloran reads back at most " +
                              WithThousands(c.Limit) + what +
                              " and would cut the rest. Please shorten it before saving.");
  }
  return std::nullopt;
}

}  // namespace

bool IsEmailAddress(std::string_view text) {
  const size_t at = text.find('@');
  if (at == std::string_view::npos || at == 0 || at + 1 == text.size()) return false;
  if (text.find('@', at + 1) != std::string_view::npos) return false;
  return std::none_of(text.begin(), text.end(),
                      [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

std::optional<Problem> CheckFromAddress(std::string_view text) {
  if (text.empty() || IsEmailAddress(text)) return std::nullopt;
  return EmailProblem("txtSMTPEmailAddress");
}

std::optional<Problem> CheckRecipient(std::string_view text) {
  // Two addresses typed as one are named as such, not as a bad address.
  const FormControl& box = *FormControlNamed("txtSendEmailTo");
  if (auto why = EntryProblem(box, text)) {
    return Problem{"\"" + box.Called() + "\" (\"" + std::string(text) + "\"): " + *why,
                   "Invalid Email", MessageIcon::Information, box.Page, std::string(box.Name)};
  }
  if (!IsEmailAddress(text)) return EmailProblem("txtSendEmailTo");
  return std::nullopt;
}

std::optional<std::string> EntryProblem(const FormControl& control, std::string_view text) {
  if ((control.Check == Rule::ServerName || control.Check == Rule::ListEntry) &&
      text.find(',') != std::string_view::npos) {
    return "\"" + control.Called() +
           "\" holds a comma. The INI file separates the entries of a list with commas, so "
           "the name would be read back as two. Please remove the comma.";
  }
  if (control.Check == Rule::ServerName &&
      (text.find('\\') != std::string_view::npos || text.find('/') != std::string_view::npos)) {
    std::string bare;
    for (char c : text) {
      if (c != '\\' && c != '/') bare += c;
    }
    return "\"" + control.Called() + "\" holds a backslash. Enter the server's name alone (" +
           bare + "), without backslashes: Velloran adds them itself.";
  }
  return std::nullopt;
}

std::optional<Problem> CheckLeavingPage(int page, const PageFields& fields) {
  for (const FormControl& c : FormControls()) {
    if (c.Page != page || c.Bind != Binding::Text) continue;
    if (auto problem = CheckOnLeaving(c.Name, TextOf(fields, c.Name))) return problem;
  }
  return std::nullopt;
}

std::optional<Problem> CheckOnLeaving(std::string_view control, std::string_view text) {
  const FormControl* c = FormControlNamed(control);
  if (!c) return std::nullopt;
  switch (c->Check) {
    case Rule::Port:
      return CheckPort(text);
    case Rule::EmailAddress:
      return CheckFromAddress(text);
    default:
      return std::nullopt;
  }
}

std::optional<Problem> CheckPort(std::string_view text) {
  if (text.empty() || IsPortNumber(text)) return std::nullopt;
  return Problem{"Incorrect port number. Please enter a valid port number (i.e. 1025)",
                 "Invalid Port Number", MessageIcon::Information, PortField().Page,
                 std::string(PortField().Name)};
}

std::string CharactersOutside(std::string_view text, const CodePage& codePage) {
  std::string outside;
  size_t i = 0;
  while (i < text.size()) {
    const size_t start = i;
    const char32_t c = DecodeUtf8(text, i);
    if (c < 0x80) continue;
    const std::string_view character = text.substr(start, i - start);
    // A character survives when it comes back from the code page as itself.
    if (codePage.ToUtf8(codePage.FromUtf8(character)) == character) continue;
    if (outside.find(character) == std::string::npos) outside += character;
  }
  return outside;
}

std::optional<Problem> CheckSave(const PageFields& fields, bool activeDirectory,
                                 const CodePage& codePage, bool requireContent) {
  if (!requireContent) {
    // Only what would store a wrong value.
  } else if (activeDirectory) {
    if (TextOf(fields, "cboDomainName").empty()) {
      return Problem{
          "The Active Directory domain name is a required field. Please enter an Active "
          "Directory domain name, before saving.",
          "Error Saving", MessageIcon::Critical, kPageActiveDirectory, "cboDomainName"};
    }
  } else if (ListEmpty(fields, "lstServerPairs") && ListEmpty(fields, "lstPrinterPairs") &&
             ListEmpty(fields, "lstMixedPrintersAndServers")) {
    return Problem{
        "At least one of the Manual Configurations must have data. Please enter at least one "
        "set of Manual data before saving.",
        "Error Saving", MessageIcon::Critical, kPageServers, "txtFromServer"};
  }
  for (const FormControl& c : FormControls()) {
    if (c.Bind != Binding::Text) continue;
    if (auto problem = CheckOnLeaving(c.Name, TextOf(fields, c.Name))) return problem;
  }
  if (auto entry = CheckListEntries(fields)) return entry;
  if (auto twice = CheckRepeatedOldNames(fields)) return twice;
  if (auto outside = CheckCodePage(fields, codePage)) return outside;
  return CheckLimits(fields, codePage);
}

PendingPair PendingPairOf(PairKind kind, const PageFields& fields) {
  size_t typed = 0;
  const auto& names = ShapeOf(kind).FieldNames;
  for (std::string_view name : names) typed += !TextOf(fields, name).empty();
  if (typed == 0) return PendingPair::None;
  return typed == names.size() ? PendingPair::Complete : PendingPair::Incomplete;
}

Problem IncompletePairProblem(PairKind kind, const PageFields& fields) {
  const PairPageShape& shape = ShapeOf(kind);
  std::string empty;
  for (std::string_view name : shape.FieldNames) {
    if (TextOf(fields, name).empty()) {
      empty = std::string(name);
      break;
    }
  }
  return Problem{"The " + std::string(shape.PairName) +
                     " being typed has not been added to the list and is incomplete. " +
                     std::string(shape.EmptyFieldMessage) +
                     " Or clear the fields with New before saving.",
                 "Error Saving", MessageIcon::Critical, shape.Page, empty};
}

}  // namespace velloran
