// When a command fails, the window tells the player why in one more box,
// just before 升级失败！ or 复原失败！: one sentence for each kind of
// failure, with every box the window showed before kept in its place.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/fault_hook.h"
#include "platform/files.h"
#include "platform/system_error.h"
#include "services/run_lock.h"
#include "support/fake_ports.h"
#include "support/fault_injector.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "support/zip_fixture.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace texts = testing::texts;
namespace fs = std::filesystem;
using testing::command;
using testing::put_file;

// A path inside the game as the player's system writes it.
std::string in_game(std::string relative) {
  std::replace(relative.begin(), relative.end(), '/', platform::path_separator);
  return relative;
}

// What stands around the game while the command runs: a fault, a held lock.
using surroundings = std::function<std::function<void()>(const testing::game_folder&)>;

struct reason_case {
  const char* name;
  command run;
  std::function<void(testing::game_folder&)> arrange;  ///< before the session starts
  std::function<void(testing::game_folder&)> meddle;   ///< after it started, before the click
  surroundings around;
  std::function<std::vector<std::string>()> boxes;  ///< every box, in order
  surroundings from_start = nullptr;                ///< as around, from before the session starts
  friend void PrintTo(const reason_case& c, std::ostream* os) { *os << c.name; }
};

class ReasonBox : public ::testing::TestWithParam<reason_case> {};

TEST_P(ReasonBox, TellsWhyJustBeforeTheClosingMessage) {
  const reason_case& c = GetParam();
  testing::game_folder game;
  if (c.run == command::restore) {
    ASSERT_EQ(testing::click(game, command::upgrade).back(), texts::upgraded);
  }
  if (c.arrange) c.arrange(game);
  const auto held_from_start = c.from_start ? c.from_start(game) : std::function<void()>();
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  session.set_lock_wait(std::chrono::milliseconds(0));
  ASSERT_TRUE(session.start_session(game.root()));
  if (c.meddle) c.meddle(game);
  const auto before = game.snapshot();
  {
    const auto held = c.around ? c.around(game) : std::function<void()>();
    EXPECT_FALSE(c.run == command::upgrade ? session.on_upgrade_clicked() : session.on_restore_clicked());
  }
  EXPECT_EQ(fake.boxes, c.boxes());
  EXPECT_EQ(game.snapshot(), before) << "a failed command changed the game";
}

surroundings fault_on(platform::operation op, const char* fragment, failure_kind error) {
  return [=](const testing::game_folder&) -> std::function<void()> {
    auto fault = std::make_shared<testing::fault_injector>(testing::fault_injector::on(op, fragment), 1, false, error);
    return [fault] {};
  };
}

surroundings another_run() {
  return [](const testing::game_folder& game) -> std::function<void()> {
    auto held = std::make_shared<outcome<run_lock>>(run_lock::take(game.root()));
    EXPECT_TRUE(*held);
    return [held] {};
  };
}

std::vector<std::string> upgrade_failed(std::string reason) { return {std::move(reason), texts::not_upgraded}; }

const char* const in_use_words = " 正被其他程序使用，请关闭占用它的程序（比如游戏）后再试。";

// The model package instead of the model folder.
void package_only(testing::game_folder& g) {
  fs::remove_all(testing::native_path(g.path("pmodel")));
  testing::fixture::write_zip(g.path("pmodel.pak"), {testing::fixture::file_item("P0.POS", "pose")});
}
std::vector<std::string> restore_failed(std::string reason) { return {std::move(reason), texts::not_restored}; }

byte_string altered(byte_string bytes) {
  bytes[50] ^= 1;
  return bytes;
}

