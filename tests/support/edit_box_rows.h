#pragma once
// One table of texts with every kind of line end and what each kind of
// edit box shows of them, for the rule itself and for each front end's
// boxes.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vantor::testing_rows {

struct edit_box_row {
  const char* name;
  std::string_view text;
  bool multi_line;
  std::vector<std::string_view> lines;  ///< what the box shows
};

inline void PrintTo(const edit_box_row& row, std::ostream* out) { *out << row.name; }

/// The lines joined the way a toolkit's box holds them.
inline std::string joined(const std::vector<std::string_view>& lines, std::string_view line_end) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += line_end;
    text += lines[i];
  }
  return text;
}

inline const std::vector<edit_box_row>& edit_box_rows() {
  static const std::vector<edit_box_row> rows = {
      {"multi_empty", "", true, {""}},
      {"multi_one_line", "总帧数=39", true, {"总帧数=39"}},
      {"multi_lf", "第一行\n第二行", true, {"第一行", "第二行"}},
      {"multi_crlf", "第一行\r\n第二行", true, {"第一行", "第二行"}},
      {"multi_cr", "第一行\r第二行", true, {"第一行", "第二行"}},
      {"multi_mixed", "一\n二\r\n三\r四", true, {"一", "二", "三", "四"}},
      {"multi_lf_cr_is_two_ends", "一\n\r二", true, {"一", "", "二"}},
      {"multi_empty_lines", "\r\n\r\n", true, {"", "", ""}},
      {"multi_trailing_end", "一\r\n", true, {"一", ""}},
      {"single_empty", "", false, {""}},
      {"single_plain", "总帧数=39， 起始帧=17061， 结束帧=17100", false, {"总帧数=39， 起始帧=17061， 结束帧=17100"}},
      {"single_lf", "一\n二", false, {"一\n二"}},
      {"single_crlf", "一\r\n二", false, {"一\r\n二"}},
      {"single_cr", "一\r二", false, {"一\r二"}},
  };
  return rows;
}

}  // namespace vantor::testing_rows
