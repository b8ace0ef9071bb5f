// The summary's reading of what clients left on a share: output and e-mail
// back-up files, decoded debug texts and file names, all written by anyone
// with write access to the share. Each reading stays within what the bytes
// say, and whatever it yields is printed without a raw control character.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "platform/CodePage.h"
#include "tools/FleetDetail.h"
#include "tools/FleetReport.h"
#include "tools/OutputText.h"

using namespace velloran;
using namespace velloran::fleet;

namespace {

bool HasRawControl(std::string_view s, std::string_view allowed) {
  for (size_t i = 0; i < s.size();) {
    const size_t at = i;
    const char32_t c = DecodeUtf8(s, i);
    if (c == 0xFFFD && i - at == 1) return true;
    if (c < 0x20 && allowed.find(static_cast<char>(c)) == std::string_view::npos) return true;
    if (c >= 0x7F && c <= 0x9F) return true;
  }
  return false;
}

// Every text the summary prints comes out of one of these three forms.
void RequirePrintable(std::string_view text) {
  fuzz::Require(!HasRawControl(output::TerminalLine(text), ""), "a table line carries no control");
  fuzz::Require(!HasRawControl(output::TerminalText(text), "\t\r\n"),
                "terminal text carries no control but tab, CR, LF");
  fuzz::Require(!HasRawControl(output::CsvField(text), "\t\r\n"),
                "a CSV field carries no control but tab, CR, LF");
  fuzz::Require(!HasRawControl(output::JsonString(text), ""), "a JSON string carries no control");
}

void RequireConnection(const Connection& c, std::string_view text) {
  fuzz::Require(!c.Printer.empty() && !c.Server.empty(), "a connection names printer and server");
  fuzz::Require(c.Server.find_first_of("()") == std::string::npos,
                "the server is the last parenthesis");
  fuzz::Require(text.find(c.Printer + " (" + c.Server + ")") != std::string_view::npos,
                "a connection is written in the file as read");
  RequirePrintable(c.Printer);
  RequirePrintable(c.Server);
}

// An outcome text's run fails exactly when it records a failure; a debug
// text's may fail with none of its failures among those that count.
void RequireRun(const RunReport& run, std::string_view text, bool failsByFailures) {
  fuzz::Require(run.Failures.empty() || run.Result == Outcome::Failed,
                "a run with a failure failed");
  if (failsByFailures)
    fuzz::Require(run.Failures.empty() == (run.Result != Outcome::Failed),
                  "a run fails exactly when it records a failure");
  for (const Failure& f : run.Failures) {
    RequirePrintable(f.Step);
    RequirePrintable(f.Target);
    RequirePrintable(f.Description);
  }
  for (const auto* list : {&run.Inventory, &run.Migrated, &run.Left})
    for (const Connection& c : *list) RequireConnection(c, text);
  fuzz::Require(run.HasInventory || run.Inventory.empty(), "an inventory needs its heading");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Outcome files are read as UTF-8 or in the clients' code page.
  const std::string text = ReportTextToUtf8(bytes, AnsiCodePage());
  fuzz::Require(IsValidUtf8(text), "a report's text becomes UTF-8");
  const ParsedOutcomeFile file = ParseOutcomeText(text);
  if (file.Problem.empty()) {
    fuzz::Require(file.LooksLikeOutcome && !file.Runs.empty(), "a sound file holds a run");
    fuzz::Require(StartsLikeOutcome(text), "the first bytes tell a report apart");
    for (const RunReport& run : file.Runs) {
      fuzz::Require(run.Result == Outcome::Succeeded || run.Result == Outcome::Failed,
                    "an output file's run succeeded or failed");
      RequireRun(run, text, true);
    }
  } else {
    fuzz::Require(file.Runs.empty() || file.LooksLikeOutcome, "only a report yields runs");
  }

  // A debug file's text, as decoding gives it.
  const RunReport debug = ParseDebugText(text);
  fuzz::Require(debug.Inventory.empty() && debug.Migrated.empty(),
                "a debug text lists no printers");
  RequireRun(debug, text, false);

  // The file name: a computer named by it is the name's own start.
  const std::string_view name = bytes.substr(0, bytes.find('\n'));
  const NameInfo info = ClassifyName(name);
  fuzz::Require(name.starts_with(info.Computer), "the computer is the name's start");
  fuzz::Require(info.Computer.empty() || info.Computer.size() < name.size(),
                "a computer is less than the whole name");
  if (info.kind == NameInfo::Debug || info.kind == NameInfo::EmailBackup)
    fuzz::Require(!info.Computer.empty(), "a debug or back-up file names its computer");
  if (info.kind == NameInfo::Debug)
    fuzz::Require(
        fleet::detail::EndsWithNoCase(name, ".debug") && info.Computer.size() + 6 == name.size(),
        "a debug file is <computer>.debug");
  fuzz::Require(info.NamedOutcome.has_value() == (info.kind == NameInfo::Output),
                "only an output file's name tells an outcome");
  RequirePrintable(info.Computer);
  return 0;
}
