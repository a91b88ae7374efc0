#include "workflow/pack_proof.h"

#include <string_view>

#include "formats/animation_bundle.h"
#include "formats/game_layout.h"
#include "services/file_compare.h"
#include "services/files.h"
#include "services/folder_tree.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "workflow/pack.h"
#include "workflow/session.h"

namespace vantor {

namespace {

// The trial install shows its messages to no one: its reasons are what count.
class unseen_messages final : public message_port {
 public:
  void show_message(std::string_view) override {}
};

// Whether the trial game's model folder is the game's: the same entries,
// and every file the same bytes.
std::vector<std::string> compare_model_folders(const text& trial, const text& game, const text& game_folder) {
  const auto ours = list_tree(trial);
  const auto theirs = list_tree(game);
  if (!ours || !theirs) return {describe(failure{pack_refusal::not_reproduced, game}, game_folder)};
  std::vector<std::string> reasons;
  std::size_t i = 0, j = 0;
  while (i < ours->size() || j < theirs->size()) {
    // Both lists are sorted the same way: an entry on one side only is a
    // difference.
    const tree_entry* mine = i < ours->size() ? &(*ours)[i] : nullptr;
    const tree_entry* found = j < theirs->size() ? &(*theirs)[j] : nullptr;
    if (found == nullptr || (mine != nullptr && mine->name < found->name)) {
      reasons.push_back(
          describe(failure{pack_refusal::not_reproduced, layout::path_in(game, {mine->name})}, game_folder));
      ++i;
      continue;
    }
    if (mine == nullptr || found->name < mine->name || mine->folder != found->folder) {
      reasons.push_back(
          describe(failure{pack_refusal::not_reproduced, layout::path_in(game, {found->name})}, game_folder));
      if (mine != nullptr && mine->name == found->name) ++i;
      ++j;
      continue;
    }
    if (!mine->folder) {
      const text game_file = layout::path_in(game, {found->name});
      const auto same = same_file_bytes(layout::path_in(trial, {mine->name}), game_file);
      if (!same || !*same) reasons.push_back(describe(failure{pack_refusal::not_reproduced, game_file}, game_folder));
    }
    ++i;
    ++j;
  }
  return reasons;
}

// Takes away what the trial game added to the package's folder.
void clear_trial_game(const text& out_folder) {
  const auto entries = list_tree(out_folder);
  if (!entries) return;
  for (const tree_entry& entry : *entries) {
    if (entry.name.find('/') != std::string::npos) continue;
    if (entry.name == layout::update_folder || entry.name == layout::model_package) continue;
    (void)remove_folder_tree(layout::path_in(out_folder, {entry.name}));
  }
}

std::vector<std::string> trial_install(const text& out_folder, const text& game_folder,
                                       const stock_identity& identity) {
  using namespace layout;
  std::vector<std::string> reasons;
  if (status made = replace_file_atomically(path_in(out_folder, {game_executable}), byte_string{}); !made)
    return {describe(made.error(), game_folder)};

  unseen_messages messages;
  patch_session session(session_ports{messages}, identity);
  const auto told = [&](std::string_view what) {
    for (const failure& why : session.reasons())
      reasons.push_back(std::string(what) + ": " + describe(why, out_folder));
  };
  if (!session.start_session(out_folder) || !session.run_upgrade()) {
    told("installing the package on a stock game failed");
    if (reasons.empty()) reasons.emplace_back("installing the package on a stock game failed");
    return reasons;
  }

  const text game_common = path_in(game_folder, {common_folder});
  const text game_models = resolve_path(path_in(game_folder, {model_folder}));
  const text trial_common = path_in(out_folder, {common_folder});
  const text trial_models = path_in(out_folder, {model_folder});
  const struct {
    text trial;
    text game;
  } files[] = {
      {path_in(trial_common, {bundle_name}), path_in(game_common, {bundle_name})},
      {path_in(trial_common, {action_name}), path_in(game_common, {action_name})},
  };
  for (const auto& file : files) {
    const auto same = same_file_bytes(file.trial, file.game);
    if (!same || !*same)
      reasons.push_back(describe(failure{pack_refusal::not_reproduced, resolve_path(file.game)}, game_folder));
  }
  // The pose file is one of the model folder's files.
  for (std::string& reason : compare_model_folders(trial_models, game_models, game_folder))
    reasons.push_back(std::move(reason));
  if (!reasons.empty()) return reasons;

  if (!session.run_restore()) {
    told("restoring the stock game after installing the package failed");
    if (reasons.empty()) reasons.emplace_back("restoring the stock game after installing the package failed");
    return reasons;
  }
  const text restored = path_in(trial_common, {bundle_name});
  const bundle_inspection found = inspect_bundle(restored, identity);
  auto in = file_reader::open(restored);
  const auto size = in ? in->size() : outcome<std::int64_t>(in.error());
  if (found.kind != bundle_kind::stock || !size || *size != identity.prefix_length)
    reasons.push_back(describe(failure{pack_refusal::not_restored, restored}, out_folder));
  return reasons;
}

}  // namespace

std::vector<std::string> prove_package(const text& out_folder, const text& game_folder,
                                       const stock_identity& identity) {
  std::vector<std::string> reasons = trial_install(out_folder, game_folder, identity);
  clear_trial_game(out_folder);
  return reasons;
}

}  // namespace vantor
