#include "engine/modDebug.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <vector>

#include "engine/ComputerName.h"
#include "engine/modEventLog.h"
#include "engine/modNotification.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"

namespace velloran {

void ClearDebugLog(Run& run) { run.DebugText.clear(); }

void WriteToDebugLog(Run& run, std::string_view line) {
  if (!run.Settings.DebugOn) return;
  run.DebugText += line;
  run.DebugText += "\r\n";
}

void WriteErrorToDebugLog(Run& run, std::string_view heading, const PlatformError& error) {
  WriteToDebugLog(run, heading);
  WriteToDebugLog(run, "ERROR: " + std::to_string(error.Number));
  WriteToDebugLog(run, "ERROR DESCRIPTION: " + error.Description);
}

void WriteBanner(Run& run, int left, std::string_view title, int right) {
  const std::string stars(80, '*');
  WriteToDebugLog(run, stars);
  WriteToDebugLog(run, std::string(static_cast<size_t>(left), '*') + std::string(title) +
                           std::string(static_cast<size_t>(right), '*'));
  WriteToDebugLog(run, stars);
}

namespace {

// InterleaveBytes takes B0, then alternately the next byte from the front
// (from B1) and from the back (from Bn) until the two meet. Gather writes the
// bytes in that order; Scatter puts them back. Plain pointer loops: byte
// stores may alias anything, so captured state would be reloaded per byte.
void GatherInterleaved(const uint8_t* src, uint8_t* dst, size_t size) {
  if (size < 3) {
    for (size_t k = 0; k < size; ++k) dst[k] = src[k];
    return;
  }
  *dst++ = src[0];
  size_t i = 1, j = size - 1;
  do {
    *dst++ = src[i++];
    *dst++ = src[j--];
  } while (i < j);
  if (i == j) *dst = src[i];
}

}  // namespace

Bytes StringToBytes(std::string_view text, bool unicode, bool indexFromOne) {
  if (!unicode) {
    const std::string ansi = Utf8ToAnsi(text);
    Bytes out(indexFromOne ? 1 : 0, 0);
    out.insert(out.end(), ansi.begin(), ansi.end());
    return out;
  }
  // Sized for the worst case up front (UTF-16 never needs more than two bytes
  // per UTF-8 byte) and trimmed at the end: debug text can run to megabytes.
  Bytes out(text.size() * 2 + (indexFromOne ? 1 : 0));
  uint8_t* o = out.data();
  if (indexFromOne) *o++ = 0;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const auto c = static_cast<unsigned char>(*p);
    if (c < 0x80) {  // the common case in debug text
      *o++ = c;
      *o++ = 0;
      ++p;
      continue;
    }
    size_t i = static_cast<size_t>(p - text.data());
    char32_t cp = DecodeUtf8(text, i);
    p = text.data() + i;
    if (cp < 0x10000) {
      *o++ = static_cast<uint8_t>(cp & 0xFF);
      *o++ = static_cast<uint8_t>(cp >> 8);
    } else {
      char32_t v = cp - 0x10000;
      char16_t hi = static_cast<char16_t>(0xD800 + (v >> 10));
      char16_t lo = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
      *o++ = static_cast<uint8_t>(hi & 0xFF);
      *o++ = static_cast<uint8_t>(hi >> 8);
      *o++ = static_cast<uint8_t>(lo & 0xFF);
      *o++ = static_cast<uint8_t>(lo >> 8);
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

void InterleaveBytes(Bytes& bytes) {
  Bytes result(bytes.size());
  GatherInterleaved(bytes.data(), result.data(), bytes.size());
  bytes.swap(result);
}

void AccumulateBytes(Bytes& bytes) {
  uint8_t r = 0;
  for (auto& b : bytes) {
    r = static_cast<uint8_t>(b + r);
    b = r;
  }
}

void EncodeDebugText(std::string_view text, Bytes& out) {
  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii || text.size() < 2) {
    Bytes utf16 = StringToBytes(text, true, false);
    out.resize(utf16.size());
    GatherInterleaved(utf16.data(), out.data(), utf16.size());
    AccumulateBytes(out);
    return;
  }
  // Debug text is nearly always ASCII: byte m of its UTF-16 form is then
  // text[m / 2] for even m and 0 for odd m, so the three steps fold into one
  // pass over a single buffer.
  const size_t size = text.size() * 2;
  out.resize(size);
  const auto* t = reinterpret_cast<const uint8_t*>(text.data());
  uint8_t* o = out.data();
  uint8_t r = t[0];
  *o++ = r;
  // i and j always have the same parity: odd pairs are two zero high bytes.
  size_t i = 1, j = size - 1;
  do {
    if (i & 1) {
      *o++ = r;
      *o++ = r;
    } else {
      r = static_cast<uint8_t>(r + t[i >> 1]);
      *o++ = r;
      r = static_cast<uint8_t>(r + t[j >> 1]);
      *o++ = r;
    }
    ++i;
    --j;
  } while (i < j);
  if (i == j) *o = static_cast<uint8_t>(r + ((i & 1) ? 0 : t[i >> 1]));
}

Bytes EncodeDebugText(std::string_view text) {
  Bytes out;
  EncodeDebugText(text, out);
  return out;
}

namespace {

Result<std::string> DecodeDebug(const uint8_t* data, size_t size) {
  if (size % 2 != 0)
    return PlatformError{1, "not a debug file: its length (" + std::to_string(size) +
                                " bytes) is odd, a debug file holds two bytes per character"};
  // Byte p of the UTF-16 text is the difference of two neighbouring bytes of
  // the file, at a place the interleaving decides: it is read from there
  // directly, with no copy of the file in between. A summary of a large
  // share decodes hundreds of megabytes.
  auto at = [&](size_t p) -> uint8_t {
    const size_t k = p == 0 ? 0 : p <= size / 2 ? 2 * p - 1 : 2 * (size - p);
    return static_cast<uint8_t>(data[k] - (k ? data[k - 1] : 0));
  };
  const size_t units = size / 2;
  std::string text(units, '\0');
  size_t m = 0;
  // Nearly every character of a debug file is ASCII.
  for (; m < units; ++m) {
    const uint8_t lo = at(2 * m), hi = at(2 * m + 1);
    if (hi != 0 || lo >= 0x80) break;
    text[m] = static_cast<char>(lo);
  }
  text.resize(m);
  for (size_t k = 2 * m; k < size; k += 2) {
    char32_t u = static_cast<char32_t>(at(k) | (at(k + 1) << 8));
    if (u >= 0xD800 && u <= 0xDBFF && k + 3 < size) {
      char32_t lo = static_cast<char32_t>(at(k + 2) | (at(k + 3) << 8));
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        AppendUtf8(text, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
        k += 2;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF)
      return PlatformError{2, "not a debug file: character " + std::to_string(k / 2) +
                                  " decodes to half of a UTF-16 surrogate pair"};
    AppendUtf8(text, u);
  }
  return text;
}

}  // namespace

Result<std::string> DecodeDebugBytes(const Bytes& bytes) {
  return DecodeDebug(bytes.data(), bytes.size());
}

Result<std::string> DecodeDebugBytes(std::string_view bytes) {
  return DecodeDebug(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

namespace {

std::vector<std::string_view> TextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(at));
      break;
    }
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// What the opening writes before the INI file can switch the log off (an
// INI file that cannot be read is reported as an event there too).
bool IsOpeningLine(std::string_view line) {
  for (std::string_view start :
       {">> Command line parameter: ", ">> First found INI file : ", ">> Opening INI File: ",
        ">> Logged event in application event log.", "ERROR: ", "ERROR DESCRIPTION: "}) {
    if (line.starts_with(start)) return true;
  }
  return line.starts_with('*') && line.ends_with('*');  // a banner
}

constexpr std::string_view kLengthLine = ">> Debug text length: ";

// Counted as StringToBytes converts, malformed bytes included, so that the
// length line states exactly half the size of the file.
size_t Utf16Length(std::string_view text) {
  size_t units = 0;
  for (size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++units;
      ++i;
      continue;
    }
    units += DecodeUtf8(text, i) < 0x10000 ? 1 : 2;
  }
  return units;
}

// Where the length line starts and the length it states, when the text
// ends with one.
struct LengthLine {
  size_t At = std::string_view::npos;
  uint64_t Stated = 0;
};

LengthLine FindLengthLine(std::string_view text) {
  if (!text.ends_with("\r\n")) return {};
  size_t digits = text.size() - 2;
  while (digits > 0 && text[digits - 1] >= '0' && text[digits - 1] <= '9') --digits;
  const size_t count = text.size() - 2 - digits;
  if (count == 0 || count > 19 || !text.substr(0, digits).ends_with(kLengthLine)) return {};
  LengthLine line{digits - kLengthLine.size(), 0};
  for (size_t k = digits; k < text.size() - 2; ++k)
    line.Stated = line.Stated * 10 + static_cast<uint64_t>(text[k] - '0');
  return line;
}

}  // namespace

std::string WithLengthLine(std::string_view text) {
  const std::string line = std::string(kLengthLine) + std::to_string(Utf16Length(text)) + "\r\n";
  std::string out;
  out.reserve(text.size() + line.size());
  out.append(text);
  out.append(line);
  return out;
}

std::string_view WithoutLengthLine(std::string_view text) {
  const LengthLine line = FindLengthLine(text);
  return line.At == std::string_view::npos ? text : text.substr(0, line.At);
}

std::string DebugTextCutShort(std::string_view text) {
  if (const LengthLine line = FindLengthLine(text); line.At != std::string_view::npos) {
    const size_t held = Utf16Length(text.substr(0, line.At));
    if (held == line.Stated) return "";
    return "it holds " + std::to_string(held) + " of the " + std::to_string(line.Stated) +
           " characters the run wrote: its middle is missing";
  }
  const std::string stars(80, '*');
  const std::string endTitle = std::string(31, '*') + "     END DEBUG     " + std::string(30, '*');
  const std::string beginTitle =
      std::string(30, '*') + "     BEGIN DEBUG     " + std::string(29, '*');
  if (!text.ends_with("\r\n")) return "it ends in the middle of a line";
  text.remove_suffix(2);
  const std::vector<std::string_view> lines = TextLines(text);
  if (lines.size() < 3 || lines[0] != stars || lines[1] != beginTitle || lines[2] != stars)
    return "it does not begin with the BEGIN DEBUG banner";

  const size_t n = lines.size();
  const bool ended =
      n >= 6 && lines[n - 3] == stars && lines[n - 2] == endTitle && lines[n - 1] == stars;
  if (!ended) {
    // With DebugOn=False the INI file ends the log right after the opening.
    bool opened = false;
    for (std::string_view line : lines) {
      if (!IsOpeningLine(line)) return "the END DEBUG banner is missing";
      opened = opened || line.starts_with(">> Opening INI File: ");
    }
    return opened ? "" : "the END DEBUG banner is missing";
  }
  static constexpr std::string_view kProgress[] = {
      ">> Running Velloran, abort status: ",
      ">> Finished getting network printers, abort status: ",
      ">> Finished moving via AD, abort status: ",
      ">> Finished moving manual, abort status: ",
      ">> Finished notification, abort status: ",
  };
  // With the log on at the end, the marker was read: either it ended the
  // run right there, or the run went through all of its steps.
  constexpr std::string_view kMarker = ">> Registry Key Value: ";
  constexpr std::string_view kMissing =
      "the run's progress lines are not all there: its middle is missing";
  size_t next = 0, marker = 0;
  for (size_t i = 0; i < n - 3; ++i) {
    if (lines[i].starts_with(kMarker) && marker == 0 && next == 0) marker = i + 1;
    for (size_t k = 0; k < std::size(kProgress); ++k) {
      if (!lines[i].starts_with(kProgress[k])) continue;
      if (k != next || marker == 0) return std::string(kMissing);
      ++next;
    }
  }
  if (marker == 0) return std::string(kMissing);
  if (next == 0 && !(marker == n - 3 && lines[n - 4] == std::string(kMarker) + "True"))
    return std::string(kMissing);
  if (next != 0 && next != std::size(kProgress)) return std::string(kMissing);
  return "";
}

namespace {

// Most runs find their marker set and log exactly what the run before them
// logged. Then the file only needs a new time: that spares every such logon
// the wait for the disk that replacing the file costs. When the time cannot
// be set, the file is written as usual, so its failure is reported as usual.
bool RefreshUnchanged(const std::string& path, std::string_view content) {
  auto existing = ReadRegularFile(path, content.size());
  return existing && *existing == content && TouchFile(path).ok();
}

}  // namespace

void WriteDebugFile(Run& run, const std::string& path, const Bytes& bytes) {
  const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (RefreshUnchanged(path, content)) return;
  // The file is replaced whole, so a longer file of an earlier run leaves no
  // tail behind and a failure mid-way leaves the previous file intact. The
  // folder is often a share every client writes to: a link planted by the
  // file's name is refused, not written through.
  Status written = ReplaceRegularFile(path, content);
  if (CountsAsError(written)) {
    ReportApplicationEvent(
        run, "Velloran",
        "Unable to create debug file within folder: " + std::to_string(written.error().Number) +
            ": " + written.error().Description,
        kEventTypeWarning, 20002);
  }
}

void SaveDebugLog(Run& run) {
  if (run.DebugText.empty()) return;
  // StringToBytes, InterleaveBytes and AccumulateBytes in one pass.
  Bytes bytes = EncodeDebugText(WithLengthLine(run.DebugText));
  WriteDebugFile(run, JoinPath(run.OwnFilesFolder(), GetClientComputerName(run) + ".debug"), bytes);
}

}  // namespace velloran
