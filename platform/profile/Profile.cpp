#include "platform/profile/Profile.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/CodePage.h"

namespace velloran {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

/// What Windows drops around names and values: blanks, the line-end and
/// page-layout controls, and the DOS end-of-file mark. A no-break space is
/// text.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1A';
}

/// Names in the file are read without the spaces around them; a name asked
/// for or written is taken the same way, so " Key " finds "Key".
std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

/// Names and values are C strings to Windows: a NUL ends them.
std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

/// A file's text in the form the scanner works on: ANSI files as their bytes,
/// files with a byte-order mark as UTF-8. Only the structure characters
/// ([ ] = ; blanks, line ends) matter to the scanner, and they are the same
/// bytes in both.
struct ProfileText {
  Encoding Form = Encoding::Ansi;
  std::string Text;

  bool Unicode() const { return Form != Encoding::Ansi; }

  /// Section and key names compare by letter, in the file's own encoding.
  bool SameName(std::string_view inFile, std::string_view wanted) const {
    inFile = UpToNul(inFile);
    return Unicode() ? SameText(inFile, wanted) : SameAnsiText(AnsiCodePage(), inFile, wanted);
  }

  /// Program text (UTF-8) as it stands in this file. The profile calls take
  /// ANSI text, so what the code page lacks is lost also in a Unicode file.
  std::string FromProgram(std::string_view utf8) const {
    return Unicode() ? AnsiToUtf8(Utf8ToAnsi(utf8)) : Utf8ToAnsi(utf8);
  }
};

std::string Utf16Bytes(std::string_view raw, bool bigEndian) {
  std::u16string units(raw.size() / 2, u'\0');
  for (size_t k = 0; k < units.size(); ++k) {
    auto lo = static_cast<unsigned char>(raw[2 * k + (bigEndian ? 1 : 0)]);
    auto hi = static_cast<unsigned char>(raw[2 * k + (bigEndian ? 0 : 1)]);
    units[k] = static_cast<char16_t>(lo | hi << 8);
  }
  return Utf16ToUtf8(units);
}

ProfileText Decode(std::string_view raw) {
  if (raw.starts_with(kUtf16LeBom)) return {Encoding::Utf16Le, Utf16Bytes(raw.substr(2), false)};
  if (raw.starts_with(kUtf16BeBom)) return {Encoding::Utf16Be, Utf16Bytes(raw.substr(2), true)};
  if (raw.starts_with(kUtf8Bom)) return {Encoding::Utf8, std::string(raw.substr(kUtf8Bom.size()))};
  return {Encoding::Ansi, std::string(raw)};
}

/// The file's bytes for `text` in the encoding it was read in (mark included).
std::string Encode(Encoding form, std::string_view text) {
  switch (form) {
    case Encoding::Ansi:
      return std::string(text);
    case Encoding::Utf8:
      return std::string(kUtf8Bom) + std::string(text);
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
      const bool big = form == Encoding::Utf16Be;
      std::string out(big ? kUtf16BeBom : kUtf16LeBom);
      for (char16_t u : Utf8ToUtf16(text)) {
        char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        out += big ? hi : lo;
        out += big ? lo : hi;
      }
      return out;
    }
  }
  return std::string(text);
}

/// Where the line that starts at `pos` ends: at the first CR or LF. Settings
/// files hold lines of thousands of names; two vectorised searches per line
/// cost a fraction of testing each byte against both characters.
size_t LineEndFrom(std::string_view text, size_t pos) {
  const char* begin = text.data() + pos;
  const size_t left = text.size() - pos;
  const void* lf = std::memchr(begin, '\n', left);
  const size_t lfAt = lf ? static_cast<size_t>(static_cast<const char*>(lf) - begin) : left;
  const void* cr = std::memchr(begin, '\r', lfAt);
  const size_t end = cr ? static_cast<size_t>(static_cast<const char*>(cr) - begin) : lfAt;
  return pos + end;
}

/// Where a key's line and its section lie in the file text. Positions are
/// byte offsets into the text that was scanned.
struct Location {
  bool SectionFound = false;
  /// Where a missing key goes: just after the last key line of the first
  /// matching section (or after its header when it has no key lines).
  size_t InsertAt = 0;
  /// The line before InsertAt has no line end (it is the file's last line).
  bool InsertNeedsLineEnd = false;

  bool KeyFound = false;
  size_t LineBegin = 0;  ///< first byte of the key's line
  size_t LineEnd = 0;    ///< end of the line's content, before its line end
  size_t KeyBegin = 0, KeyEnd = 0;
  size_t ValueBegin = 0, ValueEnd = 0;  ///< spaces around the value excluded
};

