#pragma once
// A small game folder with a synthetic stock bundle, for workflow tests.

#include <map>
#include <string>
#include <vector>

#include "formats/stock_identity.h"
#include "support/temp_folder.h"

namespace vantor::testing {

/// A few KB stand-in for the stock bundle, and the identity that accepts it.
struct synthetic_stock {
  byte_string bundle;
  std::string digest;
  stock_identity identity() const;
};
const synthetic_stock& small_stock();

/// The small stock identity's bundle.
inline const byte_string& stock() { return small_stock().bundle; }

/// The bytes of new.amb.out: frames, then their count.
byte_string frame_package(const byte_string& frames, std::int32_t count);

/// What the live bundle must hold after an upgrade from the stock prefix.
byte_string upgraded_bundle(const byte_string& stock, const byte_string& frames, std::int32_t count);

class game_folder;

/// The two commands of the window.
enum class command { upgrade, restore };

/// One click of a command on a fresh session over the game folder, with the
/// small stock identity; the messages it showed ("<ended>" when the session
/// ended at start).
std::vector<std::string> click(const game_folder& game, command run);

class game_folder {
 public:
  /// A stock game: Vantor.exe, the stock bundle, an action file, a model
  /// folder with a pose file, and a complete update package (39 frames).
  game_folder() : game_folder(std::string_view{}) {}
  /// The same game in a folder of this name (may hold separators) inside the
  /// fresh test folder.
  explicit game_folder(std::string_view inside);

  std::string path(std::string_view relative) const { return root_ + "/" + std::string(relative); }
  const std::string& root() const { return root_; }
  std::string bundle() const { return path("Common/character.amb"); }
  std::string backup() const { return path("Common/原始动画备份.amb"); }
  std::string pose() const { return path("pmodel/P0.POS"); }
  std::string action() const { return path("Common/character.act"); }

  /// Every file under the folder with its bytes, for "nothing changed" checks.
  std::map<std::string, byte_string> snapshot() const;
  /// The same, leaving out one file (too large to read whole).
  std::map<std::string, byte_string> snapshot_without(std::string_view relative) const;
  /// The same for one folder of the game ("pmodel"), relative to it; empty
  /// when it is missing.
  std::map<std::string, byte_string> snapshot(std::string_view folder) const;

  byte_string new_frames;
  std::int32_t new_count = 39;
  byte_string pose_update;
  byte_string action_update;

 private:
  temp_folder dir_;
  std::string root_;
};

}  // namespace vantor::testing
