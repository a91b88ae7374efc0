#pragma once
// Where the game's files lie, relative to the game folder.

#include <initializer_list>
#include <string>
#include <string_view>

namespace vantor::layout {

inline constexpr std::string_view game_executable = "Vantor.exe";
inline constexpr std::string_view common_folder = "Common";
inline constexpr std::string_view bundle_name = "character.amb";
inline constexpr std::string_view backup_name = "原始动画备份.amb";
inline constexpr std::string_view action_name = "character.act";
inline constexpr std::string_view model_folder = "pmodel";
inline constexpr std::string_view pose_name = "P0.POS";
inline constexpr std::string_view model_package = "pmodel.pak";

inline constexpr std::string_view update_folder = "updatefile";
inline constexpr std::string_view update_pose = "p0.pos";
inline constexpr std::string_view update_action = "character.act";
inline constexpr std::string_view update_frames = "new.amb.out";
inline constexpr std::string_view update_cover = "封面图片.jpg";
inline constexpr std::string_view update_description = "界面说明.txt";

/// The folder followed by each part, every part after a separator: the
/// folder text is used exactly as given ("/game" + "Common" gives
/// "/game/Common").
std::string path_in(std::string_view folder, std::initializer_list<std::string_view> parts);

/// The folder with a trailing separator, to which file names are appended.
std::string folder_path(std::string_view folder);

}  // namespace vantor::layout