/// One pass over the file with the Windows reading rules: CR LF, LF or a
/// lone CR ends a line; a header is "[" up to the last "]" of its line (a
/// line without "]" is no header); only the first section of a name counts,
/// for every key, so later copies are never read nor written; a key line
/// without "=" is a key with an empty value.
Location Locate(const ProfileText& file, std::string_view section, std::string_view key) {
  section = TrimSpaces(section);
  key = TrimSpaces(key);
  Location loc;
  std::string_view text = file.Text;
  const size_t size = text.size();
  size_t pos = 0;
  bool inSection = false;

  while (pos < size) {
    const size_t lineEnd = LineEndFrom(text, pos);
    size_t next = lineEnd;
    if (next < size)
      next += (text[next] == '\r' && next + 1 < size && text[next + 1] == '\n') ? 2 : 1;
    const bool hasLineEnd = lineEnd < size;

    size_t b = pos, e = lineEnd;
    while (b < e && IsSpace(text[b])) ++b;
    while (e > b && IsSpace(text[e - 1])) --e;

    const size_t close =
        (b < e && text[b] == '[') ? text.substr(b, e - b).rfind(']') : std::string_view::npos;
    if (b == e || text[b] == ';') {
      // blank line or comment
    } else if (close != std::string_view::npos && close > 0) {
      if (inSection) return loc;  // the first section of the name has ended
      size_t nb = b + 1, ne = b + close;
      while (nb < ne && IsSpace(text[nb])) ++nb;
      while (ne > nb && IsSpace(text[ne - 1])) --ne;
      inSection = !loc.SectionFound && file.SameName(text.substr(nb, ne - nb), section);
      if (inSection) {
        loc.SectionFound = true;
        loc.InsertAt = next;
        loc.InsertNeedsLineEnd = !hasLineEnd;
      }
    } else if (inSection) {
      const size_t eq = text.substr(b, e - b).find('=');
      size_t ke = eq == std::string_view::npos ? e : b + eq;
      while (ke > b && IsSpace(text[ke - 1])) --ke;
      if (file.SameName(text.substr(b, ke - b), key)) {
        loc.KeyFound = true;
        loc.LineBegin = pos;
        loc.LineEnd = lineEnd;
        loc.KeyBegin = b;
        loc.KeyEnd = ke;
        size_t vb = eq == std::string_view::npos ? e : b + eq + 1;
        while (vb < e && IsSpace(text[vb])) ++vb;
        loc.ValueBegin = vb;
        loc.ValueEnd = e;
        return loc;
      }
      loc.InsertAt = next;
      loc.InsertNeedsLineEnd = !hasLineEnd;
    }
    pos = next;
  }
  return loc;
}

/// The file's own line end: that of its first line, CR LF for a file without
/// any (as Windows writes new files).
std::string_view LineEndOf(std::string_view text) {
  size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos) return "\r\n";
  if (text[at] == '\n') return "\n";
  return (at + 1 < text.size() && text[at + 1] == '\n') ? "\r\n" : "\r";
}

