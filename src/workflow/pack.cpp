#include "workflow/pack.h"

#include <algorithm>
#include <array>

#include "formats/animation_bundle.h"
#include "formats/game_layout.h"
#include "platform/system_error.h"
#include "services/archive/archive_paths.h"
#include "services/archive/archive_writer.h"
#include "services/digest.h"
#include "services/files.h"
#include "services/folder_tree.h"
#include "services/little_endian.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "services/texts.h"
#include "workflow/pack_proof.h"
#include "workflow/refusal.h"

namespace vantor {

namespace {

std::string_view pack_words(pack_refusal kind) {
  switch (kind) {
    case pack_refusal::not_empty:
      return "is not an empty folder";
    case pack_refusal::no_stock_prefix:
      return "does not start with the stock bundle (not even with its frame count set back)";
    case pack_refusal::no_new_frames:
      return "holds no new frames (its frame count is the stock one)";
    case pack_refusal::backup_not_prefix:
      return "is not the stock bundle the modded bundle starts with";
    case pack_refusal::not_a_picture:
      return "is not a picture the patcher's window shows (JPEG, BMP, GIF, ICO, CUR or PCX)";
    case pack_refusal::not_reproduced:
      return "is not what the package installs on a stock game";
    case pack_refusal::not_restored:
      return "is not the stock bundle after the restore that follows the trial install";
  }
  return "was refused";
}

// Covers larger than this are not shown by the window (it does not read them).
constexpr std::int64_t largest_cover = std::int64_t{64} << 20;

// "U+1F600" for a character given in UTF-8.
std::string code_point_name(std::string_view utf8) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(utf8[i])); };
  std::uint32_t c = utf8.empty() ? 0 : byte(0);
  const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  if (length > 1) c &= 0x3Fu >> (length - 1);
  for (std::size_t i = 1; i < length && i < utf8.size(); ++i) c = c << 6 | (byte(i) & 0x3F);
  std::string name = "U+";
  const char* digits = "0123456789ABCDEF";
  std::string hex;
  for (; c != 0 || hex.size() < 4; c >>= 4) hex.insert(hex.begin(), digits[c & 0xF]);
  return name + hex;
}

// What the package is made of, found before anything is written.
struct pack_inputs {
  text bundle, backup, pose, action, models;
  std::int64_t bundle_size = 0;
  std::int32_t new_frames = 0;
  std::vector<tree_entry> model_entries;
  byte_string cover;
  byte_string description;
  bool has_cover = false, has_description = false;
};

std::int64_t size_of(std::string_view path) {
  auto in = file_reader::open(path);
  if (!in) return 0;
  return std::move(in->size()).value_or(0);
}

class packer {
 public:
  explicit packer(const pack_request& request) : request_(request) {}

  pack_result run();

 private:
  void refuse(const failure& why) { result_.reasons.push_back(describe(why, request_.game_folder)); }
  bool check_inputs();
  void check_bundle();
  void check_models();
  bool write_package();
  bool cut_bundle();
  bool put(std::string_view name, const byte_string& bytes);
  bool put_copy(std::string_view name, std::string_view source);
  bool write_model_package();
  void clear_output();

  const pack_request& request_;
  pack_result result_;
  pack_inputs in_;
  bool made_folder_ = false;
  text updates_;
};

bool packer::check_inputs() {
  using namespace layout;
  const text& game = request_.game_folder;
  in_.bundle = path_in(game, {common_folder, bundle_name});
  in_.backup = path_in(game, {common_folder, backup_name});
  in_.action = path_in(game, {common_folder, action_name});
  in_.models = resolve_path(path_in(game, {model_folder}));
  in_.pose = path_in(in_.models, {pose_name});

  check_bundle();
  for (const text& file : {in_.pose, in_.action})
    if (!is_regular_file(file) || size_of(file) == 0) refuse({refusal::missing_or_empty, resolve_path(file)});
  check_models();

  if (request_.cover) {
    auto cover = read_whole_file(*request_.cover, largest_cover);
    if (!cover) {
      result_.reasons.push_back(describe(cover.error(), {}));
    } else if (request_.shows_picture != nullptr && !request_.shows_picture(*cover)) {
      result_.reasons.push_back(describe(failure{pack_refusal::not_a_picture, *request_.cover}, {}));
    } else {
      in_.cover = std::move(*cover);
      in_.has_cover = true;
    }
  }
  if (request_.description) {
    auto description = read_whole_file(*request_.description);
    if (!description) {
      result_.reasons.push_back(describe(description.error(), {}));
    } else {
      const std::string_view bytes(reinterpret_cast<const char*>(description->data()), description->size());
      gbk_description gbk = description_in_gbk(bytes);
      if (!gbk.missing_character.empty()) {
        result_.reasons.push_back(printable(*request_.description) + " holds " + printable(gbk.missing_character) +
                                  " (" + code_point_name(gbk.missing_character) +
                                  "), which GBK cannot hold: the window reads the description in GBK");
      } else {
        in_.description = std::move(gbk.bytes);
        in_.has_description = true;
      }
    }
  }
  return result_.reasons.empty();
}

