// A command that fails after it put a pose or action file in place gives
// back exactly what stood there: a file with its bytes and permissions, a
// link as the link itself (never its target, never deleted), or nothing.
// Each kind of old entry meets a failure at every later operation.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/files.h"
#include "support/entry_state.h"
#include "support/fault_injector.h"
#include "support/game_folder.h"
#include "support/player_texts.h"

namespace vantor {
namespace {

namespace texts = testing::texts;
using testing::bytes_of;
using testing::command;
using testing::entry_at;

struct old_entry {
  const char* name;
  /// Puts this kind of entry at the path; false when this system cannot.
  std::function<bool(const testing::game_folder&, const std::string& path)> arrange;
};

bool replaced_by_link(const testing::game_folder& game, const std::string& path, const std::string& text) {
  (void)platform::remove_entry(path);
  testing::put_file(game.path("elsewhere/kept.bin"), bytes_of("the player's own file"));
  return platform::make_link(text, path).ok();
}

const old_entry old_entries[] = {
    {"file", [](auto&, auto&) { return true; }},
    {"read_only_file", [](auto&, auto& path) { return platform::set_writable(path, false).ok(); }},
    {"link_to_a_file",
     [](auto& game, auto& path) { return replaced_by_link(game, path, game.path("elsewhere/kept.bin")); }},
    {"dangling_link", [](auto& game, auto& path) { return replaced_by_link(game, path, game.path("nowhere.bin")); }},
    {"missing", [](auto&, auto& path) { return platform::remove_entry(path).ok(); }},
};

struct rollback_case {
  const char* name;
  command run;
  const char* slot;  ///< the file the command replaces, relative to the game
  friend void PrintTo(const rollback_case& c, std::ostream* os) { *os << c.name; }
};

class Rollback : public ::testing::TestWithParam<rollback_case> {};

TEST_P(Rollback, AFailureAtAnyLaterOperationGivesBackWhatStoodThere) {
  const rollback_case& c = GetParam();
  const std::string success = c.run == command::upgrade ? texts::upgraded : texts::restored;
  const auto arranged = [&](const testing::game_folder& game, const old_entry& old) {
    if (c.run == command::restore && testing::click(game, command::upgrade).back() != texts::upgraded) return false;
    return old.arrange(game, game.path(c.slot));
  };
  for (const old_entry& old : old_entries) {
    SCOPED_TRACE(old.name);
    int operations = 0;
    {
      testing::game_folder game;
      if (!arranged(game, old)) continue;  // no links on this system
      testing::fault_injector counter([](auto, auto) { return false; });
      ASSERT_EQ(testing::click(game, c.run).back(), success);
      operations = counter.operations_seen();
    }
    for (int k = 1; k <= operations; ++k) {
      SCOPED_TRACE(::testing::Message() << "operation " << k << " of " << operations << " fails");
      testing::game_folder game;
      ASSERT_TRUE(arranged(game, old));
      const auto before = entry_at(game.path(c.slot));
      std::vector<std::string> messages;
      {
        testing::fault_injector fault(testing::fault_injector::any(), k, true);
        messages = testing::click(game, c.run);
      }
      const auto after = entry_at(game.path(c.slot));
      if (messages.back() == success) {
        EXPECT_EQ(after.kind, platform::entry_kind::file);
      } else if (after != before) {
        // Only the last step's folder flush can fail with the set in
        // place; the slot then holds its whole new version.
        EXPECT_EQ(after.kind, platform::entry_kind::file) << "was " << before << ", now " << after;
      }
      if (before.kind == platform::entry_kind::link) {
        EXPECT_EQ(testing::file_bytes(game.path("elsewhere/kept.bin")), bytes_of("the player's own file"));
      }
      EXPECT_EQ(testing::click(game, c.run).back(), success);
      if (::testing::Test::HasFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Slots, Rollback,
                         ::testing::Values(rollback_case{"upgrade_pose", command::upgrade, "pmodel/P0.POS"},
                                           rollback_case{"upgrade_action", command::upgrade, "Common/character.act"},
                                           rollback_case{"restore_pose", command::restore, "pmodel/P0.POS"},
                                           rollback_case{"restore_action", command::restore, "Common/character.act"}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
