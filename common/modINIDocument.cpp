#include "common/modINIDocument.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "common/INIKeys.h"

namespace velloran {

namespace {

// Read buffers include the terminating zero of the profile call, so at most
// 99 and 9,999 characters arrive.
constexpr std::size_t kTextBufferSize = 100;
constexpr std::size_t kListBufferSize = 10000;

constexpr std::string_view kServersSection = "MANUAL DEFINITIONS SERVERS";
constexpr std::string_view kPrintersSection = "MANUAL DEFINITIONS PRINTERS";
constexpr std::string_view kMixedSection = "MANUAL DEFINITIONS MIXED";
constexpr std::string_view kSmtp = "NOTIFICATION SMTP";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

/// A value as the reader's blank-filled buffer leaves it: the buffer is
/// trimmed of spaces as a whole, so spaces that the profile call kept (those
/// inside quotes) go at the front; at the back the terminating zero stands
/// between the value and the buffer's spaces, so those stay.
std::string ReadBuffer(const ProfileFunctions& profile, std::string_view section,
                       std::string_view key, std::size_t size, const std::string& path) {
  std::string value = profile.GetString(section, key, size, path);
  const size_t first = value.find_first_not_of(' ');
  value.erase(0, first == std::string::npos ? value.size() : first);
  return value;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool ContainsTrue(std::string_view s) {
  constexpr std::string_view kTrue = "true";
  auto it = std::search(s.begin(), s.end(), kTrue.begin(), kTrue.end(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
  return it != s.end();
}

/// No items for the empty text; otherwise one more item than commas.
std::vector<std::string_view> SplitList(std::string_view text) {
  std::vector<std::string_view> items;
  if (text.empty()) return items;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) {
      items.push_back(text.substr(start));
      return items;
    }
    items.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
}

/// Puts item i of a key into `field(list[i])`, the key's placeholder where
/// the item is blank. The list has one entry per item of the key that sizes
/// it; items of the other keys beyond those entries belong to no entry, and
/// the log says how many were dropped so that a hand-edited file that pairs
/// badly does not go unnoticed.
template <typename T, typename Field>
void FillByPosition(std::vector<T>& list, const std::vector<std::string_view>& items,
                    std::string_view placeholder, bool keepBlanks, Field field,
                    const ReaderLog& log, std::string_view section, std::string_view key) {
  const size_t used = std::min(items.size(), list.size());
  for (size_t i = 0; i < used; ++i) {
    std::string_view trimmed = TrimBlanks(items[i]);
    std::string& target = field(list[i]);
    if (trimmed.empty()) {
      target = placeholder;
    } else {
      target = keepBlanks ? items[i] : trimmed;
    }
  }
  if (items.size() > used && log) {
    log(">> Ignored surplus entries of " + std::string(key) + " in " + std::string(section) + ": " +
        std::to_string(items.size() - used));
  }
}

/// An entry with an empty text adds nothing to its key: an empty item would
/// read back as the key's placeholder.
template <typename T, typename Field>
std::string JoinList(const std::vector<T>& list, Field field) {
  std::string text;
  for (const T& entry : list) {
    const std::string& item = field(entry);
    if (item.empty()) continue;
    if (!text.empty()) text.push_back(',');
    text.append(item);
  }
  if (text.empty()) text = " ";
  return text;
}

void KeepFirst(Status& first, Status next) {
  if (first.ok() && !next.ok()) first = std::move(next);
}

void DropOneTrailingBackslash(std::string& folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
}

}  // namespace

size_t FileListSlots(size_t entries) { return entries >= 2 ? entries : entries + 1; }

int16_t LeadingNumberToInt16(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') s.push_back(c);
  }

  size_t p = 0;
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';

  // Mantissa digits without the point; `pointAt` counts the digits before it.
  std::string digits;
  size_t intDigits = 0;
  bool seenDigit = false;
  while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
    digits.push_back(s[p++]);
    ++intDigits;
    seenDigit = true;
  }
  if (p < s.size() && s[p] == '.') {
    ++p;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
      digits.push_back(s[p++]);
      seenDigit = true;
    }
  }
  if (!seenDigit) return 0;

  // An exponent counts only when it is complete ("1e" and "1e+" are just 1).
  int64_t exponent = 0;
  if (p < s.size() && (s[p] == 'e' || s[p] == 'E')) {
    size_t q = p + 1;
    bool expNegative = false;
    if (q < s.size() && (s[q] == '+' || s[q] == '-')) expNegative = s[q++] == '-';
    if (q < s.size() && s[q] >= '0' && s[q] <= '9') {
      // Saturate: anything beyond a few digits is far outside 16 bits anyway.
      constexpr int64_t kCap = 1'000'000'000;
      while (q < s.size() && s[q] >= '0' && s[q] <= '9') {
        if (exponent < kCap) exponent = exponent * 10 + (s[q] - '0');
        ++q;
      }
      if (expNegative) exponent = -exponent;
    }
  }

