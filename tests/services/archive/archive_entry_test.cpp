// How an entry's attributes and times are derived from what the archive
// stores.

#include "services/archive/archive_entry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "support/zip_fixture.h"

namespace vantor {
namespace {

using namespace testing::fixture;

// An independent conversion for the expectations: the standard library's
// calendar.
file_ticks ticks_of(int year, unsigned month, unsigned day, int hour, int minute, int second) {
  namespace chrono = std::chrono;
  const chrono::sys_days date = chrono::year_month_day{chrono::year{year}, chrono::month{month}, chrono::day{day}};
  const chrono::seconds since_1970 =
      date.time_since_epoch() + chrono::hours{hour} + chrono::minutes{minute} + chrono::seconds{second};
  return ticks_from_unix(since_1970.count());
}

struct attributes_case {
  const char* title;
  std::uint32_t external;
  std::uint32_t expected;
};

std::ostream& operator<<(std::ostream& out, const attributes_case& row) { return out << row.title; }

class EntryAttributes : public ::testing::TestWithParam<attributes_case> {};

TEST_P(EntryAttributes, FollowTheExternalAttributes) {
  EXPECT_EQ(attributes_from_external(GetParam().external), GetParam().expected);
}

constexpr std::uint32_t normal = file_attribute::normal, readonly = file_attribute::readonly,
                        hidden = file_attribute::hidden, folder = file_attribute::directory,
                        archive_flag = file_attribute::archive, system_flag = file_attribute::system;

INSTANTIATE_TEST_SUITE_P(
    Table, EntryAttributes,
    ::testing::Values(attributes_case{"DosNothingIsReadOnly", 0, normal | readonly},
                      attributes_case{"DosReadOnly", dos_readonly, normal | readonly},
                      attributes_case{"DosHidden", dos_hidden, normal | hidden | readonly},
                      attributes_case{"DosSystem", 0x04, normal | system_flag | readonly},
                      attributes_case{"DosArchive", 0x20, normal | archive_flag | readonly},
                      attributes_case{"DosFolder", dos_folder, folder | normal | readonly},
                      attributes_case{"UnixFile", unix_file, normal},
                      attributes_case{"UnixFileWithoutOwnerWrite", unix_mode(0100444), normal | readonly},
                      attributes_case{"UnixFolderMode", unix_mode(040755), folder | normal},
                      attributes_case{"UnixFolderWithDosFlag", unix_folder, folder | normal},
                      attributes_case{"UnixFileDosHidden", unix_file | dos_hidden, normal | hidden},
                      attributes_case{"UnixFileDosReadOnly", unix_file | dos_readonly, normal | readonly},
                      attributes_case{"UnixLinkIsAPlainFile", unix_link, normal},
                      attributes_case{"EverythingAtOnce", unix_folder | 0x27,
                                      folder | normal | archive_flag | hidden | readonly | system_flag}),
    [](const ::testing::TestParamInfo<attributes_case>& row) { return std::string(row.param.title); });

struct dos_time_case {
  const char* title;
  std::uint32_t dos;
  file_ticks expected;
};

std::ostream& operator<<(std::ostream& out, const dos_time_case& row) { return out << row.title; }

class DosTimes : public ::testing::TestWithParam<dos_time_case> {};

TEST_P(DosTimes, BecomeTicksAsUtc) { EXPECT_EQ(ticks_from_dos(GetParam().dos), GetParam().expected); }

const file_ticks dos_epoch = ticks_of(1980, 1, 1, 0, 0, 0);

INSTANTIATE_TEST_SUITE_P(
    Table, DosTimes,
    ::testing::Values(
        dos_time_case{"DosEpoch", dos_date_time(1980, 1, 1, 0, 0, 0), dos_epoch},
        dos_time_case{"Ordinary", dos_date_time(2021, 3, 4, 5, 6, 8), ticks_of(2021, 3, 4, 5, 6, 8)},
        dos_time_case{"LeapDay", dos_date_time(2000, 2, 29, 23, 59, 58), ticks_of(2000, 2, 29, 23, 59, 58)},
        dos_time_case{"LastDosYear", dos_date_time(2107, 12, 31, 23, 59, 58), ticks_of(2107, 12, 31, 23, 59, 58)},
        dos_time_case{"ZeroIsNoDate", 0, dos_epoch},
        dos_time_case{"MonthThirteen", dos_date_time(2021, 13, 1, 0, 0, 0), dos_epoch},
        dos_time_case{"FebruaryThirtieth", dos_date_time(2021, 2, 30, 0, 0, 0), dos_epoch},
        dos_time_case{"NoLeapDay", dos_date_time(2100, 2, 29, 0, 0, 0), dos_epoch},
        dos_time_case{"HourTwentyFour", dos_date_time(2021, 1, 1, 24, 0, 0), dos_epoch},
        dos_time_case{"SecondSixty", dos_date_time(2021, 1, 1, 0, 0, 60), dos_epoch}),
    [](const ::testing::TestParamInfo<dos_time_case>& row) { return std::string(row.param.title); });

TEST(PlatformTimes, KeepSecondsAndHundredsOfNanoseconds) {
  const platform::file_time epoch = platform_time(ticks_from_unix(0));
  EXPECT_EQ(epoch.seconds, 0);
  EXPECT_EQ(epoch.nanoseconds, 0);
  const platform::file_time later = platform_time(ticks_from_unix(1'600'000'000) + 1234567);
  EXPECT_EQ(later.seconds, 1'600'000'000);
  EXPECT_EQ(later.nanoseconds, 123'456'700);
  const platform::file_time before_1970 = platform_time(ticks_from_unix(-1) + 5);
  EXPECT_EQ(before_1970.seconds, -1);
  EXPECT_EQ(before_1970.nanoseconds, 500);
}

struct timestamp_case {
  const char* title;
  byte_string extra;
  bool converted;
  std::optional<std::int32_t> modification, access, creation;  // none: the DOS time stays
};

std::ostream& operator<<(std::ostream& out, const timestamp_case& row) { return out << row.title; }

byte_string join(std::initializer_list<byte_string> parts) {
  byte_string all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class ExtendedTimestamps : public ::testing::TestWithParam<timestamp_case> {};

TEST_P(ExtendedTimestamps, ReplaceTheFlaggedTimes) {
  const auto& row = GetParam();
  archive_entry entry;
  const file_ticks dos = ticks_of(2021, 3, 4, 5, 6, 8);
  entry.modification_time = entry.access_time = entry.creation_time = dos;
  ASSERT_EQ(apply_extended_timestamp(row.extra, entry), row.converted);
  if (!row.converted) return;
  const auto expect = [dos](std::optional<std::int32_t> seconds) { return seconds ? ticks_from_unix(*seconds) : dos; };
  EXPECT_EQ(entry.modification_time, expect(row.modification));
  EXPECT_EQ(entry.access_time, expect(row.access));
  EXPECT_EQ(entry.creation_time, expect(row.creation));
}

const byte_string other_block = {'x', 'y', 3, 0, 1, 2, 3};

INSTANTIATE_TEST_SUITE_P(
    Table, ExtendedTimestamps,
    ::testing::Values(
        timestamp_case{"AllThreeTimes", extended_timestamp(7, {1000, 2000, 3000}), true, 1000, 2000, 3000},
        timestamp_case{"ModificationOnly", extended_timestamp(1, {1000}), true, 1000, {}, {}},
        timestamp_case{"AccessAndCreation", extended_timestamp(6, {2000, 3000}), true, {}, 2000, 3000},
        timestamp_case{"FlagsPromiseMoreThanTheBlockHolds", extended_timestamp(7, {1000}), true, 1000, {}, {}},
        timestamp_case{"AfterAnotherBlock", join({other_block, extended_timestamp(1, {1000})}), true, 1000, {}, {}},
        timestamp_case{"FirstBlockDecides",
                       join({extended_timestamp(1, {1000}), extended_timestamp(1, {5000})}),
                       true,
                       1000,
                       {},
                       {}},
        timestamp_case{"FieldShorterThanFiveBytes", {'U', 'T', 0, 0}, true, {}, {}, {}},
        timestamp_case{
            "BlockCutByTheFieldEnd", byte_string{'U', 'T', 13, 0, 3, 0xE8, 3, 0, 0, 0xD0}, true, 1000, {}, {}},
        timestamp_case{"NoTimestampBlock", other_block, true, {}, {}, {}},
        timestamp_case{"NegativeTime", extended_timestamp(3, {1000, -1}), false, {}, {}, {}}),
    [](const ::testing::TestParamInfo<timestamp_case>& row) { return std::string(row.param.title); });

}  // namespace
}  // namespace vantor
