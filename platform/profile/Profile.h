#pragma once
// Windows profile-string (INI) functions with the Windows rules, on every OS.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Error.h"

namespace velloran {

/// No settings file comes near this; a bigger "INI file" is a mistake (a
/// log, a disk image), and the reader treats it as a file it cannot read.
inline constexpr std::size_t kMaxProfileBytes = 8u << 20;

/// The two profile calls both programs make. The POSIX backend is our own
/// implementation of the Windows rules; the Windows one calls the API.
class ProfileFunctions {
 public:
  virtual ~ProfileFunctions() = default;

  /// GetPrivateProfileString with no default: the value of `key` in
  /// `section` (both matched without regard to case, first match wins),
  /// blanks around it dropped, one pair of matching quotes around the whole
  /// value removed, cut to bufferSize - 1 bytes. Absent key or file: "".
  virtual std::string GetString(std::string_view section, std::string_view key,
                                std::size_t bufferSize, const std::string& path) const = 0;

  /// WritePrivateProfileString: replaces the value in place, appends a
  /// missing key at the end of its section and a missing section at the end
  /// of the file, creates the file; every other line stays byte for byte.
  /// The file is replaced atomically.
  virtual Status WriteString(std::string_view section, std::string_view key, std::string_view value,
                             const std::string& path) = 0;
};

/// Whether a write keeps the file's structure: no line break or NUL in any
/// part, no "]" in the section, no "=" in the key and no key that would read
/// back as a comment or a section. Every backend refuses other writes with
/// an "invalid parameter" failure instead of corrupting the settings.
bool IsSafeProfileWrite(std::string_view section, std::string_view key, std::string_view value);

/// The backend for this operating system.
ProfileFunctions& SystemProfile();

/// This project's own implementation of the rules, on every system. The
/// Windows toolkit writes through it, so that its INI files are the same
/// bytes wherever it runs (Wine's profile functions, for one, drop the blank
/// that stands for an empty value).
ProfileFunctions& PortableProfile();

}  // namespace velloran