void packer::check_bundle() {
  const stock_identity& identity = request_.identity;
  const bundle_inspection found = inspect_bundle(in_.bundle, identity);
  in_.bundle_size = size_of(in_.bundle);
  const text bundle = resolve_path(in_.bundle);
  switch (found.kind) {
    case bundle_kind::missing:
      refuse({refusal::missing_or_empty, bundle});
      return;
    case bundle_kind::modified:
      refuse(found.unread ? *found.unread : failure{pack_refusal::no_stock_prefix, bundle});
      return;
    case bundle_kind::stock:
      refuse({pack_refusal::no_new_frames, bundle});
      return;
    case bundle_kind::upgraded:
      break;
  }
  const std::int64_t new_frames = std::int64_t{found.frame_count} - identity.stock_count;
  const std::int64_t frame_bytes = in_.bundle_size - identity.prefix_length;
  if (new_frames <= 0 || !frame_count_fits(identity, static_cast<std::int32_t>(new_frames), frame_bytes)) {
    refuse({refusal::bad_frame_count, bundle});
    return;
  }
  in_.new_frames = static_cast<std::int32_t>(new_frames);
  // A backup beside it must be the very prefix the package is made on.
  if (entry_type_of(in_.backup) != entry_type::none) {
    const bundle_inspection backup = inspect_bundle(in_.backup, identity);
    if (backup.kind != bundle_kind::stock || size_of(in_.backup) != identity.prefix_length)
      refuse(backup.unread ? *backup.unread : failure{pack_refusal::backup_not_prefix, resolve_path(in_.backup)});
  }
}

void packer::check_models() {
  if (entry_type_of(in_.models) == entry_type::none) {
    refuse({refusal::missing_or_empty, in_.models});
    return;
  }
  auto entries = list_tree(in_.models);
  if (!entries) {
    refuse(entries.error());
    return;
  }
  for (const tree_entry& entry : *entries) {
    const auto stored = store_entry_name(entry.folder ? entry.name + "/" : entry.name);
    if (!stored) refuse({stored.error().kind, layout::path_in(in_.models, {entry.name})});
    if (entry.folder)
      ++result_.model_folders;
    else
      ++result_.model_files;
  }
  in_.model_entries = std::move(*entries);
}

bool packer::put(std::string_view name, const byte_string& bytes) {
  if (status made = replace_file_atomically(layout::path_in(updates_, {name}), bytes); !made) {
    refuse(made.error());
    return false;
  }
  return true;
}

bool packer::put_copy(std::string_view name, std::string_view source) {
  auto staged = staged_file::prepare_copy(layout::path_in(updates_, {name}), source);
  status made = staged ? staged->commit() : status(staged.error());
  if (!made) {
    refuse(made.error());
    return false;
  }
  return true;
}

// One pass over the modded bundle: the stock prefix, its count set back,
// becomes the trial game's bundle; the rest is the frame block of
// new.amb.out, which ends with the count. The prefix is proved again as it
// is copied, so a bundle changed since the checks is not packed.
bool packer::cut_bundle() {
  using namespace layout;
  const stock_identity& identity = request_.identity;
  const text trial_bundle = path_in(request_.out_folder, {common_folder, bundle_name});
  if (status made = create_folder_path(path_in(request_.out_folder, {common_folder})); !made) {
    refuse(made.error());
    return false;
  }
  auto in = file_reader::open(in_.bundle);
  auto stock_out = staged_writer::create(trial_bundle);
  auto frames_out = staged_writer::create(path_in(updates_, {update_frames}));
  for (const status& opened : {in ? status() : status(in.error()), stock_out ? status() : status(stock_out.error()),
                               frames_out ? status() : status(frames_out.error())}) {
    if (!opened) {
      refuse(opened.error());
      return false;
    }
  }
  md5 prefix;
  std::int64_t offset = 0;
  std::array<std::uint8_t, 4> field{};
  std::optional<failure> write_failed;
  byte_string buffer = piece_buffer(in_.bundle_size);
  const auto read = read_in_pieces(*in, in_.bundle_size, buffer, [&](std::span<std::uint8_t> piece) {
    const auto in_prefix = static_cast<std::size_t>(
        std::clamp<std::int64_t>(identity.prefix_length - offset, 0, static_cast<std::int64_t>(piece.size())));
    if (in_prefix > 0) {
      const std::span<std::uint8_t> head = piece.first(in_prefix);
      for (std::size_t i = 0; i < field.size(); ++i) {
        const std::int64_t at = identity.count_offset + static_cast<std::int64_t>(i) - offset;
        if (at >= 0 && at < static_cast<std::int64_t>(head.size())) field[i] = head[static_cast<std::size_t>(at)];
      }
      set_count_field(head, offset, identity, identity.stock_count);
      prefix.update(head);
      if (status written = stock_out->write(head); !written) write_failed = written.error();
    }
    if (in_prefix < piece.size())
      if (status written = frames_out->write(piece.subspan(in_prefix)); !written) write_failed = written.error();
    offset += static_cast<std::int64_t>(piece.size());
    return !write_failed;
  });
  if (!read) write_failed = read.error();
  if (write_failed) {
    refuse(*write_failed);
    return false;
  }
  const bool same =
      *read == in_.bundle_size && hex_text(prefix.finish()) == identity.digest &&
      static_cast<std::int32_t>(load_le32(field.data())) == upgraded_frame_count(identity, in_.new_frames);
  if (!same) {
    refuse({refusal::changed, resolve_path(in_.bundle)});
    return false;
  }
  std::array<std::uint8_t, 4> count{};
  store_le32(count.data(), in_.new_frames);
  if (status written = frames_out->write(count); !written) {
    refuse(written.error());
    return false;
  }
  for (auto* writer : {&*stock_out, &*frames_out}) {
    auto finished = writer->finish();
    status committed = finished ? finished->commit() : status(finished.error());
    if (!committed) {
      refuse(committed.error());
      return false;
    }
  }
  return true;
}

