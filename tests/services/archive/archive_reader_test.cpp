// The reader over minizip: the pre-check, entry information, counting, and
// writing one entry to a file.

#include "services/archive/archive_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "platform/system_error.h"
#include "services/archive/archive_error.h"
#include "stored_times.h"
#include "support/failed_with.h"
#include "support/native_path.h"
#include "support/temp_folder.h"
#include "support/zip_damage.h"
#include "support/zip_fixture.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using namespace testing::fixture;
using testing::bytes_of;
using testing::exists;
using testing::failed_with;
using testing::file_bytes;
using testing::put_file;
using testing::put_folder;
using testing::random_bytes;
using testing::temp_folder;

// On Windows, the write permissions are the absence of the read-only
// attribute.
fs::perms permissions_of(const std::string& path) { return fs::status(testing::native_path(path)).permissions(); }

const byte_string big_data = random_bytes(40000, 7);  // more than minizip's 16384-byte input pieces
constexpr std::int32_t modified_at = 1'000'000'000, accessed_at = 1'100'000'000, created_at = 900'000'000;

std::vector<zip_item> standard_items() {
  zip_item models = folder_item("models/");
  zip_item model = file_item("models/P0.POS", "", 8);
  model.data = big_data;
  model.local_extra = extended_timestamp(7, {modified_at, accessed_at, created_at});
  zip_item readme = file_item("readme.txt", "read me", 0);
  readme.external = dos_readonly | dos_hidden;
  readme.dos_time = dos_date_time(2010, 6, 7, 8, 9, 10);
  return {models, model, readme};
}

class ArchiveReader : public ::testing::Test {
 protected:
  void SetUp() override { write_zip(archive_path, standard_items()); }
  archive_handle open() {
    archive_handle handle = open_archive(archive_path);
    EXPECT_TRUE(handle);
    return handle;
  }
  temp_folder dir;
  const std::string archive_path = dir / "pack.zip";
};

TEST_F(ArchiveReader, EntriesCarryTheirNameAttributesSizesAndTimes) {
  archive_handle handle = open();

  auto read = get_archive_entry(handle.get(), 0);
  ASSERT_TRUE(read) << read.error();
  archive_entry entry = *read;
  EXPECT_EQ(entry.index, 0);
  EXPECT_EQ(entry.name, "models/");
  EXPECT_TRUE(entry.has_folder_attribute());

  read = get_archive_entry(handle.get(), 1);
  ASSERT_TRUE(read) << read.error();
  entry = *read;
  EXPECT_EQ(entry.name, "models/P0.POS");
  EXPECT_EQ(entry.attributes, file_attribute::normal);
  EXPECT_EQ(entry.uncompressed_size, static_cast<std::int64_t>(big_data.size()));
  EXPECT_GT(entry.compressed_size, 0);
  EXPECT_EQ(entry.modification_time, ticks_from_unix(modified_at));
  EXPECT_EQ(entry.access_time, ticks_from_unix(accessed_at));
  EXPECT_EQ(entry.creation_time, ticks_from_unix(created_at));

  read = get_archive_entry(handle.get(), 2);
  ASSERT_TRUE(read) << read.error();
  entry = *read;
  EXPECT_EQ(entry.attributes, file_attribute::normal | file_attribute::readonly | file_attribute::hidden);
  EXPECT_EQ(entry.compressed_size, 7);
  const file_ticks dos = ticks_from_dos(dos_date_time(2010, 6, 7, 8, 9, 10));
  EXPECT_EQ(entry.modification_time, dos);
  EXPECT_EQ(entry.access_time, dos);
  EXPECT_EQ(entry.creation_time, dos);
}

TEST_F(ArchiveReader, MovesBackwardAndForwardAndRepeatsTheLastEntry) {
  archive_handle handle = open();
  for (const std::int32_t index : {2, 0, 1, 1, 2, 1}) {
    const auto entry = get_archive_entry(handle.get(), index);
    ASSERT_TRUE(entry) << entry.error();
    EXPECT_EQ(entry->index, index);
    EXPECT_EQ(entry->name, standard_items()[static_cast<std::size_t>(index)].name);
  }
  // Writing an entry after moving elsewhere still writes that entry.
  ASSERT_EQ(failed_with(extract_entry_to_file(handle.get(), 2, dir / "readme.txt")), std::nullopt);
  ASSERT_EQ(failed_with(extract_entry_to_file(handle.get(), 1, dir / "P0.POS")), std::nullopt);
  EXPECT_EQ(file_bytes(dir / "P0.POS"), big_data);
  EXPECT_EQ(file_bytes(dir / "readme.txt"), bytes_of("read me"));
}

