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
/// kept). A read-only file (no write bit at all, the read-only attribute on
/// Windows) is refused with EACCES and kept, also for root.
Status WriteFileAtomically(const std::string& path, std::string_view content, unsigned mode = 0644,
                           Flush flush = Flush::ToDisk);

/// WriteFileAtomically for a file in a folder others may write to (the
/// engine's folder on a share, a settings hive): a symbolic link at `path`
/// is refused, never followed, and so is anything but a regular file.
Status ReplaceRegularFile(const std::string& path, std::string_view content, unsigned mode = 0644);

/// The whole file, or the failure to read it (errno-style number).
Result<std::string> ReadWholeFile(const std::string& path);

/// The whole of a regular file of at most `maxBytes`: a symbolic link, a
/// FIFO or a device at `path` is refused without being opened through or
/// waited on, and a larger file fails with EFBIG.
Result<std::string> ReadRegularFile(const std::string& path, size_t maxBytes);

/// Gives the file at `path` the current time as its modification time; a
/// symbolic link is not followed.
Status TouchFile(const std::string& path);

/// A regular file without any write permission bit. Windows refuses to
/// replace a file whose read-only attribute is set, also for administrators;
/// an atomic rename would replace it regardless, so writers ask first.
bool IsReadOnlyFile(const std::string& path);

}  // namespace velloran