bool packer::write_model_package() {
  auto archive = archive_writer::create(layout::path_in(request_.out_folder, {layout::model_package}));
  if (!archive) {
    refuse(archive.error());
    return false;
  }
  for (const tree_entry& entry : in_.model_entries) {
    status added = entry.folder ? archive->add_folder(entry.name)
                                : archive->add_file(entry.name, layout::path_in(in_.models, {entry.name}));
    if (!added) {
      refuse(added.error());
      return false;
    }
  }
  if (status closed = archive->close(); !closed) {
    refuse(closed.error());
    return false;
  }
  return true;
}

bool packer::write_package() {
  using namespace layout;
  updates_ = path_in(request_.out_folder, {update_folder});
  if (status made = create_folder_path(updates_); !made) {
    refuse(made.error());
    return false;
  }
  if (!cut_bundle() || !put_copy(update_pose, in_.pose) || !put_copy(update_action, in_.action)) return false;
  if (in_.has_cover && !put(update_cover, in_.cover)) return false;
  if (in_.has_description && !put(update_description, in_.description)) return false;
  return write_model_package();
}

void packer::clear_output() {
  if (made_folder_) {
    (void)remove_folder_tree(request_.out_folder);
    return;
  }
  const auto entries = list_tree(request_.out_folder);
  if (!entries) return;
  for (const tree_entry& entry : *entries)
    if (entry.name.find('/') == std::string::npos)
      (void)remove_folder_tree(layout::path_in(request_.out_folder, {entry.name}));
}

pack_result packer::run() {
  const text& out = request_.out_folder;
  // The output folder first: a folder in use is a mistake of the command.
  switch (entry_type_of(out)) {
    case entry_type::none:
      break;
    case entry_type::folder:
    case entry_type::link: {
      const auto entries = list_tree(out);
      if (entries && entries->empty()) break;
      [[fallthrough]];
    }
    default:
      result_.out_folder_in_use = true;
      result_.reasons.push_back(describe(failure{pack_refusal::not_empty, out}, {}));
      return result_;
  }
  if (!check_inputs()) return result_;

  if (entry_type_of(out) == entry_type::none) {
    if (status made = create_folder_path(out); !made) {
      result_.reasons.push_back(describe(made.error(), {}));
      return result_;
    }
    made_folder_ = true;
  }
  if (!write_package()) {
    clear_output();
    return result_;
  }
  if (std::vector<std::string> unproved = prove_package(out, request_.game_folder, request_.identity);
      !unproved.empty()) {
    result_.reasons = std::move(unproved);
    clear_output();
    return result_;
  }

  using namespace layout;
  const stock_identity& identity = request_.identity;
  result_.new_frames = in_.new_frames;
  result_.first_frame = identity.stock_count;
  result_.last_frame = upgraded_frame_count(identity, in_.new_frames);
  std::vector<std::string_view> names = {update_frames, update_pose, update_action};
  if (in_.has_cover) names.push_back(update_cover);
  if (in_.has_description) names.push_back(update_description);
  for (std::string_view name : names)
    result_.files.push_back({std::string(update_folder) + "/" + std::string(name), size_of(path_in(updates_, {name}))});
  result_.files.push_back({text(model_package), size_of(path_in(out, {model_package}))});
  result_.made = true;
  return result_;
}

}  // namespace

const failure_category& category_of(pack_refusal) {
  static const worded_category<pack_refusal, pack_words> category("pack");
  return category;
}

pack_result make_update_package(const pack_request& request) { return packer(request).run(); }

}  // namespace vantor