const reason_case reason_cases[] = {
    {"bundle_in_use", command::upgrade, nullptr, nullptr,
     fault_on(platform::operation::rename, "character.amb", os_error::in_use),
     [] {
       return upgrade_failed(in_game("Common/character.amb") +
                             " 正被其他程序使用，请关闭占用它的程序（比如游戏）后再试。");
     }},
    {"disk_full", command::upgrade, nullptr, nullptr, fault_on(platform::operation::write, "", os_error::no_space),
     [] { return upgrade_failed("磁盘空间不足，请至少留出 1 MB 空间再试。"); }},
    {"no_permission", command::restore, nullptr, nullptr,
     fault_on(platform::operation::rename, "character.act", os_error::no_permission),
     [] { return restore_failed("没有权限读写 " + in_game("Common/character.act") + "。"); }},
    {"package_files_missing", command::upgrade,
     [](auto& g) {
       fs::remove(testing::native_path(g.path("updatefile/p0.pos")));
       put_file(g.path("updatefile/character.act"), byte_string{});
     },
     nullptr, nullptr,
     [] {
       return upgrade_failed("升级包不完整，缺少文件：" + in_game("updatefile/p0.pos") + "、" +
                             in_game("updatefile/character.act") + "。");
     }},
    {"damaged_model_package", command::upgrade,
     [](auto& g) {
       fs::remove_all(testing::native_path(g.path("pmodel")));
       put_file(g.path("pmodel.pak"), testing::bytes_of("PK\x03\x04 not an archive at all"));
     },
     nullptr, nullptr, [] { return upgrade_failed("模型包 pmodel.pak 已损坏，无法安装。"); }},
    {"folder_in_the_way", command::upgrade,
     [](auto& g) {
       fs::remove(testing::native_path(g.action()));
       fs::create_directory(testing::native_path(g.action()));
     },
     nullptr, nullptr,
     [] { return upgrade_failed(in_game("Common/character.act") + " 被其他文件或文件夹占着，请移走后再试。"); }},
    {"another_run", command::upgrade, nullptr, nullptr, another_run(),
     [] { return upgrade_failed("另一个升级程序正在处理这个游戏目录，请等它结束后再试。"); }},
    {"package_changed", command::upgrade, nullptr,
     [](auto& g) {
       auto frames = testing::file_bytes(g.path("updatefile/new.amb.out"));
       frames.insert(frames.begin(), 4, std::uint8_t{7});
       put_file(g.path("updatefile/new.amb.out"), frames);
     },
     nullptr,
     [] { return upgrade_failed(in_game("updatefile/new.amb.out") + " 在显示后被改动过，请重新打开本程序再试。"); }},
    {"modified_bundle_told_once", command::upgrade,
     [](auto& g) { put_file(g.bundle(), altered(testing::small_stock().bundle)); }, nullptr, nullptr,
     [] {
       return std::vector<std::string>{texts::bundle_modified, texts::not_upgraded};
     }},
    {"restore_without_stock", command::restore,
     [](auto& g) {
       fs::remove(testing::native_path(g.backup()));
       put_file(g.bundle(), altered(testing::small_stock().bundle));
     },
     nullptr, nullptr, [] { return restore_failed(in_game("Common/character.amb") + " 不是原版文件，无法复原。"); }},
    {"system_error", command::upgrade, nullptr, nullptr,
     fault_on(platform::operation::rename, "character.amb", os_error::other),
     [] { return upgrade_failed("无法处理 " + in_game("Common/character.amb") + "。"); }},
    // A file that is there but cannot be read is neither missing nor damaged.
    {"package_file_in_use", command::upgrade, nullptr, nullptr, nullptr,
     [] { return upgrade_failed(in_game("updatefile/p0.pos") + in_use_words); },
     fault_on(platform::operation::open, "p0.pos", os_error::in_use)},
    {"frames_in_use", command::upgrade, nullptr, nullptr, nullptr,
     [] { return upgrade_failed(in_game("updatefile/new.amb.out") + in_use_words); },
     fault_on(platform::operation::open, "new.amb.out", os_error::in_use)},
    {"frames_refused", command::upgrade, nullptr, nullptr, nullptr,
     [] { return upgrade_failed("没有权限读写 " + in_game("updatefile/new.amb.out") + "。"); },
     fault_on(platform::operation::open, "new.amb.out", os_error::no_permission)},
    {"model_package_in_use", command::upgrade, package_only, nullptr,
     fault_on(platform::operation::open, "pmodel.pak", os_error::in_use),
     [] { return upgrade_failed(std::string("pmodel.pak") + in_use_words); }},
    {"model_package_is_a_folder", command::upgrade,
     [](auto& g) {
       package_only(g);
       fs::remove(testing::native_path(g.path("pmodel.pak")));
       fs::create_directory(testing::native_path(g.path("pmodel.pak")));
     },
     nullptr, nullptr, [] { return upgrade_failed("pmodel.pak 被其他文件或文件夹占着，请移走后再试。"); }},
    {"every_missing_package_file_named", command::upgrade,
     [](auto& g) {
       for (const char* name : {"p0.pos", "character.act", "new.amb.out"})
         fs::remove(testing::native_path(g.path(std::string("updatefile/") + name)));
     },
     nullptr, nullptr,
     [] {
       return upgrade_failed("升级包不完整，缺少文件：" + in_game("updatefile/p0.pos") + "、" +
                             in_game("updatefile/character.act") + "、" + in_game("updatefile/new.amb.out") + "。");
     }},
    {"missing_named_beside_another_fault", command::upgrade,
     [](auto& g) {
       fs::remove(testing::native_path(g.path("updatefile/p0.pos")));
       put_file(g.path("updatefile/new.amb.out"), testing::bytes_of("ab"));
     },
     nullptr, nullptr,
     [] {
       return upgrade_failed("升级包不完整，缺少文件：" + in_game("updatefile/p0.pos") + "。" +
                             in_game("updatefile/new.amb.out") + " 不完整。");
     }},
    // The upgraded bundle is no stock one (told in its box); the backup that
    // would have been used is held: that is what the player can act on.
    {"held_backup_beside_the_modified_box", command::upgrade,
     [](auto& g) { ASSERT_EQ(testing::click(g, command::upgrade).back(), texts::upgraded); }, nullptr,
     fault_on(platform::operation::open, "备份", os_error::in_use),
     [] {
       return std::vector<std::string>{texts::bundle_modified, in_game("Common/原始动画备份.amb") + in_use_words,
                                       texts::not_upgraded};
     }},
    // An entry's name is written with the system's separator throughout.
    {"entry_name_with_the_systems_separator", command::upgrade,
     [](auto& g) {
       package_only(g);
       testing::fixture::write_zip(g.path("pmodel.pak"), {testing::fixture::file_item("mesh/CON", "x")});
     },
     nullptr, nullptr,
     [] {
       return upgrade_failed("模型包里的文件名 " + in_game("pmodel.pak/mesh/CON") +
                             " 不能在 Windows 上使用，无法安装。");
     }},
};

