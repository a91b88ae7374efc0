// unpack_archive meeting symbolic links and pipes (POSIX file kinds): it
// never writes through a link, never opens a pipe and never waits for one.
// The cases are rows of the table in extraction_table.h.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "extraction_table.h"
#include "support/temp_folder.h"
#include "support/zip_fixture.h"

namespace vantor::archive_test {
namespace {

namespace fs = std::filesystem;
using namespace testing::fixture;
using testing::put_folder;
using testing::temp_folder;

arrangement link_in_target(std::string link, fs::path to) {
  return [link = std::move(link), to = std::move(to)](const temp_folder& d) {
    put_folder(d / "outside");
    put_folder(d / "out");
    fs::create_symlink(to.is_absolute() ? to : fs::path(d.path()) / to, d / ("out/" + link));
  };
}

arrangement pipe_at(std::string path) {
  return [path = std::move(path)](const temp_folder& d) {
    put_folder(d / "out");
    ASSERT_EQ(::mkfifo((d / path).c_str(), 0600), 0);
  };
}

const zip_item beta = file_item("b.bin", "beta");

INSTANTIATE_TEST_SUITE_P(Links, Extraction,
                         ::testing::Values(extraction_case{.title = "LinkInTheTargetFolder",
                                                           .items = {alpha, named("sub/evil")},
                                                           .arrange = link_in_target("sub", "outside"),
                                                           .fails_with = os_error::exists,
                                                           .listing = {"out/", "out/a.txt", "out/sub@", "outside/"}},
                                           extraction_case{.title = "LinkInTheTargetFolderOtherCase",
                                                           .items = {alpha, named("SUB/evil")},
                                                           .arrange = link_in_target("sub", "outside"),
                                                           .fails_with = os_error::exists,
                                                           .listing = {"out/", "out/a.txt", "out/sub@", "outside/"}},
                                           extraction_case{.title = "LinkWhereAFolderEntryGoes",
                                                           .items = {alpha, folder_item("sub/"), named("sub/evil")},
                                                           .arrange = link_in_target("sub", "outside"),
                                                           .fails_with = os_error::exists,
                                                           .listing = {"out/", "out/a.txt", "out/sub@", "outside/"}},
                                           extraction_case{
                                               .title = "LinkWhereAFileEntryGoes",
                                               .items = {named("first.txt"), named("evil")},
                                               .arrange = link_in_target("evil", "evil"),
                                               .fails_with = os_error::exists,
                                               .listing = {"out/", "out/evil@", "out/first.txt", "outside/"}},
                                           extraction_case{.title = "DanglingLinkWhereAFileEntryGoes",
                                                           .items = {alpha, named("gone")},
                                                           .arrange = link_in_target("gone", "outside/gone"),
                                                           .fails_with = os_error::exists,
                                                           .listing = {"out/", "out/a.txt", "out/gone@", "outside/"}}),
                         title_of);

// A pipe opened for writing would wait for a reader that never comes.
INSTANTIATE_TEST_SUITE_P(Pipes, Extraction,
                         ::testing::Values(extraction_case{.title = "PipeWhereAFileEntryGoes",
                                                           .items = {alpha, beta},
                                                           .arrange = pipe_at("out/b.bin"),
                                                           .fails_with = os_error::exists,
                                                           .listing = {"out/", "out/a.txt", "out/b.bin|"}},
                                           extraction_case{.title = "PipeWhereAFolderGoes",
                                                           .items = {alpha, named("p/evil")},
                                                           .arrange = pipe_at("out/p"),
                                                           .fails_with = os_error::exists,
                                                           .listing = {"out/", "out/a.txt", "out/p|"}},
                                           extraction_case{.title = "ArchiveIsAPipe",
                                                           .arrange = pipe_at("pack.zip"),
                                                           .fails_with = os_error::not_a_file,
                                                           .listing = only_target}),
                         title_of);

}  // namespace
}  // namespace vantor::archive_test
