#include "toolkit/core/Fields.h"

#include "toolkit/core/Form.h"

namespace velloran {
namespace {

constexpr std::string_view kPairArrow = " -> ";
constexpr std::string_view kMixedJoin = " >> ";
constexpr std::string_view kLineBreakToken = "^CRLF";

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
  for (const FormControl& c : FormControls()) {
    const std::string name(c.Name);
    switch (c.Bind) {
      case Binding::None:
      case Binding::Preference:
        break;
      case Binding::Text:
        f.Texts[name] = s.*c.Text;
        break;
      case Binding::Message:
        f.Texts[name] = MessageFromRecord(s.*c.Text);
        break;
      case Binding::Flag:
        f.Checks[name] = s.*c.Flag;
        break;
      case Binding::MDACOption:
        // A number no option stands for selects none; saving then stores 2.
        f.Checks[name] = s.MDACOption == c.Index;
        break;
      // One line per entry, in list order.
      case Binding::ServerPairs:
      case Binding::PrinterPairs: {
        auto& lines = f.Lists[name];
        for (const NamePair& p : c.Bind == Binding::ServerPairs ? s.ServerPairs : s.PrinterPairs)
          lines.push_back(PairDisplay(p.FromName, p.ToName));
        break;
      }
      case Binding::MixedPairs: {
        auto& lines = f.Lists[name];
        for (const MixedPair& p : s.MixedPairs)
          lines.push_back(MixedDisplay(p.FromServer, p.FromPrinter, p.ToServer, p.ToPrinter));
        break;
      }
      case Binding::Recipients:
        f.Lists[name] = s.EmailTo;
        break;
    }
  }
  return f;
}

void RecordOfFields(const PageFields& f, INISettings& s) {
  const std::vector<std::string> none;
  s.MDACOption = 2;
  bool optionChosen = false;
  for (const FormControl& c : FormControls()) {
    const std::vector<std::string>& lines = ValueOr(f.Lists, c.Name, none);
    switch (c.Bind) {
      case Binding::None:
      case Binding::Preference:
        break;
      case Binding::Text:
        s.*c.Text = ValueOr(f.Texts, c.Name, std::string());
        break;
      case Binding::Message:
        s.*c.Text = MessageToRecord(ValueOr(f.Texts, c.Name, std::string()));
        break;
      case Binding::Flag:
        s.*c.Flag = ValueOr(f.Checks, c.Name, false);
        break;
      case Binding::MDACOption:
        // The first option ticked counts; none ticked stores the last.
        if (!optionChosen && ValueOr(f.Checks, c.Name, false)) {
          s.MDACOption = static_cast<int16_t>(c.Index);
          optionChosen = true;
        }
        break;
      // One entry per line, in list order.
      case Binding::ServerPairs:
      case Binding::PrinterPairs: {
        auto& pairs = c.Bind == Binding::ServerPairs ? s.ServerPairs : s.PrinterPairs;
        pairs.clear();
        for (const std::string& line : lines) {
          auto parts = SplitPairDisplay(line, false);
          pairs.push_back({parts[0], parts[1]});
        }
        break;
      }
      case Binding::MixedPairs:
        s.MixedPairs.clear();
        for (const std::string& line : lines) {
          auto p = SplitPairDisplay(line, true);
          MixedPair pair;
          pair.FromServer = p[0];
          pair.FromPrinter = p[1];
          pair.ToServer = p[2];
          pair.ToPrinter = p[3];
          s.MixedPairs.push_back(pair);
        }
        break;
      case Binding::Recipients:
        s.EmailTo = lines;
        break;
    }
  }
  // The pop-up channel is on when either message is wanted: taken from the
  // success box alone, a failure message chosen on its own would never show.
  s.UseClientPopup = s.UseSuccessClientPopup || s.UseFailureClientPopup;
}

}  // namespace velloran
