// unpack_archive as the upgrade uses it: its results, what each outcome
// leaves on disk, damaged and hostile entries, and ordinary archives as
// common tools write them. The cases of the table are described in
// extraction_table.h.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

#include "extraction_table.h"
#include "platform/files.h"
#include "platform/system_error.h"
#include "services/archive/archive.h"
#include "services/archive/archive_error.h"
#include "stored_times.h"
#include "support/failed_with.h"
#include "support/fault_injector.h"
#include "support/listing_counter.h"
#include "support/native_path.h"
#include "support/temp_folder.h"
#include "support/zip_damage.h"
#include "support/zip_fixture.h"

namespace vantor::archive_test {
namespace {

namespace fs = std::filesystem;
using namespace testing::fixture;
using testing::bytes_of;
using testing::exists;
using testing::failed_with;
using testing::fault_injector;
using testing::file_bytes;
using testing::listing_counter;
using testing::native_path;
using testing::put_file;
using testing::put_folder;
using testing::random_bytes;
using testing::temp_folder;

const std::string absolute_name = "/vantor-archive-test-absolute";
const byte_string big_data = random_bytes(40000, 11);

zip_item big_item(std::string name) {
  zip_item item = file_item(std::move(name), "");
  item.data = big_data;
  return item;
}

// An entry with the folder attribute (Unix folder mode and the DOS flag, or
// the DOS flag alone) that holds data, as a careless writer may store a file.
zip_item with_folder_attribute(std::string name, std::string_view data, std::uint32_t external = unix_folder) {
  zip_item item = file_item(std::move(name), data);
  item.external = external;
  return item;
}

const std::string four_hundred_bytes(400, 'v');

const zip_item beta = big_item("b.bin");
const zip_item gamma_item = file_item("c.txt", "gamma", 0);

TEST_P(Extraction, GivesItsResultAndLeavesWhatItShould) {
  const auto& row = GetParam();
  temp_folder dir;
  put_file(dir / "evil", sentinel_text);
  if (!row.items.empty()) write_zip(dir / "pack.zip", row.items);
  if (row.damage) patch_file(dir / "pack.zip", row.damage);
  if (row.shape) patch_file(dir / "pack.zip", row.shape);
  if (row.arrange) row.arrange(dir);
  const std::string archive = *row.archive ? dir / row.archive : std::string();
  const std::string target = *row.target ? dir / row.target : std::string();

  status result;
  {
    const auto fault = row.fault ? row.fault() : nullptr;
    result = unpack_archive(archive, target);
  }
  EXPECT_EQ(failed_with(result), row.fails_with) << (result ? std::string() : describe(result.error(), {}));
  EXPECT_EQ(listing(dir), row.listing);
  EXPECT_EQ(file_bytes(dir / "evil"), bytes_of(sentinel_text));
  EXPECT_FALSE(exists(absolute_name));
  if (row.verify) row.verify(dir);
}

// --- damage done by hand -------------------------------------------------------

std::vector<zip_item> many_small_items(int count) {
  std::vector<zip_item> items;
  for (int i = 0; i < count; ++i)
    items.push_back(file_item("set" + std::to_string(i % 7) + "/f" + std::to_string(i), "x"));
  return items;
}

zip_item timed_item() {
  zip_item item = file_item("timed.txt", "t");
  item.local_extra = extended_timestamp(1, {1000});
  return item;
}

arrangement expect_contents(std::string path, byte_string contents) {
  return [path = std::move(path), contents = std::move(contents)](const temp_folder& dir) {
    EXPECT_EQ(file_bytes(dir / path), contents) << path;
  };
}

arrangement expect_size(std::string path, std::uintmax_t size) {
  return [path = std::move(path), size](const temp_folder& dir) {
    EXPECT_EQ(fs::file_size(native_path(dir / path)), size);
  };
}

// --- the outcomes of an extraction ---------------------------------------------

const std::vector<std::string> nothing_left = {};

INSTANTIATE_TEST_SUITE_P(
    Outcomes, Extraction,
    ::testing::Values(
        extraction_case{.title = "EmptyArchivePath",
                        .items = {alpha},
                        .fails_with = os_error::not_found,
                        .listing = nothing_left,
                        .archive = ""},
        extraction_case{.title = "EmptyTargetFolder",
                        .items = {alpha},
                        .fails_with = os_error::not_found,
                        .listing = nothing_left,
                        .target = ""},
        extraction_case{.title = "MissingArchive",
                        .fails_with = os_error::not_found,
                        .listing = nothing_left,
                        .target = "out/deep"},
        extraction_case{.title = "TargetMissingTwoLevelsDeep",
                        .items = {alpha},
                        .fails_with = std::nullopt,
                        .listing = {"out/", "out/deep/", "out/deep/a.txt"},
                        .target = "out/deep",
                        .verify = expect_contents("out/deep/a.txt", bytes_of("alpha"))},
        extraction_case{.title = "TargetLevelCannotBeCreated",
                        .items = {alpha},
                        .fails_with = os_error::io_error,
                        .listing = only_target,
                        .target = "out/deep/deeper",
                        .fault =
                            [] {
                              return std::make_unique<fault_injector>(
                                  fault_injector::on(platform::operation::create_folder, "/deep"));
                            }},
        extraction_case{.title = "ArchiveShorterThan32Bytes",
                        .arrange = [](const temp_folder& d) { put_file(d / "pack.zip", "PK\x03\x04 short"); },
                        .fails_with = archive_error::damaged,
                        .listing = only_target},
        extraction_case{.title = "OtherSignature",
                        .arrange =
                            [](const temp_folder& d) {
                              put_file(d / "pack.zip", "this is plain text and no archive at all, really");
                            },
                        .fails_with = archive_error::damaged,
                        .listing = only_target},
        extraction_case{.title = "NamelessFirstEntry",
                        .items = {alpha},
                        .damage = nameless_first_entry,
                        .fails_with = archive_error::damaged,
                        .listing = only_target},
        extraction_case{.title = "CentralDirectoryCutOff",
                        .items = {alpha, beta},
                        .damage = cut_central_directory,
                        .fails_with = archive_error::damaged,
                        .listing = only_target},
        extraction_case{.title = "ExtendedTimeNamesNoDate",
                        .items = {alpha, timed_item()},
                        .damage = set_extended_time(1, 0xFFFFFFFFu),
                        .fails_with = archive_error::damaged,
                        .listing = only_target},
        // Every record is read before anything is extracted.
        extraction_case{.title = "DamagedLocalHeader",
                        .items = {alpha, beta, gamma_item},
                        .damage = break_local_signature(1),
                        .fails_with = archive_error::damaged,
                        .listing = only_target},
        extraction_case{.title = "UnknownMethod",
                        .items = {alpha, beta, gamma_item},
                        .damage = set_method(1, 99),
                        .fails_with = archive_error::damaged,
                        .listing = only_target},
        extraction_case{.title = "LocalExtraFieldUnreadable",
                        .items = {alpha, beta, gamma_item},
                        .damage = extra_field_past_the_end(2),
                        .fails_with = archive_error::damaged,
                        .listing = only_target},
        extraction_case{.title = "DeclaredSizesPastTheFreeSpace",
                        .items = many_small_items(1000),
                        .damage = huge_declared_sizes,
                        .fails_with = os_error::no_space,
                        .listing = only_target},
        extraction_case{.title = "FolderEntryCannotBeCreated",
                        .items = {alpha, folder_item("d/e/"), gamma_item},
                        .arrange = [](const temp_folder& d) { put_file(d / "out/d", "a file"); },
                        .fails_with = os_error::exists,
                        .listing = {"out/", "out/a.txt", "out/d"}},
        extraction_case{
            .title = "FileEntryWithoutFolderEntries",
            .items = {alpha, file_item("sub/deeper/f.txt", "f"), gamma_item},
            .fails_with = std::nullopt,
            .listing = {"out/", "out/a.txt", "out/c.txt", "out/sub/", "out/sub/deeper/", "out/sub/deeper/f.txt"},
            .verify = expect_contents("out/sub/deeper/f.txt", bytes_of("f"))},
        extraction_case{.title = "FileWhereAFolderGoes",
                        .items = {alpha, file_item("d", "d"), file_item("D/f.txt", "f"), gamma_item},
                        .fails_with = os_error::exists,
                        .listing = {"out/", "out/a.txt", "out/d"}},
        extraction_case{.title = "FolderStandsWhereTheFileGoes",
                        .items = {alpha, beta, gamma_item},
                        .arrange = [](const temp_folder& d) { put_folder(d / "out/b.bin"); },
                        .fails_with = os_error::exists,
                        .listing = {"out/", "out/a.txt", "out/b.bin/"}},
        extraction_case{.title = "TrailingSlashWithoutFolderAttributes",
                        .items = {alpha, file_item("x/", ""), gamma_item},
                        .fails_with = std::nullopt,
                        .listing = {"out/", "out/a.txt", "out/c.txt", "out/x/"}},
        extraction_case{.title = "TrailingSlashWithData",
                        .items = {alpha, file_item("x/", "data"), gamma_item},
                        .fails_with = archive_error::damaged,
                        .listing = {"out/", "out/a.txt"}},
        // A folder is a name that ends in "/", as unzip and Python's zipfile
        // read it: the folder attribute alone makes a file, its data kept.
        extraction_case{.title = "FolderAttributeWithoutSlashIsAFileWithItsData",
                        .items = {alpha, with_folder_attribute("x", four_hundred_bytes), gamma_item},
                        .fails_with = std::nullopt,
                        .listing = {"out/", "out/a.txt", "out/c.txt", "out/x"},
                        .verify = expect_contents("out/x", bytes_of(four_hundred_bytes))},
        extraction_case{.title = "DosFolderFlagWithoutSlashIsAFileWithItsData",
                        .items = {alpha, with_folder_attribute("d/x.bin", four_hundred_bytes, dos_folder)},
                        .fails_with = std::nullopt,
                        .listing = {"out/", "out/a.txt", "out/d/", "out/d/x.bin"},
                        .verify = expect_contents("out/d/x.bin", bytes_of(four_hundred_bytes))},
        extraction_case{.title = "FolderAttributeWithoutSlashOrDataIsAnEmptyFile",
                        .items = {alpha, folder_item("x"), gamma_item},
                        .fails_with = std::nullopt,
                        .listing = {"out/", "out/a.txt", "out/c.txt", "out/x"},
                        .verify = expect_size("out/x", 0)},
        extraction_case{.title = "FolderAttributeAndSlashWithData",
                        .items = {alpha, with_folder_attribute("x/", four_hundred_bytes), gamma_item},
                        .fails_with = archive_error::damaged,
                        .listing = {"out/", "out/a.txt"}},
        extraction_case{.title = "FolderAttributeWithoutSlashWhereAFolderGoes",
                        .items = {alpha, folder_item("d"), file_item("d/f.txt", "f")},
                        .fails_with = os_error::exists,
                        .listing = {"out/", "out/a.txt", "out/d"}},
        extraction_case{.title = "DataCannotBeInflated",
                        .items = {alpha, beta, gamma_item},
                        .damage = break_deflate_data(1),
                        .fails_with = archive_error::damaged,
                        .listing = {"out/", "out/a.txt", "out/b.bin"},
                        .verify = expect_size("out/b.bin", 0)},
        extraction_case{.title = "WriteFailsPartWay",
                        .items = {alpha, beta, gamma_item},
                        .fails_with = os_error::no_space,
                        .listing = {"out/", "out/a.txt", "out/b.bin"},
                        .fault =
                            [] {
                              return std::make_unique<fault_injector>(
                                  fault_injector::on(platform::operation::write, "b.bin"), 1, false, os_error::no_space,
                                  true);
                            },
                        .verify = expect_size("out/b.bin", 20000)},
        extraction_case{.title = "WrongChecksumStored",
                        .items = {alpha, beta, gamma_item},
                        .damage = wrong_checksum(2),
                        .fails_with = archive_error::damaged,
                        .listing = {"out/", "out/a.txt", "out/b.bin", "out/c.txt"}},
        extraction_case{.title = "WrongChecksumDeflated",
                        .items = {alpha, beta, gamma_item},
                        .damage = wrong_checksum(1),
                        .fails_with = archive_error::damaged,
                        .listing = {"out/", "out/a.txt", "out/b.bin"}},
        extraction_case{.title = "DataLongerThanDeclared",
                        .items = {alpha, beta, gamma_item},
                        .damage = set_declared_size(1, 100),
                        .fails_with = archive_error::damaged,
                        .listing = {"out/", "out/a.txt", "out/b.bin"},
                        .verify = expect_contents("out/b.bin", byte_string(big_data.begin(), big_data.begin() + 100))},
        extraction_case{.title = "DataShorterThanDeclared",
                        .items = {alpha, beta, gamma_item},
                        .damage = set_declared_size(1, 50000),
                        .fails_with = archive_error::damaged,
                        .listing = {"out/", "out/a.txt", "out/b.bin"},
                        .verify = expect_size("out/b.bin", 40000)},
        extraction_case{.title = "Encrypted",
                        .items = {alpha, beta, gamma_item},
                        .damage = encrypt(1),
                        .fails_with = os_error::other,
                        .listing = {"out/", "out/a.txt", "out/b.bin"},
                        .verify = expect_size("out/b.bin", 0)}),
    title_of);

// --- archives as different writers lay them out ----------------------------------

// A folder, a deflated entry, a stored one and one with an extended time
// stamp in its local extra field, which a ZIP64 block then follows.
const std::vector<zip_item> every_kind = {folder_item("mesh/"), alpha, big_item("mesh/b.bin"), gamma_item,
                                          timed_item()};
const std::vector<std::string> every_kind_listing = {"out/",      "out/a.txt",      "out/c.txt",
                                                     "out/mesh/", "out/mesh/b.bin", "out/timed.txt"};

const arrangement every_kind_whole = [](const temp_folder& dir) {
  EXPECT_EQ(file_bytes(dir / "out/mesh/b.bin"), big_data);
  EXPECT_EQ(file_bytes(dir / "out/c.txt"), bytes_of("gamma"));
  const auto times = stored_times_of(dir / "out/timed.txt");
  ASSERT_TRUE(times);
  EXPECT_EQ(times->modification, 1000);
};

// The record of entry 1 gives all ones for its sizes, without the ZIP64
// block that would hold them.
const patch zip64_sizes_missing = for_entry(1, [](byte_string& zip, const zip_record& r) {
  put_le32(zip, r.central_header + central_size, 0xFFFFFFFF);
  put_le32(zip, r.central_header + 20, 0xFFFFFFFF);
});

INSTANTIATE_TEST_SUITE_P(
    WriterShapes, Extraction,
    ::testing::Values(
        extraction_case{.title = "Zip64LocalHeaders",  // Python's force_zip64
                        .items = every_kind,
                        .shape = reshape({.zip64_local = true}),
                        .listing = every_kind_listing,
                        .verify = every_kind_whole},
        extraction_case{.title = "Zip64SizesOfSmallEntries",
                        .items = every_kind,
                        .shape = reshape({.zip64_sizes = true}),
                        .listing = every_kind_listing,
                        .verify = every_kind_whole},
        extraction_case{.title = "Zip64EndRecords",
                        .items = every_kind,
                        .shape = reshape({.zip64_end = true}),
                        .listing = every_kind_listing,
                        .verify = every_kind_whole},
        extraction_case{
            .title = "Zip64Everywhere",  // Info-ZIP's zip -fz, and offsets too
            .items = every_kind,
            .shape = reshape({.zip64_local = true, .zip64_sizes = true, .zip64_offsets = true, .zip64_end = true}),
            .listing = every_kind_listing,
            .verify = every_kind_whole},
        extraction_case{.title = "BytesBeforeTheZip",  // a ZIP appended to another file
                        .items = every_kind,
                        .shape = reshape({.prefix = 5000}),
                        .listing = every_kind_listing,
                        .verify = every_kind_whole},
        extraction_case{.title = "BytesBeforeTheZipOffsetsFromTheFile",  // zip -A
                        .items = every_kind,
                        .shape = reshape({.prefix = 5000, .offsets_from_file = true}),
                        .listing = every_kind_listing,
                        .verify = every_kind_whole},
        extraction_case{.title = "BytesBeforeAZip64",
                        .items = every_kind,
                        .shape = reshape({.zip64_local = true,
                                          .zip64_sizes = true,
                                          .zip64_offsets = true,
                                          .zip64_end = true,
                                          .prefix = 70000,
                                          .trailing = 100}),
                        .listing = every_kind_listing,
                        .verify = every_kind_whole},
        extraction_case{.title = "BytesAfterTheZip",
                        .items = every_kind,
                        .shape = reshape({.trailing = 3000}),
                        .listing = every_kind_listing,
                        .verify = every_kind_whole},
        extraction_case{.title = "EndRecordsOfNothingAfterTheZip",
                        .items = every_kind,
                        .shape = reshape({.prefix = 100, .trailing = 3000, .trailing_end_records = true}),
                        .listing = every_kind_listing,
                        .verify = every_kind_whole},
        // Damage is found in every shape, before anything is written where
        // the records tell it.
        extraction_case{.title = "Zip64SizesMissing",
                        .items = every_kind,
                        .damage = zip64_sizes_missing,
                        .fails_with = archive_error::damaged,
                        .listing = only_target},
        extraction_case{.title = "Zip64EndRecordLost",
                        .items = every_kind,
                        .shape = reshape({.zip64_end = true, .zip64_end_lost = true}),
                        .fails_with = archive_error::damaged,
                        .listing = only_target},
        extraction_case{.title = "Zip64DamagedLocalHeader",
                        .items = every_kind,
                        .damage = break_local_signature(2),
                        .shape = reshape({.zip64_sizes = true, .zip64_end = true, .prefix = 100}),
                        .fails_with = archive_error::damaged,
                        .listing = only_target},
        extraction_case{.title = "Zip64WrongChecksum",
                        .items = every_kind,
                        .damage = wrong_checksum(2),
                        .shape = reshape({.zip64_local = true, .zip64_sizes = true, .zip64_end = true}),
                        .fails_with = archive_error::damaged,
                        .listing = {"out/", "out/a.txt", "out/mesh/", "out/mesh/b.bin"}},
        extraction_case{
            .title = "Zip64DataLongerThanDeclared",
            .items = every_kind,
            .damage = set_declared_size(2, 100),
            .shape = reshape({.zip64_sizes = true, .prefix = 100}),
            .fails_with = archive_error::damaged,
            .listing = {"out/", "out/a.txt", "out/mesh/", "out/mesh/b.bin"},
            .verify = expect_contents("out/mesh/b.bin", byte_string(big_data.begin(), big_data.begin() + 100))},
        extraction_case{.title = "Zip64DeclaredSizesPastTheFreeSpace",
                        .items = many_small_items(1000),
                        .damage = huge_declared_sizes,
                        .shape = reshape({.zip64_sizes = true, .zip64_end = true}),
                        .fails_with = os_error::no_space,
                        .listing = only_target}),
    title_of);

// --- entries that must not write anything -------------------------------------

zip_item link_entry(std::string name, std::string_view target) {
  zip_item item = file_item(std::move(name), target, 0);
  item.external = unix_link;
  return item;
}

const patch zero_byte_in_name = for_entry(1, [](byte_string& zip, const zip_record& r) {
  zip[r.local_header + 30 + 3] = 0;
  zip[r.central_header + 46 + 3] = 0;
});

const std::string long_folder = "d/" + std::string(200, 'n') + "/";  // 300 bytes with the file below it

INSTANTIATE_TEST_SUITE_P(
    UnsafeEntries, Extraction,
    ::testing::Values(extraction_case{.title = "ParentFolder",
                                      .items = {alpha, named("../evil")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "ParentFolderBehindBackslashes",
                                      .items = {alpha, folder_item("a/"), named("a\\..\\..\\evil")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "ParentFolderOfAFolder",
                                      .items = {alpha, folder_item("a/../../escaped/")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "Absolute",
                                      .items = {alpha, named(absolute_name)},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "AbsoluteBackslash",
                                      .items = {alpha, named("\\evil")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      // On Linux, "C:" would be an ordinary folder, made as x needs it.
                      extraction_case{.title = "DriveLetter",
                                      .items = {alpha, named("C:/x")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "UncPrefix",
                                      .items = {alpha, named("\\\\srv\\s\\x")},
                                      .arrange = [](const temp_folder& d) { put_folder(d / "out/srv/s"); },
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = {"out/", "out/srv/", "out/srv/s/"}},
                      extraction_case{.title = "Colon",
                                      .items = {alpha, named("a.txt:stream")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "ControlCharacter",
                                      .items = {alpha, named("tab\there")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "ZeroByte",
                                      .items = {alpha, named("zer0.txt")},
                                      .damage = zero_byte_in_name,
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "NameTooLongToHold",  // cut short, it would name another file
                                      .items = {alpha, folder_item("d/"), folder_item(long_folder),
                                                named(long_folder + std::string(98, 'm'))},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      // Names Windows would open as a device, or change, on
                      // every system alike: a package made on Linux must
                      // behave the same on a player's Windows.
                      extraction_case{.title = "DeviceName",
                                      .items = {alpha, named("NUL")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "DeviceNameWithExtensions",
                                      .items = {alpha, named("nul.tar.gz")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "DeviceNameInAFolder",
                                      .items = {alpha, named("mesh/nul.msh")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "DeviceNameAsAFolder",
                                      .items = {alpha, named("Com1/a.msh")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "DeviceNameAsAFolderEntry",
                                      .items = {alpha, folder_item("mesh/lpt9/")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "EndsInADot",
                                      .items = {alpha, named("name.")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "EndsInASpace",
                                      .items = {alpha, named("mesh /a.msh")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "CharacterWindowsRefuses",
                                      .items = {alpha, named("what?.txt")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "DriveRelative",
                                      .items = {alpha, named("C:evil")},
                                      .fails_with = archive_error::unsafe_name,
                                      .listing = only_target},
                      extraction_case{.title = "UnsafeNameAfterDamage",  // the first fault found is told
                                      .items = {alpha, beta, named("NUL")},
                                      .damage = break_local_signature(1),
                                      .fails_with = archive_error::damaged,
                                      .listing = only_target},
                      extraction_case{.title = "LinkEntryBecomesAPlainFile",
                                      .items = {alpha, link_entry("link", ".."), named("link/evil")},
                                      .fails_with = os_error::exists,
                                      .listing = {"out/", "out/a.txt", "out/link"},
                                      .verify = expect_contents("out/link", bytes_of(".."))}),
    title_of);

// --- a whole tree --------------------------------------------------------------

TEST(ExtractArchive, BuildsTheWholeTree) {
  temp_folder dir;
  zip_item textures = folder_item("textures\\");  // a folder by its name, as Windows tools write it
  zip_item dos_folder_entry = folder_item("dos-folder/");
  dos_folder_entry.external = dos_folder;
  zip_item readme = file_item("readme.txt", "read me", 0);
  readme.external = dos_readonly | dos_hidden;
  zip_item model = big_item("models/P0.POS");
  model.local_extra = extended_timestamp(7, {1'000'000'000, 1'100'000'000, 900'000'000});
  write_zip(dir / "pack.zip", {folder_item("models/"), textures, folder_item("deep/er/"), model, readme,
                               file_item("textures\\skin.bmp", "BM", 0), dos_folder_entry});

  ASSERT_EQ(failed_with(unpack_archive(dir / "pack.zip", dir / "out")), std::nullopt);
  EXPECT_EQ(listing(dir), (std::vector<std::string>{"out/", "out/deep/", "out/deep/er/", "out/dos-folder/",
                                                    "out/models/", "out/models/P0.POS", "out/readme.txt",
                                                    "out/textures/", "out/textures/skin.bmp"}));
  const auto times = stored_times_of(dir / "out/models/P0.POS");  // before reading changes the access time
  ASSERT_TRUE(times);
  EXPECT_EQ(times->modification, 1'000'000'000);
  EXPECT_EQ(times->access, 1'100'000'000);
  EXPECT_EQ(file_bytes(dir / "out/models/P0.POS"), big_data);
  EXPECT_EQ(file_bytes(dir / "out/textures/skin.bmp"), bytes_of("BM"));
  // On Windows, owner_write is the absence of the read-only attribute.
  EXPECT_NE(fs::status(native_path(dir / "out/readme.txt")).permissions() & fs::perms::owner_write, fs::perms::none)
      << "the stored read-only flag is not kept";
}

TEST(ExtractArchive, ReplacesEveryFileOnASecondRun) {
  temp_folder dir;
  write_zip(dir / "pack.zip", {folder_item("models/"), file_item("models/P0.POS", "pose"), alpha});
  ASSERT_EQ(failed_with(unpack_archive(dir / "pack.zip", dir / "out")), std::nullopt);
  put_file(dir / "out/models/P0.POS", "changed");
  put_file(dir / "out/models/mine.txt", "kept");
  fs::permissions(native_path(dir / "out/a.txt"),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);

  ASSERT_EQ(failed_with(unpack_archive(dir / "pack.zip", dir / "out")), std::nullopt);
  EXPECT_EQ(file_bytes(dir / "out/models/P0.POS"), bytes_of("pose"));
  EXPECT_EQ(file_bytes(dir / "out/models/mine.txt"), bytes_of("kept"));
  EXPECT_EQ(file_bytes(dir / "out/a.txt"), bytes_of("alpha"));
  EXPECT_NE(fs::status(native_path(dir / "out/a.txt")).permissions() & fs::perms::owner_write, fs::perms::none);
}

// --- archives as common tools write them ----------------------------------------

TEST(ExtractArchive, NeedsNoFolderEntries) {
  temp_folder dir;
  // What `zip -D`, Python's writestr and many tools write: files only.
  write_zip(dir / "pack.zip", {file_item("P0.POS", "pose"), file_item("mesh/hero.msh", "hero"),
                               file_item("mesh/parts/arm.msh", "arm"), file_item("tex\\skin.bmp", "BM", 0)});
  ASSERT_EQ(failed_with(unpack_archive(dir / "pack.zip", dir / "out")), std::nullopt);
  EXPECT_EQ(listing(dir),
            (std::vector<std::string>{"out/", "out/P0.POS", "out/mesh/", "out/mesh/hero.msh", "out/mesh/parts/",
                                      "out/mesh/parts/arm.msh", "out/tex/", "out/tex/skin.bmp"}));
  EXPECT_EQ(file_bytes(dir / "out/mesh/parts/arm.msh"), bytes_of("arm"));
}

TEST(ExtractArchive, TreatsLetterCaseAsWindowsDoes) {
  temp_folder dir;
  write_zip(dir / "pack.zip",
            {file_item("Mesh/a.msh", "a"), file_item("mesh/b.msh", "b"), folder_item("MESH/sub/"),
             file_item("mesh/SUB/c.msh", "c"), file_item("p0.pos", "first"), file_item("P0.POS", "second")});
  ASSERT_EQ(failed_with(unpack_archive(dir / "pack.zip", dir / "out")), std::nullopt);
  EXPECT_EQ(listing(dir), (std::vector<std::string>{"out/", "out/Mesh/", "out/Mesh/a.msh", "out/Mesh/b.msh",
                                                    "out/Mesh/sub/", "out/Mesh/sub/c.msh", "out/p0.pos"}));
  EXPECT_EQ(file_bytes(dir / "out/p0.pos"), bytes_of("second"));  // the later entry replaces the earlier
}

TEST(ExtractArchive, NamesTheEntryWhoseNameItRefuses) {
  temp_folder dir;
  // Stored in GBK: 模型/nul.msh.
  write_zip(dir / "pack.zip", {alpha, file_item("\xC4\xA3\xD0\xCD/nul.msh", "x")});
  const status result = unpack_archive(dir / "pack.zip", dir / "out");
  ASSERT_EQ(failed_with(result), archive_error::unsafe_name);
  EXPECT_TRUE(result.error().path.ends_with("pack.zip" + std::string(1, platform::path_separator) + "模型/nul.msh"))
      << result.error().path;
}

TEST(ExtractArchive, DecodesGbkNames) {
  temp_folder dir;
  // 模型/动作.act and 乗.txt in GBK, as Chinese Windows tools store them
  // (no UTF-8 flag); the second byte of 乗 is the byte of "\\".
  write_zip(dir / "pack.zip", {file_item("\xC4\xA3\xD0\xCD/\xB6\xAF\xD7\xF7.act", "act"),
                               file_item("\x81\x5C.txt", "x"), file_item("模型/utf8.txt", "u")});
  ASSERT_EQ(failed_with(unpack_archive(dir / "pack.zip", dir / "out")), std::nullopt);
  EXPECT_EQ(listing(dir),
            (std::vector<std::string>{"out/", "out/乗.txt", "out/模型/", "out/模型/utf8.txt", "out/模型/动作.act"}));
  EXPECT_EQ(file_bytes(dir / "out/模型/动作.act"), bytes_of("act"));
}

TEST(ExtractArchive, RefusesMoreEntriesThanTheEndRecordSays) {
  temp_folder dir;
  {
    zip_writer zip(dir / "pack.zip");
    for (int i = 0; i < 0x10001; ++i) ASSERT_TRUE(zip.add(file_item(std::to_string(i), "", 0)));
    ASSERT_TRUE(zip.close());
  }
  // Without the ZIP64 end records, as some writers leave an archive of more
  // than 65535 entries, the end record says 65535.
  byte_string zip = file_bytes(dir / "pack.zip");
  constexpr std::size_t zip64_records = 56 + 20, end_record = 22;
  const std::size_t records_at = zip.size() - end_record - zip64_records;
  ASSERT_EQ(zip[records_at + 3], 0x06);  // PK 06 06
  zip.erase(zip.begin() + static_cast<std::ptrdiff_t>(records_at),
            zip.begin() + static_cast<std::ptrdiff_t>(records_at + zip64_records));
  put_file(dir / "pack.zip", zip);

  EXPECT_EQ(failed_with(unpack_archive(dir / "pack.zip", dir / "out")), archive_error::damaged);
  EXPECT_EQ(listing(dir), only_target);
}

int listings_to_extract(int entries) {
  temp_folder dir;
  write_zip(dir / "pack.zip", many_small_items(entries));
  listing_counter counter;
  EXPECT_EQ(failed_with(unpack_archive(dir / "pack.zip", dir / "out")), std::nullopt);
  return counter.listings;
}

TEST(ExtractArchive, ListsNoFolderForEachEntry) {
  // The letter-case lookup lists a folder for every name not yet there; in
  // the folder it creates, the extraction never needs it.
  const int few = listings_to_extract(20);
  EXPECT_EQ(listings_to_extract(400), few);
  EXPECT_LE(few, 4);
}

}  // namespace
}  // namespace vantor::archive_test