INSTANTIATE_TEST_SUITE_P(Kinds, ReasonBox, ::testing::ValuesIn(reason_cases),
                         [](const auto& row) { return std::string(row.param.name); });

// A write refused for want of rights, where the program can start itself
// again as administrator: the player is asked, and only 是 with the system's
// prompt accepted ends this program (with 0); nothing is changed either way.
struct elevation_case {
  const char* name;
  bool refused_for_rights;  ///< else the file is in use
  bool answer_yes;
  bool granted;
  int elevations_asked;
  bool program_ends;
  friend void PrintTo(const elevation_case& c, std::ostream* os) { *os << c.name; }
};

class ElevationOffer : public ::testing::TestWithParam<elevation_case> {};

TEST_P(ElevationOffer, IsMadeOnlyForMissingRightsAndOnlyOnTheWordOfThePlayer) {
  const elevation_case& c = GetParam();
  testing::game_folder game;
  testing::fake_ports fake;
  fake.elevation_possible = true;
  fake.answer_yes = c.answer_yes;
  fake.elevation_granted = c.granted;
  patch_session session(fake.ports(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  const auto before = game.snapshot();
  {
    testing::fault_injector refused(testing::fault_injector::on(platform::operation::rename, "character.amb"), 1, false,
                                    c.refused_for_rights ? os_error::no_permission : os_error::in_use);
    EXPECT_FALSE(session.on_upgrade_clicked());
  }
  std::vector<std::string> boxes;
  if (c.refused_for_rights)
    boxes.push_back("游戏目录受系统保护，本程序没有权限写入。\n是否以管理员身份重新运行本程序？");
  else
    boxes.push_back(in_game("Common/character.amb") + " 正被其他程序使用，请关闭占用它的程序（比如游戏）后再试。");
  if (!c.program_ends) boxes.push_back(texts::not_upgraded);
  EXPECT_EQ(fake.boxes, boxes);
  EXPECT_EQ(fake.elevations_asked, c.elevations_asked);
  EXPECT_EQ(fake.exit_codes, c.program_ends ? std::vector<std::int32_t>{0} : std::vector<std::int32_t>{});
  EXPECT_EQ(game.snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(Answers, ElevationOffer,
                         ::testing::Values(elevation_case{"yes_and_the_system_agrees", true, true, true, 1, true},
                                           elevation_case{"yes_but_the_prompt_refused", true, true, false, 1, false},
                                           elevation_case{"no", true, false, true, 0, false},
                                           elevation_case{"in_use_is_not_offered", false, true, true, 0, false}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ReasonBox, NoneWhenTheCommandSucceeds) {
  testing::game_folder game;
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  EXPECT_TRUE(session.on_upgrade_clicked());
  EXPECT_TRUE(fake.reason_boxes.empty());
}

}  // namespace
}  // namespace vantor