  // value = 0.d1d2d3... * 10^scale, with d1 != 0 after the leading zeros go.
  size_t firstNonZero = digits.find_first_not_of('0');
  if (firstNonZero == std::string::npos) return 0;
  int64_t scale = static_cast<int64_t>(intDigits) - static_cast<int64_t>(firstNonZero) + exponent;
  std::string_view sig = std::string_view(digits).substr(firstNonZero);

  constexpr int32_t kMin = std::numeric_limits<int16_t>::min();
  constexpr int32_t kMax = std::numeric_limits<int16_t>::max();
  // 10^5 and above lies outside the 16-bit range in either direction.
  if (scale > 5) return static_cast<int16_t>(negative ? kMin : kMax);
  if (scale < 0) return 0;  // below 0.1, rounds to 0

  int32_t whole = 0;
  for (int64_t i = 0; i < scale; ++i) {
    whole =
        whole * 10 + (static_cast<size_t>(i) < sig.size() ? sig[static_cast<size_t>(i)] - '0' : 0);
  }
  std::string_view fraction =
      static_cast<size_t>(scale) < sig.size() ? sig.substr(static_cast<size_t>(scale)) : "";
  if (!fraction.empty()) {
    char first = fraction.front();
    bool restNonZero = fraction.find_first_not_of('0', 1) != std::string_view::npos;
    if (first > '5' || (first == '5' && (restNonZero || (whole % 2) == 1))) ++whole;
  }
  int32_t value = negative ? -whole : whole;
  return static_cast<int16_t>(std::clamp(value, kMin, kMax));
}

std::string INIDocument::ReadINIString(std::string_view section, std::string_view key) const {
  return ReadBuffer(profile_, section, key, kTextBufferSize, path_);
}

bool INIDocument::ReadINIBoolean(std::string_view section, std::string_view key) const {
  return ContainsTrue(ReadINIString(section, key));
}

int16_t INIDocument::ReadINIInteger(std::string_view section, std::string_view key) const {
  return LeadingNumberToInt16(ReadINIString(section, key));
}

namespace {

struct NamePairKeys {
  std::string_view Section, FromKey, ToKey, FromPlaceholder, ToPlaceholder;
};

void ReadNamePairs(const ProfileFunctions& profile, const std::string& path, const ReaderLog& log,
                   const NamePairKeys& k, std::vector<NamePair>& list) {
  std::string from = ReadBuffer(profile, k.Section, k.FromKey, kListBufferSize, path);
  auto fromItems = SplitList(from);
  list.assign(fromItems.size(), NamePair{});
  FillByPosition(
      list, fromItems, k.FromPlaceholder, false,
      [](NamePair& p) -> std::string& { return p.FromName; }, log, k.Section, k.FromKey);

  std::string to = ReadBuffer(profile, k.Section, k.ToKey, kListBufferSize, path);
  FillByPosition(
      list, SplitList(to), k.ToPlaceholder, false,
      [](NamePair& p) -> std::string& { return p.ToName; }, log, k.Section, k.ToKey);
}

}  // namespace

void INIDocument::ReadServerPairs(std::vector<NamePair>& list) const {
  ReadNamePairs(profile_, path_, log_,
                {kServersSection, "FromServers", "ToServers", kErrorFromServer, kErrorToServer},
                list);
}

void INIDocument::ReadPrinterPairs(std::vector<NamePair>& list) const {
  ReadNamePairs(
      profile_, path_, log_,
      {kPrintersSection, "FromPrinters", "ToPrinters", kErrorFromPrinter, kErrorToPrinter}, list);
}

void INIDocument::ReadMixedPairs(std::vector<MixedPair>& list) const {
  auto read = [&](std::string_view key) {
    return ReadBuffer(profile_, kMixedSection, key, kListBufferSize, path_);
  };
  std::string fromServers = read("FromServers");
  auto items = SplitList(fromServers);
  list.assign(items.size(), MixedPair{});
  FillByPosition(
      list, items, kErrorFromServer, false,
      [](MixedPair& p) -> std::string& { return p.FromServer; }, log_, kMixedSection,
      "FromServers");

  std::string fromPrinters = read("FromPrinters");
  FillByPosition(
      list, SplitList(fromPrinters), kErrorFromPrinter, false,
      [](MixedPair& p) -> std::string& { return p.FromPrinter; }, log_, kMixedSection,
      "FromPrinters");
  std::string toServers = read("ToServers");
  FillByPosition(
      list, SplitList(toServers), kErrorToServer, false,
      [](MixedPair& p) -> std::string& { return p.ToServer; }, log_, kMixedSection, "ToServers");
  std::string toPrinters = read("ToPrinters");
  FillByPosition(
      list, SplitList(toPrinters), kErrorToPrinter, false,
      [](MixedPair& p) -> std::string& { return p.ToPrinter; }, log_, kMixedSection, "ToPrinters");
}

void INIDocument::ReadEmailToList(std::vector<std::string>& list) const {
  std::string value = ReadBuffer(profile_, kSmtp, "EmailTo", kListBufferSize, path_);
  auto items = SplitList(value);
  list.assign(items.size(), std::string{});
  // Addresses keep their blanks: the mail sender gets them as the
  // administrator typed them.
  FillByPosition(
      list, items, kErrorToEmail, true, [](std::string& s) -> std::string& { return s; }, log_,
      kSmtp, "EmailTo");
}

