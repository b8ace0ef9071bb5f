#include "platform/CodePage.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/CodePageDetail.h"

namespace velloran {

char32_t DecodeUtf8(std::string_view s, size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = b0 >= 0xF0 && b0 <= 0xF4  ? 4
            : b0 >= 0xE0 && b0 < 0xF0 ? 3
            : b0 >= 0xC2 && b0 < 0xE0 ? 2
                                      : 0;
  if (len == 0 || i + static_cast<size_t>(len) > s.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t cp = b0 & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += static_cast<size_t>(len);
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    size_t at = i;
    // A real U+FFFD takes three bytes; a malformed byte decodes to it alone.
    if (DecodeUtf8(s, i) == 0xFFFD && i - at == 1) return false;
  }
  return true;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = DecodeUtf8(utf8, i);
    if (cp < 0x10000) {
      out += static_cast<char16_t>(cp);
    } else {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

char32_t LowerLetter(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c < 0xC0) return c;
  if (c <= 0xDE) return c == 0xD7 ? c : c + 32;
  if (c < 0x100) return c;
  if (c <= 0x17F) {
    if (c == 0x130) return 'i';  // dotted capital I
    if (c == 0x178) return 0xFF;
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;  // no capital form
    // Pairs run capital-first on even numbers, except in two odd-first runs.
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    return (c & 1) ? c : c + 1;
  }
  if (c == 0x191 || c == 0x1A0 || c == 0x1AF) return c + 1;  // Ƒ, Ơ, Ư
  if (c >= 0x218 && c <= 0x21B) return (c & 1) ? c : c + 1;  // Ș, Ț
  if (c >= 0x386 && c <= 0x3AB) {
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if (c >= 0x391 && c != 0x3A2) return c + 32;
    return c;
  }
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
    return (c & 1) ? c : c + 1;
  if (c == 0x4C0) return 0x4CF;
  if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c + 1 : c;
  if ((c >= 0x1E00 && c <= 0x1E95) || (c >= 0x1EA0 && c <= 0x1EFF)) return (c & 1) ? c : c + 1;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;  // full-width Latin
  return c;
}

std::string FoldCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
      ++i;
      continue;
    }
    size_t at = i;
    char32_t cp = DecodeUtf8(utf8, i);
    // Malformed bytes stay as they are, so distinct byte strings stay apart.
    if (cp == 0xFFFD && i - at == 1) {
      out += utf8[at];
    } else {
      AppendUtf8(out, LowerLetter(cp));
    }
  }
  return out;
}

bool detail::SameTextByCharacter(std::string_view a, std::string_view b) {
  // Names compared in bulk share long prefixes ("OLDSRV1", "OLDSRV12"):
  // identical ASCII goes by first.
  const size_t shorter = std::min(a.size(), b.size());
  size_t i = 0;
  while (i < shorter && a[i] == b[i] && static_cast<unsigned char>(a[i]) < 0x80) ++i;
  size_t j = i;
  while (i < a.size() && j < b.size()) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[j]);
    if (x < 0x80 && y < 0x80) {
      if (!detail::SameAscii(x, y)) return false;
      ++i, ++j;
      continue;
    }
    size_t ai = i, bj = j;
    char32_t p = DecodeUtf8(a, i), q = DecodeUtf8(b, j);
    // Malformed bytes only ever equal the same byte.
    bool rawP = p == 0xFFFD && i - ai == 1, rawQ = q == 0xFFFD && j - bj == 1;
    if (rawP || rawQ) {
      if (!(rawP && rawQ && a[ai] == b[bj])) return false;
      continue;
    }
    if (LowerLetter(p) != LowerLetter(q)) return false;
  }
  return i == a.size() && j == b.size();
}

namespace {

/// The base letter of U+00C0 to U+024F: the letter its
/// canonical decomposition starts with, or the letter under a stroke or bar
/// (Ł, Đ, Ħ, Ø); "." where there is none.
constexpr std::string_view kLatinBase =
    "AAAAAA.CEEEEIIII.NOOOOO.OUUUUY..aaaaaa.ceeeeiiii.nooooo.ouuuuy.y"
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi..JjKk.LlLlLlL"
    "lLlNnNnNn...OoOoOo..RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZz."
    "b......................I........Oo.............Uu....Zz........."
    ".............AaIiOoUuUuUuUuUu.AaAa..GgGgKkOoOo..j...Gg..NnAa...."
    "AaAaEeEeIiIiOoOoRrRrUuUuSsTt..Hh......AaEeOoOoOoOoYy............"
    "........Jj..RrYy";

/// The characters Windows tries in place of `c`, nearest first. It has none
/// for the Latin Extended Additional block (U+1E00 on).
std::vector<char32_t> NearCharacters(char32_t c) {
  if (c >= 0xFF01 && c <= 0xFF5E) return {c - 0xFEE0};  // full-width ASCII
  if (c == 0x110) return {0xD0, 'D'};                   // Đ looks like Ð
  if (c >= 0xC0 && c < 0xC0 + kLatinBase.size() && kLatinBase[c - 0xC0] != '.')
    return {static_cast<char32_t>(kLatinBase[c - 0xC0])};
  return {};
}

}  // namespace

