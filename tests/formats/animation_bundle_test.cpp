// The bundle format: the frame package's count, the new bundle's bytes and
// the one classifier of bundle files.

#include <gtest/gtest.h>

#include <filesystem>

#include "formats/animation_bundle.h"
#include "services/little_endian.h"
#include "support/game_folder.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::put_file;

const stock_identity& identity() {
  static const stock_identity small = testing::small_stock().identity();
  return small;
}

byte_string joined(const new_bundle& bundle) {
  byte_string bytes;
  for (const byte_view piece : bundle.pieces()) bytes.insert(bytes.end(), piece.begin(), piece.end());
  return bytes;
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
  const frame_package package = parse_frame_package(GetParam().file);
  EXPECT_EQ(package.count, GetParam().count);
  EXPECT_EQ(package.frames.size(), GetParam().block_length);
  EXPECT_EQ(package.has_count, GetParam().has_count);
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

TEST(NewBundle, IsThePrefixWithItsCountFieldThenTheFrames) {
  const byte_string& stock = testing::small_stock().bundle;
  const byte_string frames = bytes_of("new frames");
  byte_string expected = stock;
  store_le32(expected.data() + identity().count_offset, identity().stock_count + 2);
  expected.insert(expected.end(), frames.begin(), frames.end());
  EXPECT_EQ(joined(new_bundle(stock, frames, identity(), 2)), expected);
}

TEST(NewBundle, GrowsWhenTheFieldReachesPastAShortPrefix) {
  const byte_string prefix = bytes_of("tiny");
  const stock_identity tiny{4, "", 13, 100};
  byte_string expected = prefix;
  expected.resize(17);
  store_le32(expected.data() + 13, 107);
  EXPECT_EQ(joined(new_bundle(prefix, {}, tiny, 7)), expected);
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
  if (found.kind == bundle_kind::stock) {
    EXPECT_EQ(found.prefix, testing::small_stock().bundle);
  }
}

const byte_string& stock() { return testing::small_stock().bundle; }

INSTANTIATE_TEST_SUITE_P(
    Table, InspectBundle,
    ::testing::Values(
        inspection_case{"missing", [](const std::string&) {}, bundle_kind::missing, 0},
        inspection_case{"stock", [](const std::string& p) { put_file(p, stock()); }, bundle_kind::stock, 0},
        inspection_case{"stock_with_more_bytes",
                        [](const std::string& p) {
                          put_file(p, join_bytes({stock(), bytes_of("tail")}));
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
        inspection_case{"folder", [](const std::string& p) { std::filesystem::create_directory(p); },
                        bundle_kind::modified, 0}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
