#include "tools/GuideHtml.h"

#include <cctype>
#include <map>
#include <optional>
#include <vector>

#include "common/HtmlText.h"

namespace velloran {

namespace {

std::string Escape(std::string_view text) { return EscapeForHtml(text); }

bool IsPunctuation(char c) { return std::ispunct(static_cast<unsigned char>(c)) != 0; }

bool IsWebLink(std::string_view target) {
  return target.starts_with("https://") || target.starts_with("http://") ||
         target.starts_with("mailto:");
}

class Inline {
 public:
  explicit Inline(const std::function<bool(const std::string&)>& shipped) : shipped_(shipped) {}

  std::string operator()(std::string_view text) const {
    std::string out;
    for (size_t i = 0; i < text.size();) {
      const char c = text[i];
      if (c == '`') {
        const size_t end = text.find('`', i + 1);
        if (end != std::string_view::npos) {
          out += "<code>" + Escape(text.substr(i + 1, end - i - 1)) + "</code>";
          i = end + 1;
          continue;
        }
      } else if (c == '\\' && i + 1 < text.size() && IsPunctuation(text[i + 1])) {
        out += Escape(text.substr(i + 1, 1));
        i += 2;
        continue;
      } else if (c == '!' && i + 1 < text.size() && text[i + 1] == '[') {
        if (auto link = Link(text, i + 1)) {
          out += link->Shipped ? "<img src=\"" + Escape(link->Target) + "\" alt=\"" +
                                     Escape(link->Text) + "\">"
                               : Escape(link->Text);
          i = link->End;
          continue;
        }
      } else if (c == '[') {
        if (auto link = Link(text, i)) {
          const std::string inner = (*this)(link->Text);
          out +=
              link->Shipped ? "<a href=\"" + Escape(link->Target) + "\">" + inner + "</a>" : inner;
          i = link->End;
          continue;
        }
      } else if (c == '*') {
        const bool strong = text.substr(i, 2) == "**";
        const std::string_view mark = strong ? "**" : "*";
        const size_t from = i + mark.size();
        const size_t end = text.find(mark, from);
        // Emphasis hugs its text: "a * b" and "*.ini" stay as they are.
        if (end != std::string_view::npos && end > from && text[from] != ' ' &&
            text[end - 1] != ' ') {
          const std::string tag = strong ? "strong" : "em";
          out += "<" + tag + ">" + (*this)(text.substr(from, end - from)) + "</" + tag + ">";
          i = end + mark.size();
          continue;
        }
      }
      out += Escape(text.substr(i, 1));
      ++i;
    }
    return out;
  }

 private:
  struct Found {
    std::string Text, Target;
    bool Shipped = false;
    size_t End = 0;
  };

  /// A link "[text](target)" whose "[" is at `open`.
  std::optional<Found> Link(std::string_view text, size_t open) const {
    int depth = 0;
    size_t close = std::string_view::npos;
    for (size_t i = open; i < text.size(); ++i) {
      if (text[i] == '`') {
        const size_t end = text.find('`', i + 1);
        if (end == std::string_view::npos) break;
        i = end;
      } else if (text[i] == '[') {
        ++depth;
      } else if (text[i] == ']' && --depth == 0) {
        close = i;
        break;
      }
    }
    if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != '(')
      return std::nullopt;
    const size_t end = text.find(')', close + 2);
    if (end == std::string_view::npos) return std::nullopt;
    Found f;
    f.Text = std::string(text.substr(open + 1, close - open - 1));
    f.Target = std::string(text.substr(close + 2, end - close - 2));
    f.End = end + 1;
    if (f.Target.find_first_of(" \t") != std::string::npos) return std::nullopt;
    if (IsWebLink(f.Target)) {
      f.Shipped = true;
      return f;
    }
    const size_t hash = f.Target.find('#');
    std::string file = f.Target.substr(0, hash);
    const std::string anchor = hash == std::string::npos ? "" : f.Target.substr(hash);
    if (file.ends_with(".md")) file = file.substr(0, file.size() - 3) + ".html";
    f.Target = file + anchor;
    f.Shipped = file.empty() || shipped_(file);
    return f;
  }

  const std::function<bool(const std::string&)>& shipped_;
};

size_t Indent(std::string_view line) {
  const size_t first = line.find_first_not_of(' ');
  return first == std::string_view::npos ? line.size() : first;
}

bool IsBlank(std::string_view line) { return Indent(line) == line.size(); }

/// The marker of a list item ("- ", "1. ") and where its text starts.
std::optional<std::pair<bool, size_t>> ListItem(std::string_view line) {
  if (line.starts_with("- ") || line.starts_with("* ")) return std::pair{false, size_t{2}};
  size_t digits = 0;
  while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
  if (digits > 0 && line.substr(digits, 2) == ". ") return std::pair{true, digits + 2};
  return std::nullopt;
}

/// The cells of a table row, split at the bars outside code spans.
std::vector<std::string> Cells(std::string_view row) {
  std::vector<std::string> cells;
  std::string cell;
  bool code = false;
  const size_t from = row.find('|') + 1, to = row.find_last_of('|');
  for (size_t i = from; i < to; ++i) {
    if (row[i] == '`') code = !code;
    if (row[i] == '|' && !code) {
      cells.push_back(cell);
      cell.clear();
    } else {
      cell += row[i];
    }
  }
  cells.push_back(cell);
  for (auto& c : cells) {
    const size_t a = c.find_first_not_of(' '), b = c.find_last_not_of(' ');
    c = a == std::string::npos ? "" : c.substr(a, b - a + 1);
  }
  return cells;
}

bool IsTableSeparator(std::string_view line) {
  return line.starts_with("|") && line.find_first_not_of("|-: ") == std::string_view::npos;
}

}  // namespace

