#pragma once
// Text put into the HTML the programs write: the web launch page, the fleet
// page and the guide's pages.

#include <string>
#include <string_view>

namespace velloran {

/// The entity that stands for `c` between HTML tags and inside quoted
/// attribute values; empty for a character that stands for itself.
std::string_view HtmlEntity(char c);

/// Text made safe between HTML tags and inside attribute quotes.
std::string EscapeForHtml(std::string_view text);

}  // namespace velloran