TEST_F(ArchiveReader, RefusesIndexesOutsideTheArchiveAndMissingHandles) {
  archive_handle handle = open();
  const failure outside{archive_error::no_such_entry, archive_path};
  EXPECT_EQ(get_archive_entry(handle.get(), -1).error(), outside);
  EXPECT_EQ(get_archive_entry(handle.get(), 3).error(), outside);
  const failure no_handle{archive_error::no_such_entry, {}};
  EXPECT_EQ(get_archive_entry(nullptr, 0).error(), no_handle);
  EXPECT_EQ(count_archive_entries(nullptr).error(), no_handle);
  EXPECT_EQ(extract_entry_to_file(nullptr, 0, dir / "x").error(), no_handle);
  close_archive(handle);
  EXPECT_FALSE(handle);
}

TEST_F(ArchiveReader, OpensOnlyWhatExistsAndKeepsAHandleWithoutDirectory) {
  EXPECT_FALSE(open_archive(dir / "missing.zip"));
  put_file(dir / "plain.txt", "this is not an archive at all, just some text");
  archive_handle handle = open_archive(dir / "plain.txt");
  ASSERT_TRUE(handle);
  const failure no_directory{archive_error::no_such_entry, dir / "plain.txt"};
  EXPECT_EQ(count_archive_entries(handle.get()).error(), no_directory);
  EXPECT_EQ(get_archive_entry(handle.get(), 0).error(), no_directory);
}

struct count_case {
  const char* title;
  zip_patch damage;
  outcome<std::int32_t> count;
  failure_kind kind_at_count;  // why get_archive_entry fails for the entry that ends the count
};

std::ostream& operator<<(std::ostream& out, const count_case& row) { return out << row.title; }

class EntryCount : public ArchiveReader, public ::testing::WithParamInterface<count_case> {};

TEST_P(EntryCount, StopsAtTheFirstUnreadableEntry) {
  const auto& row = GetParam();
  if (row.damage) patch_file(archive_path, row.damage);
  archive_handle handle = open();
  const outcome<std::int32_t> count = count_archive_entries(handle.get());
  if (!row.count) {
    ASSERT_FALSE(count) << "counted " << *count;
    EXPECT_EQ(count.error().kind, row.count.error().kind);
    return;
  }
  ASSERT_TRUE(count) << count.error();
  EXPECT_EQ(*count, *row.count);
  EXPECT_EQ(failed_with(get_archive_entry(handle.get(), *count)), row.kind_at_count);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EntryCount,
    ::testing::Values(count_case{"Intact", {}, 3, archive_error::no_such_entry},
                      count_case{"DamagedLocalHeader", break_local_signature(1), 1, archive_error::damaged},
                      count_case{"UnknownMethod", set_method(2, 99), 2, archive_error::damaged},
                      count_case{"Bzip2IsNotAccepted", set_method(1, 12), 1, archive_error::damaged},
                      count_case{
                          "LocalHeaderDisagrees",
                          [](byte_string& zip) { put_le32(zip, zip_records(zip)[2].local_header + local_crc, 1); }, 2,
                          archive_error::damaged},
                      count_case{"LocalExtraFieldPastTheEnd", extra_field_past_the_end(2), 2, archive_error::damaged},
                      count_case{"NegativeExtendedTime", set_extended_time(1, 0x80000000u),
                                 failure{archive_error::bad_time_stamp, {}}, archive_error::bad_time_stamp}),
    [](const ::testing::TestParamInfo<count_case>& row) { return std::string(row.param.title); });

struct write_case {
  const char* title;
  zip_patch damage;
  std::int32_t index;
  const char* output;                                  // below the temp folder
  std::function<void(const temp_folder&)> in_the_way;  // what stands there before
  std::optional<failure_kind> kind;                    // none: written
};

std::ostream& operator<<(std::ostream& out, const write_case& row) { return out << row.title; }

class EntryToFile : public ArchiveReader, public ::testing::WithParamInterface<write_case> {};

