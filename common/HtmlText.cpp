#include "common/HtmlText.h"

namespace velloran {

std::string_view HtmlEntity(char c) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    case '\'':
      return "&#39;";
    default:
      return {};
  }
}

std::string EscapeForHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (std::string_view entity = HtmlEntity(c); !entity.empty())
      out += entity;
    else
      out += c;
  }
  return out;
}

}  // namespace velloran
