#pragma once
// Name comparisons as the printer-connection service makes them.

#include <string_view>

namespace velloran {

/// Whole-string equality without regard to letter case. Only ASCII letters
/// are folded: the same bytes may be ANSI or UTF-8 text, and folding other
/// bytes would wrongly join distinct names in one of the two.
bool SameText(std::string_view a, std::string_view b);

}  // namespace velloran
