#pragma once
// The guide's Markdown pages as plain HTML pages, for the Windows zip, whose
// readers have a browser but nothing that renders Markdown. Only what the
// guide uses is understood: headings, paragraphs, lists, tables, fenced
// blocks, code spans, emphasis, links and images.

#include <functional>
#include <string>
#include <string_view>

namespace velloran {

/// The anchor a heading gets, the one GitHub gives it, so that links into a
/// page work the same in both forms: lower case, punctuation dropped, blanks
/// made dashes.
std::string HeadingAnchor(std::string_view heading);

/// One page in HTML, titled by its first heading. A link to another page
/// (`PAGE.md`, `PAGE.md#anchor`) becomes one to `PAGE.html`; a relative
/// link is kept only when `shipped(target)` says the target (the link
/// without its anchor, after that rewrite) exists beside the pages,
/// otherwise its text stays without the link. Web links are kept.
std::string GuidePageHtml(std::string_view markdown,
                          const std::function<bool(const std::string&)>& shipped);

}  // namespace velloran
