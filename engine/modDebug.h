#pragma once
// The debug log: lines collected during the run, written once, encoded.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Run.h"

namespace velloran {

using Bytes = std::vector<uint8_t>;

/// Empties the collected text.
void ClearDebugLog(Run& run);
/// Appends the line and CR LF when DebugOn is set; never fails.
void WriteToDebugLog(Run& run, std::string_view line);
/// The three lines of a failure: the heading, "ERROR: " with the number and
/// "ERROR DESCRIPTION: " with the description.
void WriteErrorToDebugLog(Run& run, std::string_view heading, const PlatformError& error);
/// Three lines: 80 "*"; left "*", title, right "*"; 80 "*".
void WriteBanner(Run& run, int left, std::string_view title, int right);
/// Encodes the collected text into "<engine folder>/<computer>.debug".
void SaveDebugLog(Run& run);

/// The text as UTF-16LE (unicode) or as single bytes. Indexing from 1 puts an
/// unused byte in front, so element 1 is the first byte.
Bytes StringToBytes(std::string_view text, bool unicode, bool indexFromOne);
/// B0, B1, Bn, B2, Bn-1, ... in place.
void InterleaveBytes(Bytes& bytes);
/// Each byte becomes the sum of itself and the byte before it, mod 256.
void AccumulateBytes(Bytes& bytes);
/// Writes the file atomically; a failure is reported as event 20002.
void WriteDebugFile(Run& run, const std::string& path, const Bytes& bytes);

/// The whole transformation (StringToBytes, InterleaveBytes,
/// AccumulateBytes), as SaveDebugLog applies it. The second form reuses the
/// buffer of `out`.
Bytes EncodeDebugText(std::string_view text);
void EncodeDebugText(std::string_view text, Bytes& out);
/// The inverse: the text of a debug file, or a failure saying why the bytes
/// cannot be one (odd length, not UTF-16).
Result<std::string> DecodeDebugBytes(const Bytes& bytes);
/// The same for bytes read into a string.
Result<std::string> DecodeDebugBytes(std::string_view bytes);

/// The text as SaveDebugLog writes it: followed by one line more,
/// ">> Debug text length: N", N the UTF-16 characters before that line.
/// The interleaving keeps the start and the end of a file cut short on its
/// way to the share, so that line survives every cut long enough to hold
/// anything and then states a length the copy no longer has.
std::string WithLengthLine(std::string_view text);
/// The run's own text of a decoded debug file: without the length line
/// (files of earlier engines have none and come back as they are).
std::string_view WithoutLengthLine(std::string_view text);

/// Why a decoded debug file is not all that the engine wrote, or "" when it
/// is. A file with the length line is whole when the length matches. One
/// without (an earlier engine's) is judged by its lines: it ends with the
/// END DEBUG banner and holds the run driver's five progress lines all or
/// none, or with the log switched off by the INI file it is the opening
/// lines alone; such a file cut between two progress lines passes.
std::string DebugTextCutShort(std::string_view text);

/// A yes/no value as the log writes it.
inline const char* TrueFalse(bool v) { return v ? "True" : "False"; }

}  // namespace velloran
