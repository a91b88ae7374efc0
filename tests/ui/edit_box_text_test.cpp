// What each kind of edit box shows of a text with LF, CR LF and CR line
// ends: the one rule of every front end.

#include <gtest/gtest.h>

#include "support/edit_box_rows.h"
#include "ui/edit_box_text.h"

namespace vantor {
namespace {

using testing_rows::edit_box_row;

class EditBoxText : public ::testing::TestWithParam<edit_box_row> {};

TEST_P(EditBoxText, ShowsTheLinesOfTheRule) {
  const edit_box_row& row = GetParam();
  EXPECT_EQ(edit_box_lines(row.text, row.multi_line), row.lines);
}

TEST_P(EditBoxText, GivesEachToolkitTheLinesWithItsOwnLineEnd) {
  const edit_box_row& row = GetParam();
  for (const std::string_view line_end : {"\r\n", "\n"}) {
    EXPECT_EQ(edit_box_content(row.text, row.multi_line, line_end), testing_rows::joined(row.lines, line_end));
  }
}

INSTANTIATE_TEST_SUITE_P(rows, EditBoxText, ::testing::ValuesIn(testing_rows::edit_box_rows()),
                         [](const ::testing::TestParamInfo<edit_box_row>& row) { return row.param.name; });

}  // namespace
}  // namespace vantor
