#pragma once
// Pieces the per-OS code page backends share.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

namespace velloran::codepage {

/// Marks a byte that a single-byte code page leaves undefined.
inline constexpr char32_t kUndefined = 0xFFFFFFFF;

using ByteTable = std::array<char32_t, 256>;

/// windows-1252 as Windows converts it: the five bytes the standard leaves
/// open map to the C1 controls of the same value, so every byte reads.
const ByteTable& Windows1252();

/// A single-byte code page given by what each byte means.
std::unique_ptr<CodePage> MakeByteTableCodePage(std::string name, const ByteTable& table);

/// The Windows code page number a name stands for: "1250", "cp1250",
/// "windows-1250", "utf-8", "utf8" (any letter case). Nothing for names in
/// other forms.
std::optional<unsigned> CodePageNumber(std::string_view name);

/// The charset name mail and iconv use for a Windows code page number.
std::string CharsetName(unsigned number);

}  // namespace velloran::codepage
