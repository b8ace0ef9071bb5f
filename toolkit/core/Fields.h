#pragma once
// The settings record as the pages show it: each control's value by the
// control's name, and the display forms of the pair lists and messages.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/INISettings.h"

namespace velloran {

/// The values of the page controls, keyed by control name. Option buttons
/// count as check boxes ("optMDACVersion(0)").
struct PageFields {
  std::map<std::string, std::string, std::less<>> Texts;
  std::map<std::string, bool, std::less<>> Checks;
  /// The lines of the list boxes, as shown.
  std::map<std::string, std::vector<std::string>, std::less<>> Lists;

  bool operator==(const PageFields&) const = default;
};

/// What the pages show for `record`.
PageFields FieldsOfRecord(const INISettings& record);
/// Takes every control's value into `record`. A control missing from
/// `fields` counts as empty or unticked, so a front-end that forgets one is
/// caught by the round trip.
void RecordOfFields(const PageFields& fields, INISettings& record);

/// "from -> to", and the mixed form "server >> printer -> server >> printer".
std::string PairDisplay(std::string_view from, std::string_view to);
std::string MixedDisplay(std::string_view fromServer, std::string_view fromPrinter,
                         std::string_view toServer, std::string_view toPrinter);
/// The parts of a display line: from, to (2) or from server, from printer,
/// to server, to printer (4).
std::vector<std::string> SplitPairDisplay(std::string_view line, bool mixed);

/// "^CRLF" tokens to line breaks ("\n") and back; "\r\n", "\n" and "\r" all
/// count as one break.
std::string MessageFromRecord(std::string_view text);
std::string MessageToRecord(std::string_view text);

}  // namespace velloran
