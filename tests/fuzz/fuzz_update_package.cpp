// Loads an arbitrary update package (frame package, description, cover
// picture, pose file) into a session and runs an upgrade on a small stock
// bundle; checks what the window is given and what the upgrade installs.

#include <string>

#include "formats/animation_bundle.h"
#include "fuzz/fuzz_support.h"
#include "services/bytes.h"
#include "services/digest.h"
#include "services/little_endian.h"
#include "support/player_texts.h"
#include "workflow/session.h"

using vantor::fuzzing::check;
using vantor::fuzzing::put_file;

namespace {

struct quiet_ports final : vantor::patcher_view, vantor::message_port {
  void show_cover(const vantor::byte_string&) override {}
  void show_description(std::string_view text) override { description = text; }
  void show_frame_summary(std::string_view text) override { summary = text; }
  vantor::text homepage_address() const override { return {}; }
  void show_message(std::string_view message) override { last_message = message; }
  std::string description, summary, last_message;
};

const vantor::byte_string& stock() {
  static const vantor::byte_string bytes = [] {
    vantor::byte_string b(512);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 7);
    return b;
  }();
  return bytes;
}

bool valid_utf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantor::platform::memory_files::clear();
  const std::string game = "/game";
  for (const char* folder : {"/game", "/game/updatefile", "/game/Common", "/game/pmodel"})
    vantor::fuzzing::put_folder(folder);

  // The first three bytes split the input into the four package files.
  std::size_t cuts[3] = {0, 0, 0};
  for (std::size_t i = 0; i < 3 && i < size; ++i) cuts[i] = data[i];
  const std::size_t start = size < 3 ? size : 3;
  std::size_t offset = start;
  const char* names[] = {"new.amb.out", "界面说明.txt", "封面图片.jpg", "p0.pos"};
  std::size_t frame_file_size = 0;
  const std::uint8_t* frame_file = data + start;
  for (int part = 0; part < 4; ++part) {
    const std::size_t length = part < 3 ? std::min(cuts[part], size - offset) : size - offset;
    put_file(game + "/updatefile/" + names[part], data + offset, length);
    if (part == 0) frame_file_size = length;
    offset += length;
  }
  put_file(game + "/updatefile/character.act", "act");
  put_file(game + "/Vantor.exe", "MZ");
  put_file(game + "/Common/character.amb", stock().data(), stock().size());

  quiet_ports ports;
  static const std::string digest = vantor::md5_text_digest(stock());
  const vantor::stock_identity identity{512, digest, vantor::game_stock_identity.count_offset,
                                        vantor::game_stock_identity.stock_count};
  vantor::patch_session session(vantor::session_ports{ports, &ports}, identity);
  check(session.start_session(game), "the session ended");
  check(valid_utf8(ports.description), "the description is not UTF-8");
  const auto& state = session.state();
  check(state.new_frames.frame_bytes() == static_cast<std::int64_t>(frame_file_size >= 4 ? frame_file_size - 4 : 0),
        "wrong frame block");
  check(ports.summary.starts_with("总帧数="), "no frame summary");

  const bool upgraded = session.on_upgrade_clicked();
  if (upgraded) {
    const vantor::byte_view frames(frame_file, static_cast<std::size_t>(state.new_frames.frame_bytes()));
    vantor::byte_string expected = stock();
    expected.insert(expected.end(), frames.begin(), frames.end());
    vantor::store_le32(expected.data() + identity.count_offset,
                       vantor::upgraded_frame_count(identity, state.new_frames.count));
    check(vantor::fuzzing::file_bytes(game + "/Common/character.amb") == expected, "the upgraded bundle is wrong");
    check(ports.last_message == vantor::testing::texts::upgraded, "success not reported");
  } else {
    check(ports.last_message == vantor::testing::texts::not_upgraded, "failure not reported");
    check(vantor::fuzzing::file_bytes(game + "/Common/character.amb") == stock(),
          "a failed upgrade changed the bundle");
  }
  check(vantor::platform::memory_files::open_handles() == 0, "a file was left open");
  // Whatever the execution made goes with it: libFuzzer runs an input once
  // more, looking for a leak, whenever it ends with more allocations than
  // frees.
  vantor::platform::memory_files::clear();
  return 0;
}
