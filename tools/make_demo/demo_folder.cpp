#include "demo_folder.h"

#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <string_view>

#include "formats/demo_bundle.h"
#include "formats/restore_payloads.h"
#include "services/little_endian.h"
#include "zip_writer.h"

extern const unsigned char vantor_demo_cover[];
extern const std::size_t vantor_demo_cover_size;

namespace vantor {

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t demo_new_frames = 39;
constexpr std::size_t demo_frame_size = 192;

constexpr std::string_view demo_description =
    "Vantor 动画升级包（演示版）\r\n"
    "\r\n"
    "这是 vantor-patcher 自带的演示更新包，用来试用升级与复原：\r\n"
    "  · 新增 39 帧动画，帧号 17061 – 17100\r\n"
    "  · 新的 P0.POS 与 character.act\r\n"
    "\r\n"
    "点击“开始升级”安装，点击“复原”恢复原版文件。\r\n"
    "原版动画会自动备份为 Common\\原始动画备份.amb。\r\n";

byte_string to_gbk(std::string_view utf8) {
  iconv_t converter = iconv_open("GBK", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return byte_string(utf8.begin(), utf8.end());
  byte_string out(utf8.size() * 2);
  auto* in = const_cast<char*>(utf8.data());
  std::size_t in_left = utf8.size();
  auto* out_ptr = reinterpret_cast<char*>(out.data());
  std::size_t out_left = out.size();
  iconv(converter, &in, &in_left, &out_ptr, &out_left);
  iconv_close(converter);
  out.resize(out.size() - out_left);
  return out;
}

byte_string text_bytes(std::string_view text) { return byte_string(text.begin(), text.end()); }

byte_string view_bytes(byte_view view) { return byte_string(view.begin(), view.end()); }

// 39 frames of made-up frame data, then their count.
byte_string demo_frame_package() {
  byte_string package(demo_frame_size * demo_new_frames + 4);
  std::uint32_t state = 0xfeedbeefu;
  for (std::size_t i = 0; i + 4 < package.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    package[i] = static_cast<std::uint8_t>(state >> 24);
  }
  store_le32(package.data() + package.size() - 4, demo_new_frames);
  return package;
}

// The update package's pose file: the original poses, plus one new pose
// that plays the new frames.
byte_string demo_pose_update() {
  byte_string pose = view_bytes(pose_restore_payload());
  const byte_string added = text_bytes(
      "Pose 574  # demo\r\n{\r\n\tsource 0\r\n\tStart 17061\r\n\tEnd 17100\r\n"
      "\tLoopStart 17061\r\n\tLoopEnd 17100\r\n}\r\n");
  pose.insert(pose.end(), added.begin(), added.end());
  return pose;
}

byte_string demo_action_update() {
  byte_string action = view_bytes(action_restore_payload());
  const byte_string added = text_bytes("\r\ngroup(574)\r\n0(574)");
  action.insert(action.end(), added.begin(), added.end());
  return action;
}

bool write_model_package(const std::string& path) {
  zip_item pose;
  pose.name = "P0.POS";
  pose.data = view_bytes(pose_restore_payload());
  zip_item mesh = file_item("mesh/hero.msh", "demo mesh: a stand-in for the game's model data\r\n");
  zip_item folder = folder_item("mesh/");
  for (zip_item* item : {&pose, &folder, &mesh}) item->dos_time = dos_date_time(2024, 1, 12, 0, 0, 0);
  return write_zip_archive(path, {pose, folder, mesh});
}

// Writes a file whole; the demo folder is new, so nothing can be torn.
bool put_file(const std::string& path, const byte_string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

demo_result make_demo_folder(const std::string& folder, std::string& error) {
  std::error_code code;
  if (fs::exists(folder, code)) {
    if (!fs::is_directory(folder, code) || !fs::is_empty(folder, code)) {
      error = folder + " exists and is not an empty folder";
      return demo_result::folder_not_empty;
    }
  }
  for (const char* sub : {"", "/Common", "/updatefile"}) {
    fs::create_directories(folder + sub, code);
    if (code) {
      error = "cannot create " + folder + sub + ": " + code.message();
      return demo_result::failed;
    }
  }

  const struct {
    const char* path;
    byte_string bytes;
  } files[] = {
      {"/Vantor.exe", text_bytes("Vantor demo: a placeholder for the game executable\n")},
      {"/Common/character.amb", make_demo_stock_bundle()},
      {"/Common/character.act", view_bytes(action_restore_payload())},
      {"/updatefile/p0.pos", demo_pose_update()},
      {"/updatefile/character.act", demo_action_update()},
      {"/updatefile/new.amb.out", demo_frame_package()},
      {"/updatefile/封面图片.jpg", byte_string(vantor_demo_cover, vantor_demo_cover + vantor_demo_cover_size)},
      {"/updatefile/界面说明.txt", to_gbk(demo_description)},
  };
  for (const auto& file : files) {
    if (!put_file(folder + file.path, file.bytes)) {
      error = "cannot write " + folder + file.path;
      return demo_result::failed;
    }
  }
  if (!write_model_package(folder + "/pmodel.pak")) {
    error = "cannot write " + folder + "/pmodel.pak";
    return demo_result::failed;
  }
  return demo_result::written;
}

}  // namespace vantor
