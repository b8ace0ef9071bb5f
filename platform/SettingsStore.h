#pragma once
// Per-user and per-machine string values under backslash-separated key paths.

#include <optional>
#include <string>
#include <string_view>

#include "platform/Error.h"

namespace velloran {

enum class Hive { CurrentUser, LocalMachine };

/// The registry's place: key paths like "Software\Velloran\C:\x.ini" are
/// split at backslashes into nested keys. Value names compare without regard
/// to case; key paths compare as the system's file names do (the registry
/// ignores case, the POSIX hive files do not).
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  /// The value, or nothing when the key or the value is missing.
  virtual Result<std::optional<std::string>> ReadValue(Hive hive, std::string_view keyPath,
                                                       std::string_view name) = 0;
  /// Creates missing keys; the hive file is replaced atomically.
  virtual Status WriteValue(Hive hive, std::string_view keyPath, std::string_view name,
                            std::string_view value) = 0;
};

}  // namespace velloran
