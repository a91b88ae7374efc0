// Writing one entry where a symbolic link or a pipe stands (POSIX file
// kinds): never through the link, never into the pipe, never waiting.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "platform/system_error.h"
#include "services/archive/archive_reader.h"
#include "support/temp_folder.h"
#include "support/zip_fixture.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using namespace testing::fixture;
using testing::bytes_of;
using testing::exists;
using testing::file_bytes;
using testing::put_file;
using testing::put_folder;
using testing::temp_folder;

TEST(EntryToFile, IsNeverWrittenThroughALinkOrIntoAPipe) {
  temp_folder dir;
  write_zip(dir / "pack.zip", {file_item("a.txt", "alpha")});
  put_file(dir / "sentinel", "sentinel");
  put_folder(dir / "folder");
  const struct {
    const char* title;
    std::function<void(const std::string&)> put;
  } in_the_way[] = {
      {"link to a file", [&](const std::string& at) { fs::create_symlink(dir / "sentinel", at); }},
      {"link to nothing", [&](const std::string& at) { fs::create_symlink(dir / "nowhere", at); }},
      {"link to a folder", [&](const std::string& at) { fs::create_directory_symlink(dir / "folder", at); }},
      {"pipe", [](const std::string& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0); }},
  };
  archive_handle handle = open_archive(dir / "pack.zip");
  ASSERT_TRUE(handle);
  for (const auto& row : in_the_way) {
    SCOPED_TRACE(row.title);
    const std::string at = dir / (std::string("out-") + row.title);
    row.put(at);
    const status written = extract_entry_to_file(handle.get(), 0, at);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), (failure{os_error::not_a_file, at}));
  }
  EXPECT_EQ(file_bytes(dir / "sentinel"), bytes_of("sentinel"));
  EXPECT_FALSE(exists(dir / "nowhere"));
  EXPECT_TRUE(fs::is_empty(dir / "folder"));
}

}  // namespace
}  // namespace vantor
