#include "platform/profile/Profile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/AtomicFile.h"

namespace velloran {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

/// Names in the file are read without the blanks around them; a name asked
/// for or written is taken the same way, so " Key " finds "Key".
std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

/// Names compare like Windows compares them in the ANSI profile calls: ASCII
/// letters without regard to case, every other byte as it is.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
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
  size_t LineEnd = 0;    ///< end of the line's content, before CR LF / LF
  size_t KeyBegin = 0, KeyEnd = 0;
  size_t ValueBegin = 0, ValueEnd = 0;  ///< blanks around the value excluded
};

/// One pass over the file, stopping at the first key line of a matching
/// section. A section name may occur more than once; the key is looked up in
/// all of them in file order, so a read always sees what a write changed.
Location Locate(std::string_view text, std::string_view section, std::string_view key) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  Location loc;
  const char* const base = text.data();
  const size_t size = text.size();
  // Editors on Windows like to put a UTF-8 byte-order mark in front of the
  // first header; without skipping it the first section would be lost.
  size_t pos = text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
  bool inSection = false;
  bool inFirstMatch = false;

  while (pos < size) {
    const void* nl = std::memchr(base + pos, '\n', size - pos);
    const size_t lineEnd = nl ? static_cast<size_t>(static_cast<const char*>(nl) - base) : size;
    const size_t next = nl ? lineEnd + 1 : size;
    size_t contentEnd = lineEnd;
    if (nl && contentEnd > pos && base[contentEnd - 1] == '\r') --contentEnd;

    size_t b = pos, e = contentEnd;
    while (b < e && IsBlank(base[b])) ++b;
    while (e > b && IsBlank(base[e - 1])) --e;

    if (b == e || base[b] == ';') {
      // blank line or comment
    } else if (base[b] == '[') {
      size_t nb = b + 1;
      const void* close = std::memchr(base + nb, ']', e - nb);
      size_t ne = close ? static_cast<size_t>(static_cast<const char*>(close) - base) : e;
      while (nb < ne && IsBlank(base[nb])) ++nb;
      while (ne > nb && IsBlank(base[ne - 1])) --ne;
      inSection = SameName(text.substr(nb, ne - nb), section);
      inFirstMatch = inSection && !loc.SectionFound;
      if (inFirstMatch) {
        loc.SectionFound = true;
        loc.InsertAt = next;
        loc.InsertNeedsLineEnd = nl == nullptr;
      }
    } else if (inSection) {
      const void* eq = std::memchr(base + b, '=', e - b);
      if (eq) {
        size_t eqPos = static_cast<size_t>(static_cast<const char*>(eq) - base);
        size_t ke = eqPos;
        while (ke > b && IsBlank(base[ke - 1])) --ke;
        if (SameName(text.substr(b, ke - b), key)) {
          loc.KeyFound = true;
          loc.LineBegin = pos;
          loc.LineEnd = contentEnd;
          loc.KeyBegin = b;
          loc.KeyEnd = ke;
          size_t vb = eqPos + 1;
          while (vb < e && IsBlank(base[vb])) ++vb;
          loc.ValueBegin = vb;
          loc.ValueEnd = e;
          return loc;
        }
        if (inFirstMatch) {
          loc.InsertAt = next;
          loc.InsertNeedsLineEnd = nl == nullptr;
        }
      }
    }
    pos = next;
  }
  return loc;
}

/// The file's own line end: that of its first line, CR LF for a file without
/// any (as Windows writes new files).
std::string_view LineEndOf(std::string_view text) {
  size_t nl = text.find('\n');
  if (nl == std::string_view::npos) return "\r\n";
  return (nl > 0 && text[nl - 1] == '\r') ? "\r\n" : "\n";
}

/// Windows refuses to write a file whose read-only attribute is set, also
/// for administrators; a file without any write permission bit is that file
/// here, whoever runs the program.
bool IsReadOnlyFile(const std::string& path) {
  std::error_code ec;
  auto st = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::is_regular_file(st)) return false;
  using std::filesystem::perms;
  return (st.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) ==
         perms::none;
}

/// Reads the whole file into `buffer`, whose capacity is kept between calls.
/// A full read of the settings is some forty calls on a file of up to about
/// 100 KB; a fresh allocation of that size each time costs more than the
/// parsing (the heap grows and shrinks on every call).
bool ReadInto(const std::string& path, std::string& buffer) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::setvbuf(f, nullptr, _IONBF, 0);
  buffer.resize(std::max<size_t>(buffer.capacity(), 65536));
  size_t used = 0;
  bool ok = true;
  for (;;) {
    if (used == buffer.size()) buffer.resize(buffer.size() * 2);
    size_t n = std::fread(buffer.data() + used, 1, buffer.size() - used, f);
    used += n;
    if (n == 0) {
      ok = !std::ferror(f);
      break;
    }
  }
  std::fclose(f);
  buffer.resize(used);
  return ok;
}

std::string ValueOf(std::string_view text, std::string_view section, std::string_view key,
                    std::size_t bufferSize) {
  Location loc = Locate(text, section, key);
  if (!loc.KeyFound) return {};
  std::string_view value = text.substr(loc.ValueBegin, loc.ValueEnd - loc.ValueBegin);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  if (value.size() > bufferSize - 1) value = value.substr(0, bufferSize - 1);
  return std::string(value);
}

class ProfileFile final : public ProfileFunctions {
 public:
  std::string GetString(std::string_view section, std::string_view key, std::size_t bufferSize,
                        const std::string& path) const override {
    if (bufferSize == 0) return {};
    thread_local std::string content;
    std::string result;
    if (ReadInto(path, content)) result = ValueOf(content, section, key, bufferSize);
    // Keep the buffer for INI-sized files only; a stray huge file must not
    // hold its memory for the rest of the run.
    if (content.capacity() > (1u << 20)) std::string().swap(content);
    return result;
  }

  Status WriteString(std::string_view section, std::string_view key, std::string_view value,
                     const std::string& path) override {
    if (!IsSafeProfileWrite(section, key, value)) return ErrnoError(EINVAL);
    section = TrimBlanks(section);
    key = TrimBlanks(key);

    std::string old;
    auto content = ReadWholeFile(path);
    if (content) {
      old = std::move(*content);
    } else if (content.error().Number != ENOENT) {
      return content.error();
    }
    if (IsReadOnlyFile(path)) return ErrnoError(EACCES);

    std::string_view text = old;
    std::string_view eol = LineEndOf(text);
    Location loc = Locate(text, section, key);

    std::string out;
    out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    if (loc.KeyFound) {
      out.append(text.substr(0, loc.LineBegin));
      out.append(text.substr(loc.KeyBegin, loc.KeyEnd - loc.KeyBegin));
      out.push_back('=');
      out.append(value);
      out.append(text.substr(loc.LineEnd));
    } else if (loc.SectionFound) {
      out.append(text.substr(0, loc.InsertAt));
      if (loc.InsertNeedsLineEnd) out.append(eol);
      out.append(key);
      out.push_back('=');
      out.append(value);
      out.append(eol);
      out.append(text.substr(loc.InsertAt));
    } else {
      out.append(text);
      bool onlyBom = text == kUtf8Bom;
      if (!text.empty() && text.back() != '\n' && !onlyBom) out.append(eol);
      out.push_back('[');
      out.append(section);
      out.push_back(']');
      out.append(eol);
      out.append(key);
      out.push_back('=');
      out.append(value);
      out.append(eol);
    }
    return WriteFileAtomically(path, out);
  }
};

}  // namespace

ProfileFunctions& SystemProfile() {
  static ProfileFile profile;
  return profile;
}

}  // namespace velloran
