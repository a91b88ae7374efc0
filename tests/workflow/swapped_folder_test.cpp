// Another program swaps a folder of the model folder being unpacked for a
// link to a folder outside the game, between two entries: nothing is ever
// written outside, and the upgrade either fails with nothing installed or,
// where the system does not let a held folder be moved (Windows), goes on
// whole.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/fault_hook.h"
#include "platform/files.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "support/zip_fixture.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
namespace texts = testing::texts;
using namespace testing::fixture;
using testing::click;
using testing::command;

// At the first file made below `trigger`, moves `swapped` away and puts a
// link to `outside` in its place, with the system's own calls (the
// platform layer would ask this hook again).
class swapping_hook final : public platform::fault_hook {
 public:
  swapping_hook(std::string trigger, fs::path swapped, fs::path outside)
      : trigger_(std::move(trigger)), swapped_(std::move(swapped)), outside_(std::move(outside)) {
    platform::set_fault_hook(this);
  }
  ~swapping_hook() override { platform::set_fault_hook(nullptr); }

  platform::fault before(platform::operation op, std::string_view path, std::string_view) override {
    if (attempted || op != platform::operation::open ||
        testing::generic_path(std::string(path)).find(trigger_) == std::string::npos)
      return {};
    attempted = true;
    std::error_code moved;
    fs::rename(swapped_, swapped_.parent_path() / "moved-away", moved);
    if (moved) return {};  // the system keeps a held folder where it is
    std::error_code linked;
    fs::create_directory_symlink(outside_, swapped_, linked);
    made_swap = !linked;
    return {};
  }

  bool attempted = false;
  bool made_swap = false;

 private:
  std::string trigger_;
  fs::path swapped_;
  fs::path outside_;
};

struct swap_case {
  const char* name;
  const char* swapped;  ///< relative to the game folder
  friend void PrintTo(const swap_case& c, std::ostream* os) { *os << c.name; }
};

class SwappedFolder : public ::testing::TestWithParam<swap_case> {};

TEST_P(SwappedFolder, NothingIsWrittenOutsideTheGame) {
  testing::game_folder game;
  fs::remove_all(testing::native_path(game.path("pmodel")));
  std::vector<zip_item> items;
  for (int i = 0; i < 40; ++i) items.push_back(file_item("mesh/m" + std::to_string(i) + ".msh", "mesh data"));
  write_zip(game.path("pmodel.pak"), items);
  const fs::path outside = testing::native_path(game.path("../outside"));
  fs::create_directories(outside);

  std::string last;
  bool swapped = false;
  {
    swapping_hook hook("pmodel.vantor-tmp/mesh/m20.msh", testing::native_path(game.path(GetParam().swapped)), outside);
    last = click(game, command::upgrade).back();
    ASSERT_TRUE(hook.attempted);
    swapped = hook.made_swap;
  }
  EXPECT_TRUE(fs::is_empty(outside)) << "files were written outside the game";
  if (swapped) {
    EXPECT_EQ(last, texts::not_upgraded);
    EXPECT_FALSE(fs::exists(fs::symlink_status(testing::native_path(game.path("pmodel")))));
    EXPECT_EQ(testing::file_bytes(game.bundle()), testing::small_stock().bundle);
  } else {
    EXPECT_EQ(last, texts::upgraded);
    EXPECT_EQ(game.snapshot("pmodel").size(), 42u) << "mesh, its 40 files and P0.POS";
  }
}

INSTANTIATE_TEST_SUITE_P(Folders, SwappedFolder,
                         ::testing::Values(swap_case{"a_folder_inside", "pmodel.vantor-tmp/mesh"},
                                           swap_case{"the_folder_being_unpacked", "pmodel.vantor-tmp"}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
