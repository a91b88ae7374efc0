#pragma once
// The texts players see, written out here once, letter for letter, so that
// a test fails when the program's wording changes. Deliberately not taken
// from the program's own constants.

#include <initializer_list>
#include <string>

namespace vantor::testing::texts {

inline constexpr const char* upgraded = "升级成功！";
inline constexpr const char* not_upgraded = "升级失败！";
inline constexpr const char* restored = "复原成功!";
inline constexpr const char* not_restored = "复原失败！";
inline constexpr const char* bundle_modified = "动画文件被修改过，非原版";
inline constexpr const char* frame_count_failed = "写出帧数时失败！";
inline constexpr const char* not_in_game_folder = "此程序必须置于Vantor主目录下运行!";

/// Messages as the command-line patcher prints them: one a line.
inline std::string printed(std::initializer_list<const char*> messages) {
  std::string lines;
  for (const char* message : messages) (lines += message) += '\n';
  return lines;
}

}  // namespace vantor::testing::texts
