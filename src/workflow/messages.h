#pragma once
// The texts the workflow shows, exactly as players know them.

#include <string_view>

namespace vantor::messages {

inline constexpr std::string_view not_in_game_folder = "此程序必须置于Vantor主目录下运行!";
inline constexpr std::string_view bundle_modified = "动画文件被修改过，非原版";
inline constexpr std::string_view frame_count_failed = "写出帧数时失败！";
inline constexpr std::string_view upgrade_succeeded = "升级成功！";
inline constexpr std::string_view upgrade_failed = "升级失败！";
inline constexpr std::string_view restore_succeeded = "复原成功!";
inline constexpr std::string_view restore_failed = "复原失败！";
inline constexpr std::string_view run_as_administrator =
    "游戏目录受系统保护，本程序没有权限写入。\n是否以管理员身份重新运行本程序？";

}  // namespace vantor::messages
