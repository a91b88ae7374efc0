#pragma once
// Writes a demo game folder: a stand-in for the game with a synthetic stock
// bundle and a complete update package, so the patcher can be tried without
// the game.

#include <string>

namespace vantor {

/// What make_demo_folder did.
enum class demo_result { written, folder_not_empty, failed };

/// Creates folder (and its parents) and writes the demo game into it.
/// Refuses a folder that exists and is not empty.
demo_result make_demo_folder(const std::string& folder, std::string& error);

}  // namespace vantor