void INIDocument::ReadINISettings(INISettings& s) const {
  for (const INIKey& key : INIKeys()) {
    switch (key.Kind) {
      case INIKeyKind::Boolean:
        s.*key.Flag = ReadINIBoolean(key.Section, key.Name);
        break;
      case INIKeyKind::Text:
        s.*key.Text = ReadINIString(key.Section, key.Name);
        break;
      case INIKeyKind::Folder:
        s.*key.Text = ReadINIString(key.Section, key.Name);
        DropOneTrailingBackslash(s.*key.Text);
        break;
      case INIKeyKind::Integer:
        s.*key.Number = ReadINIInteger(key.Section, key.Name);
        break;
      case INIKeyKind::ServerPairs:
        ReadServerPairs(s.ServerPairs);
        break;
      case INIKeyKind::PrinterPairs:
        ReadPrinterPairs(s.PrinterPairs);
        break;
      case INIKeyKind::MixedPairs:
        ReadMixedPairs(s.MixedPairs);
        break;
      case INIKeyKind::EmailTo:
        ReadEmailToList(s.EmailTo);
        break;
    }
  }
}

Status INIDocument::WriteINIString(std::string_view section, std::string_view key,
                                   std::string& text) {
  // Files of this format carry an empty text as a single blank, which reads
  // back as empty; the record keeps the blank, so it matches what was saved.
  if (text.empty()) text = " ";
  return profile_.WriteString(section, key, text, path_);
}

Status INIDocument::WriteINIBoolean(std::string_view section, std::string_view key, bool value) {
  return profile_.WriteString(section, key, value ? "True" : "False", path_);
}

Status INIDocument::WriteINIInteger(std::string_view section, std::string_view key, int16_t value) {
  return profile_.WriteString(section, key, std::to_string(value), path_);
}

namespace {

Status WriteNamePairs(ProfileFunctions& profile, const std::string& path, std::string_view section,
                      std::string_view fromKey, std::string_view toKey,
                      const std::vector<NamePair>& list) {
  Status first;
  KeepFirst(first,
            profile.WriteString(
                section, fromKey,
                JoinList(list, [](const NamePair& p) -> const std::string& { return p.FromName; }),
                path));
  KeepFirst(
      first,
      profile.WriteString(
          section, toKey,
          JoinList(list, [](const NamePair& p) -> const std::string& { return p.ToName; }), path));
  return first;
}

}  // namespace

Status INIDocument::WriteServerPairs(const std::vector<NamePair>& list) {
  return WriteNamePairs(profile_, path_, kServersSection, "FromServers", "ToServers", list);
}

Status INIDocument::WritePrinterPairs(const std::vector<NamePair>& list) {
  return WriteNamePairs(profile_, path_, kPrintersSection, "FromPrinters", "ToPrinters", list);
}

Status INIDocument::WriteMixedPairs(const std::vector<MixedPair>& list) {
  Status first;
  auto write = [&](std::string_view key, auto field) {
    KeepFirst(first, profile_.WriteString(kMixedSection, key, JoinList(list, field), path_));
  };
  write("FromServers", [](const MixedPair& p) -> const std::string& { return p.FromServer; });
  write("FromPrinters", [](const MixedPair& p) -> const std::string& { return p.FromPrinter; });
  write("ToServers", [](const MixedPair& p) -> const std::string& { return p.ToServer; });
  write("ToPrinters", [](const MixedPair& p) -> const std::string& { return p.ToPrinter; });
  return first;
}

Status INIDocument::WriteEmailToList(const std::vector<std::string>& list) {
  return profile_.WriteString(
      kSmtp, "EmailTo",
      JoinList(list, [](const std::string& s) -> const std::string& { return s; }), path_);
}

Status INIDocument::WriteINISettings(INISettings& s) {
  Status first;
  for (const INIKey& key : INIKeys()) {
    switch (key.Kind) {
      case INIKeyKind::Boolean:
        KeepFirst(first, WriteINIBoolean(key.Section, key.Name, s.*key.Flag));
        break;
      case INIKeyKind::Text:
      case INIKeyKind::Folder:
        KeepFirst(first, WriteINIString(key.Section, key.Name, s.*key.Text));
        break;
      case INIKeyKind::Integer:
        KeepFirst(first, WriteINIInteger(key.Section, key.Name, s.*key.Number));
        break;
      case INIKeyKind::ServerPairs:
        KeepFirst(first, WriteServerPairs(s.ServerPairs));
        break;
      case INIKeyKind::PrinterPairs:
        KeepFirst(first, WritePrinterPairs(s.PrinterPairs));
        break;
      case INIKeyKind::MixedPairs:
        KeepFirst(first, WriteMixedPairs(s.MixedPairs));
        break;
      case INIKeyKind::EmailTo:
        KeepFirst(first, WriteEmailToList(s.EmailTo));
        break;
    }
  }
  return first;
}

}  // namespace velloran