std::string HeadingAnchor(std::string_view heading) {
  std::string slug;
  for (size_t i = 0; i < heading.size(); ++i) {
    const auto u = static_cast<unsigned char>(heading[i]);
    // The en and em dashes are punctuation too.
    if (heading.substr(i, 2) == "\xE2\x80" && i + 2 < heading.size() &&
        (heading[i + 2] == '\x93' || heading[i + 2] == '\x94')) {
      i += 2;
    } else if (std::isalnum(u) || heading[i] == '-' || heading[i] == '_') {
      slug += static_cast<char>(std::tolower(u));
    } else if (heading[i] == ' ') {
      slug += '-';
    } else if (u >= 0x80) {
      slug += heading[i];
    }
  }
  return slug;
}

std::string GuidePageHtml(std::string_view markdown,
                          const std::function<bool(const std::string&)>& shipped) {
  const Inline inline_(shipped);
  std::vector<std::string_view> lines;
  for (size_t at = 0; at <= markdown.size();) {
    size_t end = markdown.find('\n', at);
    if (end == std::string_view::npos) end = markdown.size();
    std::string_view line = markdown.substr(at, end - at);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    at = end + 1;
  }

  std::string body, title, paragraph;
  std::optional<bool> list;  // open list: ordered or not
  bool item = false;
  std::map<std::string, int> anchors;

  auto flush = [&] {
    if (paragraph.empty()) return;
    body += item ? inline_(paragraph) + "\n" : "<p>" + inline_(paragraph) + "</p>\n";
    paragraph.clear();
  };
  auto closeList = [&] {
    flush();
    if (item) body += "</li>\n";
    if (list) body += *list ? "</ol>\n" : "</ul>\n";
    list.reset();
    item = false;
  };

  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const size_t indent = Indent(line);
    if (line.substr(indent).starts_with("```")) {
      flush();
      if (indent == 0) closeList();
      std::string code;
      for (++i; i < lines.size() && !lines[i].substr(Indent(lines[i])).starts_with("```"); ++i) {
        const std::string_view l = lines[i];
        code += std::string(l.substr(std::min(indent, Indent(l)))) + "\n";
      }
      body += "<pre><code>" + Escape(code) + "</code></pre>\n";
      continue;
    }
    if (IsBlank(line)) {
      flush();
      continue;
    }
    if (line.starts_with("#")) {
      const size_t level = line.find_first_not_of('#');
      if (level <= 6 && level < line.size() && line[level] == ' ') {
        closeList();
        const std::string_view text = line.substr(level + 1);
        std::string anchor = HeadingAnchor(text);
        if (const int seen = anchors[anchor]++; seen > 0) anchor += "-" + std::to_string(seen);
        const std::string h = "h" + std::to_string(level);
        body += "<" + h + " id=\"" + Escape(anchor) + "\">" + inline_(text) + "</" + h + ">\n";
        if (title.empty()) {
          for (char c : text)
            if (c != '`' && c != '*') title += c;
        }
        continue;
      }
    }
    if (line.starts_with("|") && i + 1 < lines.size() && IsTableSeparator(lines[i + 1])) {
      closeList();
      body += "<table>\n<thead><tr>";
      for (const auto& cell : Cells(line)) body += "<th>" + inline_(cell) + "</th>";
      body += "</tr></thead>\n<tbody>\n";
      for (i += 2; i < lines.size() && lines[i].starts_with("|"); ++i) {
        body += "<tr>";
        for (const auto& cell : Cells(lines[i])) body += "<td>" + inline_(cell) + "</td>";
        body += "</tr>\n";
      }
      --i;
      body += "</tbody>\n</table>\n";
      continue;
    }
    if (auto marker = ListItem(line)) {
      flush();
      if (list && *list != marker->first) closeList();
      if (!list) {
        body += marker->first ? "<ol>\n" : "<ul>\n";
        list = marker->first;
      }
      if (item) body += "</li>\n";
      body += "<li>";
      item = true;
      paragraph = std::string(line.substr(marker->second));
      continue;
    }
    if (list && indent == 0) closeList();
    if (!paragraph.empty()) paragraph += ' ';
    paragraph += std::string(line.substr(indent));
  }
  closeList();

  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
         Escape(title) +
         "</title>\n<style>\n"
         "body { font-family: sans-serif; max-width: 60em; margin: 1em auto; padding: 0 1em; "
         "line-height: 1.4; }\n"
         "code, pre { font-family: monospace; background: #f4f4f4; }\n"
         "pre { padding: 0.5em; overflow-x: auto; }\n"
         "table { border-collapse: collapse; }\n"
         "th, td { border: 1px solid #ccc; padding: 0.2em 0.4em; vertical-align: top; "
         "text-align: left; }\n"
         "img { max-width: 100%; }\n"
         "</style>\n</head>\n<body>\n" +
         body + "</body>\n</html>\n";
}

}  // namespace velloran
