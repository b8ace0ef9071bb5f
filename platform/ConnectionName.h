#pragma once
// What a printer connection name may hold, for every network-object backend.

#include <cstdint>
#include <string_view>

#include "platform/Error.h"

namespace velloran {

/// "The printer name is invalid." (Windows' ERROR_INVALID_PRINTER_NAME as an HRESULT).
inline constexpr int32_t kPrinterNameInvalid = -2147023095;
/// "This network connection does not exist."
inline constexpr int32_t kConnectionMissing = -2147022646;
/// "The network path was not found." (ERROR_BAD_NETPATH as an HRESULT).
inline constexpr int32_t kNetworkPathNotFound = -2147024843;

PlatformError InvalidPrinterName();

/// Whether the name holds a byte below 0x20 or DEL. Names come from the
/// directory and the INI file; a line break in one must never reach a file
/// or a command as a second line.
bool HasControlCharacter(std::string_view name);

/// Refuses a name with control characters with the invalid-name failure.
/// Every backend calls it before it acts on a name.
Status CheckConnectionName(std::string_view name);

/// Refuses, with the invalid-name failure, a path that no connection can
/// have: not "\\SERVER\SHARE", an empty server or share part, a server part
/// with characters no computer name holds (blanks among them), a share part
/// with characters no share name holds, or control characters anywhere.
Status CheckConnectionPath(std::string_view path);

/// The server part of "\\SERVER\SHARE" (or of "\\SERVER"); empty when the
/// path does not start with two backslashes.
std::string_view ConnectionServer(std::string_view path);

}  // namespace velloran
