// The whole program as a process, copied into a folder as a player would
// put it there: its exit code and what it reported on the way out.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "support/demo_game.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

struct process_row {
  const char* name;
  bool game_folder;
  QStringList arguments;
  int exit_code;
  std::vector<std::string> expected_lines;
  std::vector<std::string> absent_lines;
};

std::ostream& operator<<(std::ostream& out, const process_row& row) { return out << row.name; }

std::vector<std::string> lines_of(const QByteArray& output) {
  std::vector<std::string> lines;
  for (const QByteArray& line : output.split('\n')) {
    if (!line.isEmpty()) lines.push_back(line.toStdString());
  }
  return lines;
}

class ProgramRun : public ::testing::TestWithParam<process_row> {};

TEST_P(ProgramRun, EndsWithItsExitCode) {
  const process_row& row = GetParam();
  testing::temp_folder folder;
  if (row.game_folder) {
    testing::put_demo_game(folder.path());
    ASSERT_FALSE(HasFatalFailure());
  }
  const fs::path program = folder / "vantor-patcher-probe";
  fs::copy_file(VANTOR_FRAME_PROBE, program);

  QProcess process;
  process.setWorkingDirectory(QStringLiteral("/"));  // the program moves to its own folder
  // Under a sanitizer a failed allocation must come back as null, as it does
  // from the plain heap, instead of stopping the program.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const QString& sanitizer : {QStringLiteral("ASAN_OPTIONS"), QStringLiteral("TSAN_OPTIONS")})
    environment.insert(sanitizer, environment.value(sanitizer) + QStringLiteral(":allocator_may_return_null=1"));
  process.setProcessEnvironment(environment);
  process.start(QString::fromStdString(program.string()), row.arguments);
  ASSERT_TRUE(process.waitForFinished(60000)) << "the program did not end";
  const std::vector<std::string> lines = lines_of(process.readAllStandardOutput());
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process.exitCode(), row.exit_code);
  for (const std::string& expected : row.expected_lines) {
    EXPECT_EQ(std::count(lines.begin(), lines.end(), expected), 1) << "missing or repeated: " << expected;
  }
  for (const std::string& absent : row.absent_lines) {
    EXPECT_EQ(std::count(lines.begin(), lines.end(), absent), 0) << "unexpected: " << absent;
  }
}

INSTANTIATE_TEST_SUITE_P(
    rows, ProgramRun,
    ::testing::Values(process_row{"missing_game_executable",
                                  false,
                                  {},
                                  0,
                                  {"message: 此程序必须置于Vantor主目录下运行!", "window visible: no",
                                   "exit routine ran"},
                                  {"shown"}},
                      process_row{"escape_closes_the_window",
                                  true,
                                  {"--escape-when-shown"},
                                  0,
                                  {"shown", "icon: the program's own", "exit routine ran"},
                                  {"icon: none", "window visible: yes"}},
                      process_row{"space_on_the_first_focus_upgrades",
                                  true,
                                  {"--space-when-shown", "--escape-until-closed"},
                                  0,
                                  {"shown", "message: 升级成功！", "window visible: yes", "exit routine ran"},
                                  {}},
                      // One Esc while the upgrade runs is kept: the window
                      // closes once it has ended, with its box answered.
                      process_row{"one_escape_during_the_upgrade_closes_after_it",
                                  true,
                                  {"--space-when-shown", "--escape-when-shown"},
                                  0,
                                  {"shown", "message: 升级成功！", "exit routine ran"},
                                  {}},
                      process_row{"window_closed",
                                  true,
                                  {"--close-when-shown"},
                                  0,
                                  {"shown", "icon: the program's own", "exit routine ran"},
                                  {"icon: none"}},
                      process_row{"window_cannot_be_built",
                                  true,
                                  {"--broken-window"},
                                  255,
                                  {"fatal: 运行时出错!\\r\\n\\r\\n错误信息：载入启动窗口失败\\r\\n"},
                                  {"shown", "exit routine ran"}},
                      process_row{"memory_exhausted",
                                  true,
                                  {"--allocate-when-shown"},
                                  255,
                                  {"shown", "fatal: 运行时出错!\\r\\n\\r\\n错误信息：分配 100 字节内存失败!\\r\\n"},
                                  {"allocated?", "exit routine ran"}}),
    [](const ::testing::TestParamInfo<process_row>& row) { return row.param.name; });

}  // namespace
}  // namespace vantor
