#include "toolkit/core/Fields.h"

namespace velloran {
namespace {

constexpr std::string_view kPairArrow = " -> ";
constexpr std::string_view kMixedJoin = " >> ";
constexpr std::string_view kLineBreakToken = "^CRLF";

// The controls that hold one text of the record each.
struct TextControl {
  std::string_view Name;
  std::string INISettings::*Field;
};
constexpr TextControl kTexts[] = {
    {"cboDomainName", &INISettings::DomainName},
    {"txtSMTPServerName", &INISettings::SMTPServerNameOrIP},
    {"txtSMTPServerPort", &INISettings::ServerPort},
    {"txtEmailSubject", &INISettings::EmailSubject},
    {"txtSMTPEmailAddress", &INISettings::EmailFrom},
    {"txtFileOutputPath", &INISettings::FileOutputPath},
    {"txtFileOutputName", &INISettings::FileOutputName},
    {"txtNetworkSharePath", &INISettings::DeploymentPath},
};

struct CheckControl {
  std::string_view Name;
  bool INISettings::*Field;
};
constexpr CheckControl kChecks[] = {
    {"chkAlwaysRun", &INISettings::AlwaysRun},
    {"chkUseSMTP", &INISettings::UseSMTP},
    {"chkUseFileOutput", &INISettings::UseFileOutput},
    {"chkIncludeComputerName", &INISettings::IncludeComputerName},
    {"chkIncludeFinalStatus", &INISettings::IncludeOutcome},
    {"chkWriteToEventLog", &INISettings::WriteToEventLog},
    {"chkUseNotifyUser", &INISettings::UseSuccessClientPopup},
    {"chkNotifyMessageOnFailure", &INISettings::UseFailureClientPopup},
    {"chkCreateHTML", &INISettings::CreateWebLaunchPage},
    {"chkBatchFile", &INISettings::CreateBatchFile},
    {"chkIncludeMDAC", &INISettings::IncludeMDAC},
    {"chkDebugOn", &INISettings::DebugOn},
};

constexpr std::string_view kMDACOptions[] = {"optMDACVersion(0)", "optMDACVersion(1)",
                                             "optMDACVersion(2)"};

template <typename Map>
auto ValueOr(const Map& map, std::string_view name, typename Map::mapped_type fallback) {
  const auto found = map.find(name);
  return found == map.end() ? fallback : found->second;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

std::string PairDisplay(std::string_view from, std::string_view to) {
  std::string line(from);
  line += kPairArrow;
  line += to;
  return line;
}

std::string MixedDisplay(std::string_view fromServer, std::string_view fromPrinter,
                         std::string_view toServer, std::string_view toPrinter) {
  std::string from(fromServer), to(toServer);
  from += kMixedJoin;
  from += fromPrinter;
  to += kMixedJoin;
  to += toPrinter;
  return PairDisplay(from, to);
}

std::vector<std::string> SplitPairDisplay(std::string_view line, bool mixed) {
  const size_t arrow = line.find(kPairArrow);
  const std::string_view left = arrow == std::string_view::npos ? line : line.substr(0, arrow);
  const std::string_view right =
      arrow == std::string_view::npos ? std::string_view() : line.substr(arrow + kPairArrow.size());
  if (!mixed) return {std::string(left), std::string(right)};
  std::vector<std::string> parts;
  for (std::string_view side : {left, right}) {
    const size_t join = side.find(kMixedJoin);
    parts.emplace_back(side.substr(0, join));
    parts.emplace_back(join == std::string_view::npos ? std::string_view()
                                                      : side.substr(join + kMixedJoin.size()));
  }
  return parts;
}

std::string MessageFromRecord(std::string_view text) {
  return ReplaceAll(std::string(text), kLineBreakToken, "\n");
}

std::string MessageToRecord(std::string_view text) {
  std::string token = ReplaceAll(std::string(text), "\r\n", "\n");
  token = ReplaceAll(std::move(token), "\r", "\n");
  return ReplaceAll(std::move(token), "\n", kLineBreakToken);
}

PageFields FieldsOfRecord(const INISettings& s) {
  PageFields f;
  for (const TextControl& c : kTexts) f.Texts[std::string(c.Name)] = s.*c.Field;
  f.Texts["txtSucessMessage"] = MessageFromRecord(s.SuccessMessage);
  f.Texts["txtFailureMessage"] = MessageFromRecord(s.FailureMessage);
  for (const CheckControl& c : kChecks) f.Checks[std::string(c.Name)] = s.*c.Field;
  // A number no option stands for selects none; saving then stores 2.
  for (int i = 0; i < 3; ++i) f.Checks[std::string(kMDACOptions[i])] = s.MDACOption == i;

  // Blank entries are the lists' padding, not lines.
  auto& servers = f.Lists["lstServerPairs"];
  for (const NamePair& p : s.ServerPairs) {
    if (!p.FromName.empty()) servers.push_back(PairDisplay(p.FromName, p.ToName));
  }
  auto& printers = f.Lists["lstPrinterPairs"];
  for (const NamePair& p : s.PrinterPairs) {
    if (!p.FromName.empty()) printers.push_back(PairDisplay(p.FromName, p.ToName));
  }
  auto& mixed = f.Lists["lstMixedPrintersAndServers"];
  for (const MixedPair& p : s.MixedPairs) {
    if (!p.FromServer.empty())
      mixed.push_back(MixedDisplay(p.FromServer, p.FromPrinter, p.ToServer, p.ToPrinter));
  }
  auto& recipients = f.Lists["lstToEmailAddresses"];
  for (const std::string& address : s.EmailTo) {
    if (!address.empty()) recipients.push_back(address);
  }
  return f;
}

void RecordOfFields(const PageFields& f, INISettings& s) {
  for (const TextControl& c : kTexts) s.*c.Field = ValueOr(f.Texts, c.Name, std::string());
  s.SuccessMessage = MessageToRecord(ValueOr(f.Texts, "txtSucessMessage", std::string()));
  s.FailureMessage = MessageToRecord(ValueOr(f.Texts, "txtFailureMessage", std::string()));
  for (const CheckControl& c : kChecks) s.*c.Field = ValueOr(f.Checks, c.Name, false);
  // The pop-up channel is on when either message is wanted: taken from the
  // success box alone, a failure message chosen on its own would never show.
  s.UseClientPopup = s.UseSuccessClientPopup || s.UseFailureClientPopup;
  s.MDACOption = ValueOr(f.Checks, kMDACOptions[0], false)   ? 0
                 : ValueOr(f.Checks, kMDACOptions[1], false) ? 1
                                                             : 2;

  // The written lists start with the blank entry 0 the reader expects.
  const std::vector<std::string> none;
  s.ServerPairs.assign(1, NamePair{});
  for (const std::string& line : ValueOr(f.Lists, "lstServerPairs", none)) {
    auto parts = SplitPairDisplay(line, false);
    s.ServerPairs.push_back({parts[0], parts[1]});
  }
  s.PrinterPairs.assign(1, NamePair{});
  for (const std::string& line : ValueOr(f.Lists, "lstPrinterPairs", none)) {
    auto parts = SplitPairDisplay(line, false);
    s.PrinterPairs.push_back({parts[0], parts[1]});
  }
  s.MixedPairs.assign(1, MixedPair{});
  for (const std::string& line : ValueOr(f.Lists, "lstMixedPrintersAndServers", none)) {
    auto p = SplitPairDisplay(line, true);
    MixedPair pair;
    pair.FromServer = p[0];
    pair.FromPrinter = p[1];
    pair.ToServer = p[2];
    pair.ToPrinter = p[3];
    s.MixedPairs.push_back(pair);
  }
  s.EmailTo.assign(1, std::string());
  for (const std::string& address : ValueOr(f.Lists, "lstToEmailAddresses", none))
    s.EmailTo.push_back(address);
}

}  // namespace velloran
