#pragma once
// Choices of the toolkit's user that belong to no INI file: the file format
// has no key for them, and every INI file the toolkit writes stays as it is.
// They are kept in a small text file of the user's own, one "name=1" or
// "name=0" a line.

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "platform/Error.h"

namespace velloran {

class Preferences {
 public:
  /// Reads `path` ("" keeps the choices for this run only). A file that is
  /// missing, unreadable or not a regular file counts as empty.
  explicit Preferences(std::string path = {});

  bool Flag(std::string_view name) const;
  /// Sets the choice and writes the file at once, atomically; on failure the
  /// choice holds for this run and the error names the file.
  Status SetFlag(std::string_view name, bool on);

 private:
  std::string path_;
  std::map<std::string, bool, std::less<>> flags_;
};

/// The user's own preferences file: toolkit.conf in the user's configuration
/// folder.
std::string UserPreferencesFile();

}  // namespace velloran