#ifdef _WIN32
/// Reads the whole file into `buffer`: a regular file of a sane size only.
Status ReadInto(const std::string& path, std::string& buffer) {
  buffer.clear();
  const std::filesystem::path file(reinterpret_cast<const char8_t*>(path.c_str()));
  std::error_code error;
  const auto status = std::filesystem::status(file, error);
  if (!std::filesystem::exists(status)) return ErrnoError(ENOENT);
  if (!std::filesystem::is_regular_file(status)) return PlatformError{EINVAL, "Not a regular file"};
  const auto size = std::filesystem::file_size(file, error);
  if (error) return ErrnoError(EIO);
  if (size > kMaxProfileBytes) return ErrnoError(EFBIG);
  std::ifstream in(file, std::ios::binary);
  if (!in) return ErrnoError(EACCES);
  buffer.resize(static_cast<size_t>(size));
  in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  buffer.resize(static_cast<size_t>(in.gcount()));
  return {};
}
#else
/// Reads the whole file into `buffer`, whose capacity is kept between calls.
/// A full read of the settings is some forty calls on a file of up to about
/// 100 KB; a fresh allocation of that size each time costs more than the
/// parsing (the heap grows and shrinks on every call).
/// Only a regular file of a sane size is read: a FIFO would block the run
/// for good and a device such as /dev/zero never ends.
Status ReadInto(const std::string& path, std::string& buffer) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return ErrnoError(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return PlatformError{EINVAL, "Not a regular file"};
  }
  // Sized to the file (plus one byte to see its end in one read): growing
  // the string to its whole capacity each time would clear that much.
  buffer.resize(static_cast<size_t>(std::min<off_t>(std::max<off_t>(st.st_size, 0),
                                                    static_cast<off_t>(kMaxProfileBytes))) +
                1);
  size_t used = 0;
  Status result;
  for (;;) {
    if (used == buffer.size()) {
      if (used > kMaxProfileBytes) {
        result = ErrnoError(EFBIG);
        break;
      }
      buffer.resize(buffer.size() * 2);
    }
    ssize_t n = ::read(fd, buffer.data() + used, buffer.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result = ErrnoError(errno);
      break;
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  ::close(fd);
  if (result.ok() && used > kMaxProfileBytes) result = ErrnoError(EFBIG);
  buffer.resize(result.ok() ? used : 0);
  return result;
}

#endif

std::string ValueOf(const ProfileText& file, std::string_view section, std::string_view key,
                    std::size_t bufferSize) {
  Location loc = Locate(file, file.FromProgram(section), file.FromProgram(key));
  if (!loc.KeyFound) return {};
  std::string_view value =
      UpToNul(std::string_view(file.Text).substr(loc.ValueBegin, loc.ValueEnd - loc.ValueBegin));
  // The quotes go as a pair only; blanks inside them are part of the value.
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  // The buffer holds ANSI bytes, so the cut counts them, also for a
  // Unicode file.
  // Windows converts a Unicode file's text to ANSI with its best fit.
  std::string ansi = file.Unicode() ? BestFitFromUtf8(AnsiCodePage(), value) : std::string(value);
  if (ansi.size() > bufferSize - 1) ansi.resize(bufferSize - 1);
  return AnsiToUtf8(ansi);
}

class ProfileFile final : public ProfileFunctions {
 public:
  std::string GetString(std::string_view section, std::string_view key, std::size_t bufferSize,
                        const std::string& path) const override {
    if (bufferSize == 0) return {};
    thread_local std::string content;
    std::string result;
    if (ReadInto(path, content).ok()) {
      if (content.starts_with(kUtf16LeBom) || content.starts_with(kUtf16BeBom) ||
          content.starts_with(kUtf8Bom)) {
        result = ValueOf(Decode(content), section, key, bufferSize);
      } else {
        // The common case reads the bytes in place.
        ProfileText file{Encoding::Ansi, {}};
        file.Text.swap(content);
        result = ValueOf(file, section, key, bufferSize);
        content.swap(file.Text);
      }
    }
    // Keep the buffer for INI-sized files only; a stray huge file must not
    // hold its memory for the rest of the run.
    if (content.capacity() > (1u << 20)) std::string().swap(content);
    return result;
  }

  Status WriteString(std::string_view section, std::string_view key, std::string_view value,
                     const std::string& path) override {
    if (!IsSafeProfileWrite(section, key, value)) return ErrnoError(EINVAL);
    section = TrimSpaces(section);
    key = TrimSpaces(key);

    std::string raw;
    if (Status read = ReadInto(path, raw); !read.ok() && read.error().Number != ENOENT) return read;
    if (IsReadOnlyFile(path)) return ErrnoError(EACCES);

    ProfileText file = Decode(raw);
    const std::string sectionText = file.FromProgram(section);
    const std::string keyText = file.FromProgram(key);
    const std::string valueText = file.FromProgram(value);
    std::string_view text = file.Text;
    std::string_view eol = LineEndOf(text);
    Location loc = Locate(file, sectionText, keyText);

    std::string out;
    out.reserve(text.size() + sectionText.size() + keyText.size() + valueText.size() + 8);
    if (loc.KeyFound) {
      out.append(text.substr(0, loc.LineBegin));
      out.append(text.substr(loc.KeyBegin, loc.KeyEnd - loc.KeyBegin));
      out.push_back('=');
      out.append(valueText);
      out.append(text.substr(loc.LineEnd));
    } else if (loc.SectionFound) {
      out.append(text.substr(0, loc.InsertAt));
      if (loc.InsertNeedsLineEnd) out.append(eol);
      out.append(keyText);
      out.push_back('=');
      out.append(valueText);
      out.append(eol);
      out.append(text.substr(loc.InsertAt));
    } else {
      out.append(text);
      if (!text.empty() && text.back() != '\n' && text.back() != '\r') out.append(eol);
      out.push_back('[');
      out.append(sectionText);
      out.push_back(']');
      out.append(eol);
      out.append(keyText);
      out.push_back('=');
      out.append(valueText);
      out.append(eol);
    }
    return WriteFileAtomically(path, Encode(file.Form, out));
  }
};

}  // namespace

ProfileFunctions& PortableProfile() {
  static ProfileFile profile;
  return profile;
}

#ifndef _WIN32
ProfileFunctions& SystemProfile() { return PortableProfile(); }
#endif

}  // namespace velloran
