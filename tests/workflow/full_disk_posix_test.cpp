// A command that fails at its last step on a nearly full disk: the pose and
// action files have other names elsewhere (hard links), so replacing them
// frees no space, and the live bundle's rename fails (the game holds it).
// Whatever space is left, the roll-back needs none: every file is as it
// was, the very same file with its other names, and nothing is left over.
// Needs a small tmpfs of its own (root, where the machine allows it).

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/fault_hook.h"
#include "support/fake_ports.h"
#include "support/file_identity.h"
#include "support/game_folder.h"
#include "support/player_texts.h"
#include "support/temp_folder.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
namespace texts = testing::texts;
using testing::identity_of;

// Every file below a folder with its bytes, and each file's identity.
struct tree_state {
  std::map<std::string, byte_string> files;
  std::map<std::string, std::uint64_t> identities;
  bool operator==(const tree_state&) const = default;
};

tree_state state_of(const fs::path& root) {
  tree_state state;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = fs::relative(entry.path(), root).string();
    if (entry.is_regular_file()) {
      state.files[relative] = testing::file_bytes(entry.path().string());
      state.identities[relative] = identity_of(entry.path().string());
    } else {
      state.files[relative] = testing::bytes_of("<folder>");
    }
  }
  return state;
}

// The live bundle's rename fails, as when the game holds the bundle.
class bundle_held final : public platform::fault_hook {
 public:
  bundle_held() { platform::set_fault_hook(this); }
  ~bundle_held() override { platform::set_fault_hook(nullptr); }
  platform::fault before(platform::operation op, std::string_view, std::string_view other) override {
    if (op == platform::operation::rename && std::string(other).ends_with("Common/character.amb"))
      return {os_error::in_use};
    return {};
  }
};

std::vector<std::string> run(const std::string& game, testing::command command) {
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  if (!session.start_session(game)) return {"<ended>"};
  if (command == testing::command::upgrade)
    session.on_upgrade_clicked();
  else
    session.on_restore_clicked();
  return fake.messages;
}

// Leaves about `left` bytes free on the file system of `folder`.
void fill_leaving(const fs::path& filler, std::uint64_t left) {
  struct statvfs info {};
  ASSERT_EQ(::statvfs(filler.parent_path().c_str(), &info), 0);
  const std::uint64_t free = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
  std::ofstream out(filler, std::ios::binary);
  const std::string block(4096, '\0');
  for (std::uint64_t written = 0; written + left < free && out; written += block.size()) out.write(block.data(), 4096);
}

TEST(FullDisk, ARollBackNeedsNoSpaceAndGivesBackTheVeryFiles) {
  testing::temp_folder dir;
  const fs::path disk = dir / "disk";
  fs::create_directory(disk);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=2m") != 0)
    GTEST_SKIP() << "this machine does not allow mounting a tmpfs";
  const testing::game_folder model;
  int runs = 0;
  for (const testing::command command : {testing::command::upgrade, testing::command::restore}) {
    for (std::uint64_t left = 0; left <= 256 * 1024; left += 16 * 1024) {
      SCOPED_TRACE(::testing::Message() << (command == testing::command::upgrade ? "upgrade" : "restore") << " with "
                                        << left / 1024 << " KB free");
      const fs::path game = disk / "game", links = disk / "links";
      fs::remove_all(game);
      fs::remove_all(links);
      fs::copy(model.root(), game, fs::copy_options::recursive);
      if (command == testing::command::restore) {
        ASSERT_EQ(run(game.string(), testing::command::upgrade).back(), texts::upgraded);
      }
      // The player's other names for the pose and action files.
      fs::create_directory(links);
      fs::create_hard_link(game / "pmodel/P0.POS", links / "P0.POS");
      fs::create_hard_link(game / "Common/character.act", links / "character.act");
      const tree_state before = state_of(game);
      fill_leaving(disk / "filler", left);

      std::vector<std::string> messages;
      {
        bundle_held held;
        messages = run(game.string(), command);
      }
      ++runs;
      EXPECT_EQ(messages.back(), command == testing::command::upgrade ? texts::not_upgraded : texts::not_restored);
      EXPECT_EQ(state_of(game), before) << "a file is not as it was";
      EXPECT_EQ(identity_of((game / "pmodel/P0.POS").string()), identity_of((links / "P0.POS").string()));
      EXPECT_EQ(identity_of((game / "Common/character.act").string()), identity_of((links / "character.act").string()));
      fs::remove(disk / "filler");
      if (::testing::Test::HasFailure()) break;
    }
  }
  ::umount(disk.c_str());
  EXPECT_EQ(runs, 34);
}

}  // namespace
}  // namespace vantor
