#include "support/game_folder.h"

#include <filesystem>

#include "formats/animation_bundle.h"
#include "services/bytes.h"
#include "services/digest.h"
#include "services/little_endian.h"
#include "support/fake_ports.h"
#include "support/native_path.h"
#include "workflow/session.h"

namespace vantor::testing {

stock_identity synthetic_stock::identity() const {
  return stock_identity{static_cast<std::int32_t>(bundle.size()), digest, game_stock_identity.count_offset,
                        game_stock_identity.stock_count};
}

const synthetic_stock& small_stock() {
  static const synthetic_stock stock = [] {
    synthetic_stock s;
    s.bundle = random_bytes(4096, 1);
    store_le32(s.bundle.data() + game_stock_identity.count_offset, game_stock_identity.stock_count);
    s.digest = md5_text_digest(s.bundle);
    return s;
  }();
  return stock;
}

byte_string frame_package(const byte_string& frames, std::int32_t count) {
  byte_string package = frames;
  package.resize(frames.size() + 4);
  store_le32(package.data() + frames.size(), count);
  return package;
}

byte_string upgraded_bundle(const byte_string& stock, const byte_string& frames, std::int32_t count) {
  byte_string bundle = joined({stock, frames});
  store_le32(bundle.data() + game_stock_identity.count_offset, upgraded_frame_count(game_stock_identity, count));
  return bundle;
}

game_folder::game_folder(std::string_view inside)
    : new_frames(random_bytes(39 * 16, 2)),
      pose_update(bytes_of("\r\nPose 0\r\n{}\r\n")),
      action_update(bytes_of("group(0)\r\n0(1,2)")),
      root_(inside.empty() ? dir_.path() : dir_ / inside) {
  put_file(path("Vantor.exe"), bytes_of("MZ"));
  put_file(bundle(), small_stock().bundle);
  put_file(action(), bytes_of("old action"));
  put_file(pose(), bytes_of("old pose"));
  put_file(path("updatefile/p0.pos"), pose_update);
  put_file(path("updatefile/character.act"), action_update);
  put_file(path("updatefile/new.amb.out"), frame_package(new_frames, new_count));
  put_file(path("updatefile/封面图片.jpg"), bytes_of("\xFF\xD8\xFF\xE0 cover"));
  put_file(path("updatefile/界面说明.txt"), bytes_of("v0.5\xCB\xB5\xC3\xF7"));  // GBK "说明"
}

std::vector<std::string> click(const game_folder& game, command run) {
  fake_ports fake;
  patch_session session(fake.ports(), small_stock().identity());
  if (!session.start_session(game.root())) return {"<ended>"};
  if (run == command::upgrade)
    session.on_upgrade_clicked();
  else
    session.on_restore_clicked();
  return fake.messages;
}

std::map<std::string, byte_string> game_folder::snapshot() const { return snapshot_without({}); }

std::map<std::string, byte_string> game_folder::snapshot_without(std::string_view left_out) const {
  std::map<std::string, byte_string> files;
  const auto base = native_path(root());
  for (const auto& entry : std::filesystem::recursive_directory_iterator(base)) {
    const std::string relative = utf8_of(std::filesystem::relative(entry.path(), base));
    if (relative == left_out) continue;
    files[relative] = entry.is_regular_file() ? file_bytes(utf8_of(entry.path())) : bytes_of("<folder>");
  }
  return files;
}

std::map<std::string, byte_string> game_folder::snapshot(std::string_view folder) const {
  std::map<std::string, byte_string> files;
  const auto top = native_path(path(folder));
  if (!std::filesystem::is_directory(top)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
    const std::string relative = utf8_of(std::filesystem::relative(entry.path(), top));
    files[relative] = entry.is_regular_file() ? file_bytes(utf8_of(entry.path())) : bytes_of("<folder>");
  }
  return files;
}

}  // namespace vantor::testing
