// The ZIP writer of update packages: names stored as Chinese Windows tools
// store them, and archives the program's own unpacking gives back whole.

#include "services/archive/archive_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "services/archive/archive.h"
#include "services/archive/archive_error.h"
#include "services/little_endian.h"
#include "support/native_path.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::file_bytes;
using testing::put_file;

struct name_case {
  const char* name;
  std::string entry;
  std::string stored;  // empty: refused
  bool unicode_field = false;
  const char* refused_as = "";
  friend void PrintTo(const name_case& c, std::ostream* os) { *os << c.name; }
};

class StoredNames : public ::testing::TestWithParam<name_case> {};

TEST_P(StoredNames, AreGbkWithTheUnicodePathOrRefused) {
  const auto& c = GetParam();
  const auto stored = store_entry_name(c.entry);
  if (c.stored.empty()) {
    ASSERT_FALSE(stored);
    EXPECT_EQ(stored.error().kind, std::string_view(c.refused_as) == "unsafe"
                                       ? failure_kind(archive_error::unsafe_name)
                                       : failure_kind(archive_error::name_not_gbk));
    return;
  }
  ASSERT_TRUE(stored) << stored.error();
  EXPECT_EQ(stored->bytes, c.stored);
  if (!c.unicode_field) {
    EXPECT_TRUE(stored->extra.empty());
    return;
  }
  // Info-ZIP Unicode path: tag, size, version 1, CRC-32 of the stored name, UTF-8.
  ASSERT_EQ(stored->extra.size(), 9 + c.entry.size());
  EXPECT_EQ(load_le16(stored->extra.data()), 0x7075);
  EXPECT_EQ(load_le16(stored->extra.data() + 2), 5 + c.entry.size());
  EXPECT_EQ(stored->extra[4], 1);
  EXPECT_EQ(std::string(stored->extra.begin() + 9, stored->extra.end()), c.entry);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StoredNames,
    ::testing::Values(name_case{"ascii", "mesh/hero.msh", "mesh/hero.msh"}, name_case{"ascii_folder", "mesh/", "mesh/"},
                      name_case{"chinese", "模型/头像.msh", "\xC4\xA3\xD0\xCD/\xCD\xB7\xCF\xF1.msh", true},
                      // GBK D1 A7 is valid UTF-8 as well: an unpacker would read another name.
                      name_case{"gbk_bytes_that_read_as_utf8", "学.msh", "", false, "gbk"},
                      name_case{"outside_gbk", "\xF0\x9F\x98\x80.msh", "", false, "gbk"},
                      name_case{"device", "mesh/nul.msh", "", false, "unsafe"},
                      name_case{"parent", "../hero.msh", "", false, "unsafe"},
                      name_case{"backslash", "mesh\\hero.msh", "", false, "unsafe"},
                      name_case{"trailing_dot", "hero.", "", false, "unsafe"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ArchiveWriter, WritesWhatTheUnpackingGivesBackWithFixedHeaders) {
  testing::temp_folder dir;
  const byte_string large = testing::random_bytes(3 << 20, 7);  // more than one piece
  put_file(dir / "large", large);
  put_file(dir / "small", "small");
  {
    auto archive = archive_writer::create(dir / "out.zip");
    ASSERT_TRUE(archive) << archive.error();
    ASSERT_TRUE(archive->add_folder("模型"));
    ASSERT_TRUE(archive->add_file("模型/头像.msh", dir / "large"));
    ASSERT_TRUE(archive->add_file("P0.POS", dir / "small"));
    ASSERT_TRUE(archive->close());
  }
  const byte_string zip = file_bytes(dir / "out.zip");
  ASSERT_GT(zip.size(), 30u);
  EXPECT_EQ(load_le32(zip.data()), 0x04034B50u);
  EXPECT_EQ(load_le16(zip.data() + 6) & 0x0800, 0) << "names are GBK, not flagged UTF-8";
  EXPECT_EQ(load_le32(zip.data() + 10), 0x00210000u) << "1980-01-01 00:00";

  ASSERT_TRUE(unpack_archive(dir / "out.zip", dir / "unpacked"));
  EXPECT_EQ(file_bytes(dir / "unpacked/模型/头像.msh"), large);
  EXPECT_EQ(file_bytes(dir / "unpacked/P0.POS"), bytes_of("small"));

  // A file already at the archive's path is never written over.
  EXPECT_FALSE(archive_writer::create(dir / "out.zip"));
  EXPECT_EQ(file_bytes(dir / "out.zip"), zip);
}

}  // namespace
}  // namespace vantor
