#pragma once
// windows.h for the Windows backends, and their failures as PlatformError.
//
// windows.h maps MessageBox, ReportEvent, GetObject and the spooler's
// Get/SetDefaultPrinter to their A/W forms by macro, which would rename our
// own classes and members of the same names in any file that includes both;
// the backends call the A or W forms by name.

#include <windows.h>
#include <winspool.h>

#undef MessageBox
#undef ReportEvent
#undef GetObject
#undef GetDefaultPrinter
#undef SetDefaultPrinter

#include <string>

#include "platform/Error.h"

namespace velloran {

/// Program text (UTF-8) for the system's wide ("W") functions, and back.
/// Paths and names go through these so that any character a file system or
/// the registry holds survives, not only those of the ANSI code page.
std::wstring Wide(std::string_view utf8);
std::string FromWide(const wchar_t* text, size_t length);
inline std::string FromWide(const std::wstring& text) { return FromWide(text.data(), text.size()); }

/// The system's text for a Win32 error code or an HRESULT, without the
/// trailing line break ("" when it has none).
std::string SystemMessageText(DWORD code);

/// A Win32 error code as a failure, with the system's text for it.
PlatformError Win32Error(DWORD code);

/// GetLastError() as a failure.
PlatformError LastWin32Error();

}  // namespace velloran
