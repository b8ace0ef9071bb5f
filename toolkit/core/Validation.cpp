#include "toolkit/core/Validation.h"

#include <algorithm>

#include "common/PortNumber.h"
#include "platform/CodePage.h"
#include "toolkit/core/Branding.h"
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

// The texts the INI file stores, with the caption that names them.
struct StoredText {
  std::string_view Control;
  std::string_view Caption;
  int Page;
};
constexpr StoredText kStoredTexts[] = {
    {"cboDomainName", "Active Directory domain name", kPageActiveDirectory},
    {"lstServerPairs", "Print Server Pairs", kPageServers},
    {"lstPrinterPairs", "Printer Pairs", kPagePrinters},
    {"lstMixedPrintersAndServers", "Print Server and Printer Pairs", kPageMixed},
    {"txtSMTPServerName", "SMTP Server Name or IP", kPageSMTPMail},
    {"txtSMTPServerPort", "SMTP Server Port", kPageSMTPMail},
    {"txtSMTPEmailAddress", "From Email Address", kPageSMTPMail},
    {"lstToEmailAddresses", "Send Email To", kPageSMTPMail},
    {"txtEmailSubject", "Email Subject", kPageSMTPMail},
    {"txtFileOutputPath", "File Output Path", kPageFileOutput},
    {"txtFileOutputName", "File Output Name", kPageFileOutput},
    {"txtSucessMessage", "Notify user on success with message", kPageClientPopup},
    {"txtFailureMessage", "Notify user on failure with message", kPageClientPopup},
    {"txtNetworkSharePath", "Network Share Path", kPageDeployment},
};

std::string_view TextOf(const PageFields& fields, std::string_view control) {
  const auto found = fields.Texts.find(control);
  return found == fields.Texts.end() ? std::string_view() : std::string_view(found->second);
}

bool ListEmpty(const PageFields& fields, std::string_view list) {
  const auto found = fields.Lists.find(list);
  return found == fields.Lists.end() || found->second.empty();
}

std::optional<Problem> CheckCodePage(const PageFields& fields, const CodePage& codePage) {
  for (const StoredText& stored : kStoredTexts) {
    std::string outside;
    if (const auto list = fields.Lists.find(stored.Control); list != fields.Lists.end()) {
      for (const std::string& line : list->second) outside += CharactersOutside(line, codePage);
      outside = CharactersOutside(outside, codePage);  // each once
    } else {
      outside = CharactersOutside(TextOf(fields, stored.Control), codePage);
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
    return Problem{"\"" + std::string(stored.Caption) +
                       "\" holds characters that the INI file's "
                       "code page (" +
                       codePage.Name() + ") cannot store: " + shown +
                       ". Please replace them before saving.",
                   "Error Saving", MessageIcon::Critical, stored.Page, std::string(stored.Control)};
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
  if (IsEmailAddress(text)) return std::nullopt;
  return EmailProblem("txtSendEmailTo");
}

std::optional<Problem> CheckPort(std::string_view text) {
  if (text.empty() || IsPortNumber(text)) return std::nullopt;
  return Problem{"Incorrect port number. Please enter a valid port number (i.e. 1025)",
                 "Invalid Port Number", MessageIcon::Information, kPageSMTPMail,
                 "txtSMTPServerPort"};
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
  if (auto port = CheckPort(TextOf(fields, "txtSMTPServerPort"))) return port;
  if (auto from = CheckFromAddress(TextOf(fields, "txtSMTPEmailAddress"))) return from;
  return CheckCodePage(fields, codePage);
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
