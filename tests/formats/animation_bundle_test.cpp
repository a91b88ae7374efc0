// The bundle format: the frame package's count, the new bundle's bytes and
// the one classifier of bundle files.

#include <gtest/gtest.h>

#include <filesystem>

#include "formats/animation_bundle.h"
#include "services/little_endian.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::put_file;

const stock_identity& identity() {
  static const stock_identity small = testing::small_stock().identity();
  return small;
}

struct package_case {
  const char* name;
  byte_string file;
  std::int32_t count;
  std::size_t block_length;
  bool has_count;
  friend void PrintTo(const package_case& c, std::ostream* os) { *os << c.name; }
};

class FramePackageBytes : public ::testing::TestWithParam<package_case> {};

TEST_P(FramePackageBytes, CountIsTheLastFourBytes) {
  testing::temp_folder dir;
  put_file(dir / "new.amb.out", GetParam().file);
  const frame_package package = read_frame_package(dir / "new.amb.out");
  EXPECT_EQ(package.count, GetParam().count);
  EXPECT_EQ(package.frame_bytes(), static_cast<std::int64_t>(GetParam().block_length));
  EXPECT_EQ(package.has_count, GetParam().has_count);
}

TEST(FramePackage, AMissingOrUnreadableFileIsAnEmptyPackage) {
  testing::temp_folder dir;
  EXPECT_EQ(read_frame_package(dir / "missing"), frame_package{});
  std::filesystem::create_directory(testing::native_path(dir / "folder"));
  EXPECT_EQ(read_frame_package(dir / "folder"), frame_package{});
}

TEST(FramePackage, OnlyItsEndIsRead) {
  // A sparse file far larger than memory: its count comes from its last
  // four bytes alone.
  testing::temp_folder dir;
  const std::string path = dir / "new.amb.out";
  constexpr std::int64_t three_gib = std::int64_t{3} << 30;
  put_file(path, byte_string{});
  std::filesystem::resize_file(testing::native_path(path), static_cast<std::uintmax_t>(three_gib));
  const frame_package package = read_frame_package(path);
  EXPECT_EQ(package.length, three_gib);
  EXPECT_EQ(package.count, 0);
  EXPECT_EQ(package.frame_bytes(), three_gib - 4);
}

INSTANTIATE_TEST_SUITE_P(Table, FramePackageBytes,
                         ::testing::Values(package_case{"empty", {}, 0, 0, false},
                                           package_case{"three_bytes", {5, 0, 0}, 0, 0, false},
                                           package_case{"count_only", {39, 0, 0, 0}, 39, 0, true},
                                           package_case{"frames", {9, 9, 9, 1, 0, 0, 0}, 1, 3, true},
                                           package_case{"negative", {0xFF, 0xFF, 0xFF, 0xFF}, -1, 0, true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(UpgradedFrameCount, IsTheStockCountPlusTheNewFramesWrappingAt32Bits) {
  EXPECT_EQ(upgraded_frame_count(game_stock_identity, 39), game_stock_identity.stock_count + 39);
  EXPECT_EQ(upgraded_frame_count(game_stock_identity, 2147483647), -2147483648 + game_stock_identity.stock_count - 1);
}

TEST(CountField, IsWrittenWhereverItFallsAcrossPieces) {
  const stock_identity& id = game_stock_identity;
  byte_string whole(32, 0xEE);
  set_count_field(whole, 0, id, 17100);
  byte_string expected(32, 0xEE);
  store_le32(expected.data() + id.count_offset, 17100);
  EXPECT_EQ(whole, expected);
  // The same field split over three pieces: bytes 0-13, 14-15, 16-31.
  byte_string split(32, 0xEE);
  const std::span all(split);
  set_count_field(all.subspan(0, 14), 0, id, 17100);
  set_count_field(all.subspan(14, 2), 14, id, 17100);
  set_count_field(all.subspan(16), 16, id, 17100);
  EXPECT_EQ(split, expected);
}

struct inspection_case {
  const char* name;
  std::function<void(const std::string& path)> arrange;
  bundle_kind kind;
  std::int32_t frame_count;
  friend void PrintTo(const inspection_case& c, std::ostream* os) { *os << c.name; }
};

class InspectBundle : public ::testing::TestWithParam<inspection_case> {};

TEST_P(InspectBundle, TellsEachKindApart) {
  testing::temp_folder dir;
  const std::string path = dir / "character.amb";
  GetParam().arrange(path);
  const bundle_inspection found = inspect_bundle(path, identity());
  EXPECT_EQ(found.kind, GetParam().kind);
  EXPECT_EQ(found.frame_count, GetParam().frame_count);
}

const byte_string& stock() { return testing::small_stock().bundle; }

INSTANTIATE_TEST_SUITE_P(
    Table, InspectBundle,
    ::testing::Values(
        inspection_case{"missing", [](const std::string&) {}, bundle_kind::missing, 0},
        inspection_case{"stock", [](const std::string& p) { put_file(p, stock()); }, bundle_kind::stock, 0},
        inspection_case{"stock_with_more_bytes",
                        [](const std::string& p) {
                          put_file(p, testing::joined({stock(), bytes_of("tail")}));
                        },
                        bundle_kind::stock, 0},
        inspection_case{"upgraded",
                        [](const std::string& p) { put_file(p, testing::upgraded_bundle(stock(), bytes_of("f"), 5)); },
                        bundle_kind::upgraded, identity().stock_count + 5},
        inspection_case{"modified",
                        [](const std::string& p) {
                          byte_string bytes = stock();
                          bytes[100] ^= 1;
                          put_file(p, bytes);
                        },
                        bundle_kind::modified, 0},
        inspection_case{"truncated",
                        [](const std::string& p) { put_file(p, byte_string(stock().begin(), stock().end() - 1)); },
                        bundle_kind::modified, 0},
        inspection_case{"folder",
                        [](const std::string& p) { std::filesystem::create_directory(testing::native_path(p)); },
                        bundle_kind::modified, 0}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