std::string BestFitFromUtf8(const CodePage& cp, std::string_view utf8) {
  std::string direct = cp.FromUtf8(utf8);
  // Only a "?" that the text did not hold marks a character the code page
  // lacks; most text has none.
  if (std::count(direct.begin(), direct.end(), '?') == std::count(utf8.begin(), utf8.end(), '?'))
    return direct;
  std::string out;
  out.reserve(direct.size());
  for (size_t i = 0; i < utf8.size();) {
    const size_t at = i;
    const char32_t c = DecodeUtf8(utf8, i);
    std::string one = cp.FromUtf8(utf8.substr(at, i - at));
    for (char32_t near : one == "?" && c != '?' ? NearCharacters(c) : std::vector<char32_t>{}) {
      std::string nearUtf8;
      AppendUtf8(nearUtf8, near);
      std::string fit = cp.FromUtf8(nearUtf8);
      if (fit != "?") {
        one = fit;
        break;
      }
    }
    out += one;
  }
  return out;
}

bool SameAnsiText(const CodePage& cp, std::string_view a, std::string_view b) {
  bool ascii = true;
  for (char c : a) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  for (char c : b) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return SameText(a, b);
  if (a == b) return true;
  return SameText(cp.ToUtf8(a), cp.ToUtf8(b));
}

namespace codepage {

const ByteTable& Windows1252() {
  static const ByteTable table = [] {
    ByteTable t{};
    for (char32_t b = 0; b < 256; ++b) t[b] = b;
    static constexpr char32_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (size_t k = 0; k < 32; ++k) t[0x80 + k] = kHigh[k];
    return t;
  }();
  return table;
}

namespace {

class ByteTableCodePage final : public CodePage {
 public:
  ByteTableCodePage(std::string name, const ByteTable& table)
      : name_(std::move(name)), table_(table) {
    for (size_t b = 0; b < 256; ++b) {
      if (table_[b] != kUndefined) back_.emplace(table_[b], static_cast<char>(b));
    }
  }

  const std::string& Name() const override { return name_; }
  bool SingleByte() const override { return true; }

  /// A byte that stands for the same character in this code page and UTF-8.
  bool SameInUtf8(char c) const {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x80 && table_[b] == b;
  }

  std::string ToUtf8(std::string_view ansi) const override {
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 4);
    // Settings are mostly ASCII: copy each run of it at once.
    for (size_t i = 0; i < ansi.size();) {
      size_t run = i;
      while (run < ansi.size() && SameInUtf8(ansi[run])) ++run;
      out.append(ansi.data() + i, run - i);
      if (run == ansi.size()) break;
      const auto b = static_cast<unsigned char>(ansi[run]);
      AppendUtf8(out, table_[b] == kUndefined ? 0xFFFD : table_[b]);
      i = run + 1;
    }
    return out;
  }

  std::string FromUtf8(std::string_view utf8) const override {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
      size_t run = i;
      while (run < utf8.size() && SameInUtf8(utf8[run])) ++run;
      out.append(utf8.data() + i, run - i);
      if (run == utf8.size()) break;
      i = run;
      auto it = back_.find(DecodeUtf8(utf8, i));
      out += it == back_.end() ? '?' : it->second;
    }
    return out;
  }

 private:
  std::string name_;
  ByteTable table_;
  std::unordered_map<char32_t, char> back_;
};

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(LowerLetter(static_cast<unsigned char>(c)));
  return out;
}

std::optional<unsigned> Digits(std::string_view s) {
  if (s.empty() || s.size() > 5) return std::nullopt;
  unsigned n = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  return n;
}

}  // namespace

std::unique_ptr<CodePage> MakeByteTableCodePage(std::string name, const ByteTable& table) {
  return std::make_unique<ByteTableCodePage>(std::move(name), table);
}

std::optional<unsigned> CodePageNumber(std::string_view name) {
  std::string n = Lower(name);
  if (n == "utf-8" || n == "utf8") return 65001u;
  std::string_view rest = n;
  if (rest.starts_with("windows-")) {
    rest.remove_prefix(8);
  } else if (rest.starts_with("cp")) {
    rest.remove_prefix(2);
  }
  return Digits(rest);
}

std::string CharsetName(unsigned number) {
  switch (number) {
    case 932:
      return "Shift_JIS";
    case 936:
      return "GBK";
    case 949:
      return "EUC-KR";
    case 950:
      return "Big5";
    case 20127:
      return "us-ascii";
    case 65001:
      return "UTF-8";
    default:
      break;
  }
  if (number >= 28591 && number <= 28605) return "ISO-8859-" + std::to_string(number - 28590);
  return "windows-" + std::to_string(number);
}

}  // namespace codepage

}  // namespace velloran
