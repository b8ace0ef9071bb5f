#pragma once
// Whole-file writes that never leave a half-written file behind.

#include <string>
#include <string_view>

#include "platform/Error.h"

namespace velloran {

/// Whether a replacing write waits until its data is on the disk.
enum class Flush {
  ToDisk,
  /// Readers still see the old file or the new one, but a power cut may lose
  /// the change: for files rewritten many times a second.
  Lazy,
};

/// Writes `content` to a temp file beside `path`, flushes it and renames it
/// over `path`: readers see the old file or the new one, never a mix.
/// `mode` applies to a file that did not exist (an existing file's mode is
/// kept).
Status WriteFileAtomically(const std::string& path, std::string_view content, unsigned mode = 0644,
                           Flush flush = Flush::ToDisk);

/// The whole file, or the failure to read it (errno-style number).
Result<std::string> ReadWholeFile(const std::string& path);

/// A regular file without any write permission bit. Windows refuses to
/// replace a file whose read-only attribute is set, also for administrators;
/// an atomic rename would replace it regardless, so writers ask first.
bool IsReadOnlyFile(const std::string& path);

}  // namespace velloran
