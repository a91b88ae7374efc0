#pragma once
// Making an update package from a modded game, for mod authors: the frame
// block and count cut from the modded bundle, the pose and action files,
// the cover picture and description, and the model folder as pmodel.pak.
// A package is kept only once installing it with the program's own upgrade
// gave the modded game's files byte for byte.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/stock_identity.h"
#include "platform/outcome.h"
#include "services/values.h"

namespace vantor {

enum class pack_refusal : std::uint8_t {
  not_empty,          ///< the output folder holds something already
  no_stock_prefix,    ///< the modded bundle does not start with the stock prefix
  no_new_frames,      ///< the modded bundle's count is the stock count
  backup_not_prefix,  ///< the backup bundle is not the stock prefix
  not_a_picture,      ///< the cover is no picture the window shows
  not_reproduced,     ///< the package, installed, does not give this file back
  not_restored,       ///< the restore after the trial install did not give the stock bundle back
};

const failure_category& category_of(pack_refusal);

/// What to pack.
struct pack_request {
  text game_folder;                 ///< the modded game
  text out_folder;                  ///< missing or empty; the package goes here
  std::optional<text> cover;        ///< the cover picture's file
  std::optional<text> description;  ///< the description's file (UTF-8, GBK or UTF-16)
  stock_identity identity = game_stock_identity;
  /// Whether bytes are a picture the window shows (the window's own rule);
  /// without it any cover is taken.
  bool (*shows_picture)(std::span<const std::uint8_t> bytes) = nullptr;
};

/// One file of the package.
struct packed_file {
  text name;  ///< relative to the output folder, "/" between parts
  std::int64_t size = 0;
};

struct pack_result {
  bool made = false;
  bool out_folder_in_use = false;  ///< refused because the output folder is not empty
  /// Why it was refused, one sentence each, paths in the game relative to it.
  std::vector<std::string> reasons;
  std::int32_t new_frames = 0;
  std::int32_t first_frame = 0;  ///< the stock count: the first new frame's number
  std::int32_t last_frame = 0;   ///< first_frame + new_frames, as the window's summary has it
  std::vector<packed_file> files;
  std::int32_t model_files = 0;    ///< files in the model folder, the pose file among them
  std::int32_t model_folders = 0;  ///< folders below it
};

/// Makes the update package and proves it. On any refusal nothing is left
/// in the output folder (a folder it made is removed again).
pack_result make_update_package(const pack_request& request);

}  // namespace vantor