TEST_P(EntryToFile, SaysWhatWentWrong) {
  const auto& row = GetParam();
  if (row.damage) patch_file(archive_path, row.damage);
  put_file(dir / "sentinel", "sentinel");
  if (row.in_the_way) row.in_the_way(dir);
  archive_handle handle = open();
  EXPECT_EQ(failed_with(extract_entry_to_file(handle.get(), row.index, dir / row.output)), row.kind);
  EXPECT_EQ(file_bytes(dir / "sentinel"), bytes_of("sentinel"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, EntryToFile,
    ::testing::Values(
        write_case{"Written", {}, 1, "out.bin", {}, std::nullopt},
        write_case{"ReplacesAFile",
                   {},
                   1,
                   "out.bin",
                   [](const temp_folder& d) { put_file(d / "out.bin", "old"); },
                   std::nullopt},
        write_case{"IndexPastTheEnd", {}, 3, "out.bin", {}, archive_error::no_such_entry},
        write_case{"NegativeIndex", {}, -1, "out.bin", {}, archive_error::no_such_entry},
        write_case{"FolderMissing", {}, 1, "nowhere/out.bin", {}, os_error::not_found},
        write_case{"FolderInTheWay",
                   {},
                   1,
                   "taken",
                   [](const temp_folder& d) { put_folder(d / "taken"); },
                   os_error::not_a_file},
        write_case{"DamagedEntry", break_local_signature(1), 1, "out.bin", {}, archive_error::damaged},
        write_case{"DataCannotBeInflated", break_deflate_data(1), 1, "out.bin", {}, archive_error::damaged},
        write_case{"WrongChecksumDeflated", wrong_checksum(1), 1, "out.bin", {}, archive_error::damaged},
        write_case{"WrongChecksumStored", wrong_checksum(2), 2, "out.bin", {}, archive_error::damaged},
        write_case{"DataShorterThanDeclared", set_declared_size(1, 50000), 1, "out.bin", {}, archive_error::damaged}),
    [](const ::testing::TestParamInfo<write_case>& row) { return std::string(row.param.title); });

TEST_F(ArchiveReader, StreamsDeflatedAndStoredDataAndSetsTimes) {
  archive_handle handle = open();
  ASSERT_EQ(failed_with(extract_entry_to_file(handle.get(), 1, dir / "P0.POS")), std::nullopt);
  const auto times = archive_test::stored_times_of(dir / "P0.POS");  // before reading changes the access time
  ASSERT_TRUE(times);
  EXPECT_EQ(times->modification, modified_at);
  EXPECT_EQ(times->access, accessed_at);
  EXPECT_NE(permissions_of(dir / "P0.POS") & fs::perms::owner_write, fs::perms::none);
  EXPECT_EQ(file_bytes(dir / "P0.POS"), big_data);

  ASSERT_EQ(failed_with(extract_entry_to_file(handle.get(), 2, dir / "readme.txt")), std::nullopt);
  EXPECT_EQ(file_bytes(dir / "readme.txt"), bytes_of("read me"));
  EXPECT_EQ(
      permissions_of(dir / "readme.txt") & (fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write),
      fs::perms::none);  // the entry is read-only
  const auto readme_times = archive_test::stored_times_of(dir / "readme.txt");
  ASSERT_TRUE(readme_times);
  EXPECT_EQ(ticks_from_unix(readme_times->modification), ticks_from_dos(dos_date_time(2010, 6, 7, 8, 9, 10)));
}

TEST_F(ArchiveReader, NeverWritesPastTheDeclaredSize) {
  patch_file(archive_path, set_declared_size(1, 100));
  archive_handle handle = open();
  // The first 100 bytes do not have the whole data's CRC-32.
  const status extracted = extract_entry_to_file(handle.get(), 1, dir / "P0.POS");
  ASSERT_FALSE(extracted);
  EXPECT_EQ(extracted.error().kind, archive_error::damaged);
  EXPECT_EQ(testing::generic_path(extracted.error().path), testing::generic_path(archive_path + "/models/P0.POS"));
  EXPECT_EQ(file_bytes(dir / "P0.POS"), byte_string(big_data.begin(), big_data.begin() + 100));
}

struct signature_case {
  const char* title;
  std::function<byte_string()> contents;  // none: no file at all
  bool accepted;
};

std::ostream& operator<<(std::ostream& out, const signature_case& row) { return out << row.title; }

class ZipSignature : public ::testing::TestWithParam<signature_case> {};

byte_string small_archive() {
  temp_folder dir;
  write_zip(dir / "a.zip", {file_item("a.txt", "alpha")});
  return file_bytes(dir / "a.zip");
}

TEST_P(ZipSignature, NeedsTheLocalHeaderAndANamedFirstEntry) {
  temp_folder dir;
  if (GetParam().contents) put_file(dir / "file", GetParam().contents());
  EXPECT_EQ(check_zip_signature(dir / "file"), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(Table, ZipSignature,
                         ::testing::Values(signature_case{"Archive", small_archive, true},
                                           signature_case{"Missing", {}, false},
                                           signature_case{"ShorterThan32Bytes",
                                                          [] {
                                                            byte_string head = small_archive();
                                                            head.resize(31);
                                                            return head;
                                                          },
                                                          false},
                                           signature_case{"Exactly32Bytes",
                                                          [] {
                                                            byte_string head = small_archive();
                                                            head.resize(32);
                                                            return head;
                                                          },
                                                          true},
                                           signature_case{"OtherSignature",
                                                          [] {
                                                            byte_string zip = small_archive();
                                                            zip[3] = 5;
                                                            return zip;
                                                          },
                                                          false},
                                           signature_case{"NamelessFirstEntry",
                                                          [] {
                                                            byte_string zip = small_archive();
                                                            put_le16(zip, local_name_length, 0);
                                                            return zip;
                                                          },
                                                          false},
                                           signature_case{"NegativeAtOffset24",
                                                          [] {
                                                            byte_string zip = small_archive();
                                                            put_le16(zip, local_name_length, 0x8001);
                                                            return zip;
                                                          },
                                                          false}),
                         [](const ::testing::TestParamInfo<signature_case>& row) {
                           return std::string(row.param.title);
                         });

TEST(ZipSignatureOfAFolder, IsRefused) {
  temp_folder dir;
  EXPECT_FALSE(check_zip_signature(dir.path()));
}

}  // namespace
}  // namespace vantor
