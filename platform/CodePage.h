#pragma once
// The ANSI code page that INI files and the engine's text files are written
// in, and the one place where text changes encoding or letter case.
//
// Every program holds its text in UTF-8 and converts at its edges: INI files
// and the engine's output files are ANSI, the debug file is UTF-16, Qt,
// LDAP, syslog and mail take UTF-8.

#include <memory>
#include <string>
#include <string_view>

#include "platform/Error.h"

namespace velloran {

/// One ANSI code page.
class CodePage {
 public:
  virtual ~CodePage() = default;

  /// The charset name as mail headers and iconv know it ("windows-1252").
  virtual const std::string& Name() const = 0;
  /// ANSI bytes to UTF-8. A byte or sequence the code page does not define
  /// becomes U+FFFD, so any file reads.
  virtual std::string ToUtf8(std::string_view ansi) const = 0;
  /// UTF-8 to ANSI. A character the code page lacks becomes "?", which is
  /// what Windows puts in its place.
  virtual std::string FromUtf8(std::string_view utf8) const = 0;
  /// Whether every character is one byte: then a cut at any byte count
  /// leaves whole characters.
  virtual bool SingleByte() const = 0;
};

/// A code page by name: "windows-1252", "cp1250", "1251", "UTF-8" or any
/// other name the system's converter knows. Fails for an unknown name.
Result<std::unique_ptr<CodePage>> OpenCodePage(std::string_view name);

/// Makes `name` the INI code page of this process; empty for the default,
/// windows-1252. Programs call it once at start with VELLORAN_CODEPAGE. On
/// Windows the system's ANSI code page always applies: the profile
/// functions and every "A" call use it.
Status UseAnsiCodePage(std::string_view name);

/// The INI code page of this process.
const CodePage& AnsiCodePage();

/// Shorthands for the process's code page.
inline std::string AnsiToUtf8(std::string_view ansi) { return AnsiCodePage().ToUtf8(ansi); }
inline std::string Utf8ToAnsi(std::string_view utf8) { return AnsiCodePage().FromUtf8(utf8); }

/// UTF-8 to ANSI as Windows converts text it may approximate (its "best
/// fit"): a Latin letter the code page lacks becomes the letter without its
/// accent or stroke ("Łódź" is "Lódz" in windows-1252), a full-width form
/// its ASCII one; anything else missing becomes "?".
std::string BestFitFromUtf8(const CodePage& cp, std::string_view utf8);

/// One UTF-8 sequence at s[i], advancing i. Malformed input gives U+FFFD for
/// one byte, so every byte string decodes.
char32_t DecodeUtf8(std::string_view s, size_t& i);
void AppendUtf8(std::string& out, char32_t cp);
bool IsValidUtf8(std::string_view s);

std::u16string Utf8ToUtf16(std::string_view utf8);
/// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);
inline std::u16string AnsiToUtf16(std::string_view ansi) { return Utf8ToUtf16(AnsiToUtf8(ansi)); }

/// The lower-case form of a letter (simple, one-to-one mapping) for the
/// letters of the Windows ANSI and DBCS code pages: Latin, Greek, Cyrillic
/// and full-width Latin. Every other character maps to itself.
char32_t LowerLetter(char32_t c);

/// UTF-8 text with every letter lowered: the key under which names that
/// differ only in case meet ("BÜRO" and "Büro").
std::string FoldCase(std::string_view utf8);

namespace detail {
/// Two ASCII characters alike but for the case of a letter.
inline bool SameAscii(unsigned x, unsigned y) {
  if (x == y) return true;
  const unsigned folded = x | 0x20u;
  return folded == (y | 0x20u) && folded >= 'a' && folded <= 'z';
}
bool SameTextByCharacter(std::string_view a, std::string_view b);
}  // namespace detail

/// Whole-text equality of two UTF-8 names without regard to letter case.
inline bool SameText(std::string_view a, std::string_view b) {
  // A run compares every server pair with every connection, tens of
  // thousands of names that mostly differ in their last character. The
  // last characters are compared with each other in the end, and an ASCII
  // byte is always a whole character: two that differ settle it here.
  if (!a.empty() && !b.empty()) {
    const auto x = static_cast<unsigned char>(a.back());
    const auto y = static_cast<unsigned char>(b.back());
    if (x < 0x80 && y < 0x80 && !detail::SameAscii(x, y)) return false;
  }
  return detail::SameTextByCharacter(a, b);
}

/// The same for two names in the code page `cp` (text read from an INI
/// file before conversion).
bool SameAnsiText(const CodePage& cp, std::string_view a, std::string_view b);

}  // namespace velloran
