#include "ui/edit_box_text.h"

namespace vantor {

std::vector<std::string_view> edit_box_lines(std::string_view text, bool multi_line) {
  if (!multi_line) return {text};
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;  // CR LF ends one line, not two
    start = i + 1;
  }
  lines.push_back(text.substr(start));
  return lines;
}

std::string edit_box_content(std::string_view text, bool multi_line, std::string_view line_end) {
  const std::vector<std::string_view> lines = edit_box_lines(text, multi_line);
  std::string content;
  content.reserve(text.size() + lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) content += line_end;
    content += lines[i];
  }
  return content;
}

}  // namespace vantor
