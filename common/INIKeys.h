#pragma once
// Every key of the INI file, declared once: its section, its kind and the
// field of the settings record it fills. The reader, the writer and the
// engine's dump of the settings walk this table in file order.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/INISettings.h"

namespace velloran {

enum class INIKeyKind {
  Boolean,       ///< "True"/"False"; anything containing "true" reads as true
  Text,          ///< a text of at most 99 characters
  Folder,        ///< a text whose one trailing backslash is dropped on reading
  Integer,       ///< a signed 16-bit number (the leading-number rule)
  ServerPairs,   ///< FromServers / ToServers
  PrinterPairs,  ///< FromPrinters / ToPrinters
  MixedPairs,    ///< FromServers / FromPrinters / ToServers / ToPrinters
  EmailTo,       ///< the comma-separated address list
};

struct INIKey {
  std::string_view Section;
  /// The key; for a list, the name it is known by (its first key).
  std::string_view Name;
  INIKeyKind Kind;
  /// What the engine's settings dump calls it, where that differs from Name.
  std::string_view DumpName = {};
  bool INISettings::*Flag = nullptr;
  std::string INISettings::*Text = nullptr;
  int16_t INISettings::*Number = nullptr;

  std::string_view Label() const { return DumpName.empty() ? Name : DumpName; }
};

/// Every key, in the order the file holds them. DebugOn comes last: in the
/// engine, the file's DebugOn takes over the debug log once it is read.
std::span<const INIKey> INIKeys();

}  // namespace velloran
