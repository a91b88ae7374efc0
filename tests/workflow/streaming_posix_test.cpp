// A frame package far larger than memory streams, under a file-size limit
// (POSIX resource limits).

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>

#include "services/little_endian.h"
#include "support/bounded_run.h"
#include "support/fake_ports.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

using testing::put_file;
namespace fs = std::filesystem;

// A package of 3 GiB (sparse, so it costs no disk): it is copied in pieces;
// on a disk with room for 64 MB the upgrade fails cleanly, and with no limit
// it would write the whole bundle. Run in a child process with a file-size
// limit, so nothing large is ever written here.
TEST(LargePackage, StreamsAndFailsCleanlyWhenTheDiskIsFull) {
  testing::game_folder game;
  const std::string frames = game.path("updatefile/new.amb.out");
  constexpr std::int64_t three_gib = std::int64_t{3} << 30;
  put_file(frames, byte_string{});
  fs::resize_file(testing::native_path(frames), static_cast<std::uintmax_t>(three_gib));
  {
    byte_string count(4);
    store_le32(count.data(), 1000);
    std::FILE* file = std::fopen(frames.c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    std::fseek(file, static_cast<long>(three_gib - 4), SEEK_SET);
    std::fwrite(count.data(), 1, 4, file);
    std::fclose(file);
  }
  const auto before = game.snapshot_without("updatefile/new.amb.out");
  const auto said = testing::run_bounded(
      [&] {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        const rlimit limit{64 << 20, 64 << 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        testing::fake_ports fake;
        patch_session session(fake.ports(), testing::small_stock().identity());
        if (!session.start_session(game.root())) return std::string("ended");
        std::string result = *fake.summary + "\n";
        session.on_upgrade_clicked();
        for (const auto& message : fake.messages) result += message + "\n";
        for (const auto& why : session.reasons()) result += std::string(describe(why.kind)) + "\n";
        return result;
      },
      std::chrono::seconds(60));
  ASSERT_TRUE(said.has_value()) << "the upgrade hung or crashed";
  EXPECT_EQ(*said, std::string("总帧数=1000， 起始帧=17061， 结束帧=18061\n") + texts::frame_count_failed + "\n" +
                       texts::not_upgraded + "\n" + "cannot be written: the disk is full\n");
  EXPECT_EQ(game.snapshot_without("updatefile/new.amb.out"), before);
}

}  // namespace
}  // namespace vantor
