#include "tools/OutputText.h"

#include <cstdio>

#include "platform/CodePage.h"

namespace velloran::output {

namespace {

void AppendHex(std::string& out, const char* format, unsigned value) {
  char buf[12];
  std::snprintf(buf, sizeof buf, format, value);
  out += buf;
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// DecodeUtf8 answers U+FFFD for one byte it cannot read; a U+FFFD written
// in the text takes three.
bool IsStrayByte(char32_t c, size_t length) { return c == 0xFFFD && length == 1; }

std::string Shown(std::string_view utf8, bool keepLineBreaks) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    const size_t at = i;
    const char32_t c = DecodeUtf8(utf8, i);
    if (IsStrayByte(c, i - at)) {
      AppendHex(out, "\\x%02X", static_cast<unsigned char>(utf8[at]));
    } else if (keepLineBreaks && (c == '\t' || c == '\r' || c == '\n')) {
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      AppendHex(out, "\\x%02X", static_cast<unsigned>(c));
    } else if (IsControl(c)) {
      AppendHex(out, "\\u%04X", static_cast<unsigned>(c));
    } else {
      out.append(utf8.substr(at, i - at));
    }
  }
  return out;
}

}  // namespace

std::string TerminalLine(std::string_view utf8) { return Shown(utf8, false); }

std::string TerminalText(std::string_view utf8) { return Shown(utf8, true); }

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (size_t i = 0; i < utf8.size();) {
    const size_t at = i;
    const char32_t c = DecodeUtf8(utf8, i);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (IsControl(c) || c == 0x2028 || c == 0x2029) {
      AppendHex(out, "\\u%04x", static_cast<unsigned>(c));
    } else if (IsStrayByte(c, i - at)) {
      out += "\\ufffd";
    } else {
      out.append(utf8.substr(at, i - at));
    }
  }
  return out + "\"";
}

std::string CsvField(std::string_view utf8) {
  std::string field = TerminalText(utf8);
  if (!field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string::npos)
    field.insert(0, 1, '\'');
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace velloran::output
