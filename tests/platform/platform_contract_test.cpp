// What every call of the platform layer answers, the same on every system:
// for a missing path, a folder where a file belongs, something already at
// a target, an empty path; and that each operation asks the fault hook.
// Runs on Linux and under Windows alike.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/fault_hook.h"
#include "platform/files.h"
#include "support/fault_injector.h"
#include "support/native_path.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using platform::open_mode;
using testing::bytes_of;
using testing::temp_folder;

// The same small tree for every row: a file, another file, an empty folder
// and a folder with a file in it.
void arrange(const temp_folder& dir) {
  testing::put_file(dir / "file", bytes_of("bytes"));
  testing::put_file(dir / "other", bytes_of("other"));
  testing::put_folder(dir / "empty");
  testing::put_file(dir / "full/inside", bytes_of("inside"));
}

template <typename T>
status as_status(const outcome<T>& result) {
  if (!result) return result.error();
  return {};
}

status open_as(const std::string& path, open_mode mode) { return as_status(platform::open_file(path, mode)); }

struct contract_case {
  const char* name;
  std::function<status(const temp_folder&)> run;
  std::optional<os_error> expected;  ///< none: the call succeeds
  friend std::ostream& operator<<(std::ostream& out, const contract_case& c) { return out << c.name; }
};

class PlatformContract : public ::testing::TestWithParam<contract_case> {};

TEST_P(PlatformContract, AnswersTheSameOnEverySystem) {
  const contract_case& c = GetParam();
  temp_folder dir;
  arrange(dir);
  const status result = c.run(dir);
  if (!c.expected) {
    EXPECT_TRUE(result.ok()) << result.error();
  } else {
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, *c.expected) << result.error();
  }
}

constexpr std::optional<os_error> succeeds = std::nullopt;
const auto no_wait = std::chrono::milliseconds(0);

INSTANTIATE_TEST_SUITE_P(
    Table, PlatformContract,
    ::testing::Values(
        contract_case{"open_read_file", [](auto& d) { return open_as(d / "file", open_mode::read); }, succeeds},
        contract_case{"open_read_missing", [](auto& d) { return open_as(d / "missing", open_mode::read); },
                      os_error::not_found},
        contract_case{"open_read_folder", [](auto& d) { return open_as(d / "empty", open_mode::read); },
                      os_error::not_a_file},
        contract_case{"open_read_empty_path", [](auto&) { return open_as("", open_mode::read); }, os_error::not_found},
        contract_case{"open_write_existing_missing",
                      [](auto& d) { return open_as(d / "missing", open_mode::write_existing); }, os_error::not_found},
        contract_case{"open_write_existing_folder",
                      [](auto& d) { return open_as(d / "empty", open_mode::write_existing); }, os_error::not_a_file},
        contract_case{"open_replace_folder", [](auto& d) { return open_as(d / "empty", open_mode::replace); },
                      os_error::not_a_file},
        contract_case{"open_replace_in_missing_folder",
                      [](auto& d) { return open_as(d / "missing/file", open_mode::replace); }, os_error::not_found},
        contract_case{"open_create_new_over_file", [](auto& d) { return open_as(d / "file", open_mode::create_new); },
                      os_error::exists},
        contract_case{"open_create_new_over_folder",
                      [](auto& d) { return open_as(d / "empty", open_mode::create_new); }, os_error::exists},
        contract_case{"open_create_new_exact_over_file",
                      [](auto& d) {
                        return as_status(
                            platform::open_file(d / "file", open_mode::create_new, platform::path_lookup::exact));
                      },
                      os_error::exists},
        contract_case{"rename_file", [](auto& d) { return platform::rename_over(d / "file", d / "new"); }, succeeds},
        contract_case{"rename_over_existing_file",
                      [](auto& d) { return platform::rename_over(d / "file", d / "other"); }, succeeds},
        contract_case{"rename_missing", [](auto& d) { return platform::rename_over(d / "missing", d / "new"); },
                      os_error::not_found},
        contract_case{"rename_empty_path", [](auto& d) { return platform::rename_over("", d / "new"); },
                      os_error::not_found},
        contract_case{"remove_file", [](auto& d) { return platform::remove_file(d / "file"); }, succeeds},
        contract_case{"remove_file_missing", [](auto& d) { return platform::remove_file(d / "missing"); },
                      os_error::not_found},
        contract_case{"remove_file_folder", [](auto& d) { return platform::remove_file(d / "empty"); },
                      os_error::not_a_file},
        contract_case{"remove_file_empty_path", [](auto&) { return platform::remove_file(""); }, os_error::not_found},
        contract_case{"copy_file", [](auto& d) { return platform::copy_file(d / "file", d / "copy"); }, succeeds},
        contract_case{"copy_missing", [](auto& d) { return platform::copy_file(d / "missing", d / "copy"); },
                      os_error::not_found},
        contract_case{"copy_folder", [](auto& d) { return platform::copy_file(d / "empty", d / "copy"); },
                      os_error::not_a_file},
        contract_case{"copy_over_existing_file", [](auto& d) { return platform::copy_file(d / "file", d / "other"); },
                      os_error::exists},
        contract_case{"copy_empty_path", [](auto& d) { return platform::copy_file("", d / "copy"); },
                      os_error::not_found},
        contract_case{"remove_entry_full_folder", [](auto& d) { return platform::remove_entry(d / "full"); }, succeeds},
        contract_case{"remove_entry_missing", [](auto& d) { return platform::remove_entry(d / "missing"); },
                      os_error::not_found},
        contract_case{"remove_entry_empty_path", [](auto&) { return platform::remove_entry(""); }, os_error::not_found},
        contract_case{"create_folder", [](auto& d) { return platform::create_folder(d / "new"); }, succeeds},
        contract_case{"create_folder_over_file", [](auto& d) { return platform::create_folder(d / "file"); },
                      os_error::exists},
        contract_case{"create_folder_over_folder", [](auto& d) { return platform::create_folder(d / "empty"); },
                      os_error::exists},
        contract_case{"create_folder_in_missing_folder",
                      [](auto& d) { return platform::create_folder(d / "missing/new"); }, os_error::not_found},
        contract_case{"create_folder_exact_in_missing_folder",
                      [](auto& d) { return platform::create_folder(d / "missing/new", platform::path_lookup::exact); },
                      os_error::not_found},
        contract_case{"create_folder_empty_path", [](auto&) { return platform::create_folder(""); },
                      os_error::not_found},
        contract_case{"remove_folder_empty", [](auto& d) { return platform::remove_folder(d / "empty"); }, succeeds},
        contract_case{"remove_folder_missing", [](auto& d) { return platform::remove_folder(d / "missing"); },
                      os_error::not_found},
        contract_case{"remove_folder_file", [](auto& d) { return platform::remove_folder(d / "file"); },
                      os_error::not_a_file},
        contract_case{"remove_folder_empty_path", [](auto&) { return platform::remove_folder(""); },
                      os_error::not_found},
        contract_case{"flush_folder", [](auto& d) { return platform::flush_folder(d / "full"); }, succeeds},
        contract_case{"flush_folder_missing_counts_as_done",
                      [](auto& d) { return platform::flush_folder(d / "missing"); }, succeeds},
        contract_case{"flush_tree", [](auto& d) { return platform::flush_tree(d.path()); }, succeeds},
        contract_case{"flush_tree_missing", [](auto& d) { return platform::flush_tree(d / "missing"); },
                      os_error::not_found},
        contract_case{"flush_tree_file", [](auto& d) { return platform::flush_tree(d / "file"); },
                      os_error::not_a_file},
        contract_case{"free_space", [](auto& d) { return as_status(platform::free_space(d.path())); }, succeeds},
        contract_case{"free_space_missing", [](auto& d) { return as_status(platform::free_space(d / "missing")); },
                      os_error::not_found},
        contract_case{"check_writable", [](auto& d) { return platform::check_writable(d.path()); }, succeeds},
        contract_case{"check_writable_missing", [](auto& d) { return platform::check_writable(d / "missing"); },
                      os_error::not_found},
        contract_case{"check_writable_file", [](auto& d) { return platform::check_writable(d / "file"); },
                      os_error::not_a_folder},
        contract_case{"lock_folder", [](auto& d) { return as_status(platform::lock_folder(d.path(), no_wait)); },
                      succeeds},
        contract_case{"lock_folder_missing",
                      [](auto& d) { return as_status(platform::lock_folder(d / "missing", no_wait)); },
                      os_error::not_found},
        contract_case{"lock_folder_empty_path", [](auto&) { return as_status(platform::lock_folder("", no_wait)); },
                      os_error::not_found},
        contract_case{"set_writable", [](auto& d) { return platform::set_writable(d / "file", false); }, succeeds},
        contract_case{"set_writable_missing", [](auto& d) { return platform::set_writable(d / "missing", true); },
                      os_error::not_found},
        contract_case{"set_writable_empty_path", [](auto&) { return platform::set_writable("", true); },
                      os_error::not_found},
        contract_case{"set_file_times",
                      [](auto& d) { return platform::set_file_times(d / "file", {1000000000, 0}, {1000000000, 0}); },
                      succeeds},
        contract_case{"set_file_times_missing", [](auto& d) { return platform::set_file_times(d / "missing", {}, {}); },
                      os_error::not_found},
        contract_case{"set_file_times_empty_path", [](auto&) { return platform::set_file_times("", {}, {}); },
                      os_error::not_found},
        contract_case{"permissions_of", [](auto& d) { return as_status(platform::permissions_of(d / "file")); },
                      succeeds},
        contract_case{"permissions_of_missing",
                      [](auto& d) { return as_status(platform::permissions_of(d / "missing")); }, os_error::not_found},
        contract_case{"permissions_of_folder", [](auto& d) { return as_status(platform::permissions_of(d / "empty")); },
                      os_error::not_a_file},
        contract_case{"set_permissions_missing", [](auto& d) { return platform::set_permissions(d / "missing", {}); },
                      os_error::not_found},
        contract_case{"read_link_file", [](auto& d) { return as_status(platform::read_link(d / "file")); },
                      os_error::not_a_file},
        contract_case{"read_link_missing", [](auto& d) { return as_status(platform::read_link(d / "missing")); },
                      os_error::not_found},
        contract_case{"make_link_over_a_file", [](auto& d) { return platform::make_link("other", d / "file"); },
                      os_error::exists},
        contract_case{"check_folder_file", [](auto& d) { return platform::check_folder(d / "file"); },
                      os_error::not_a_folder},
        contract_case{"check_folder_missing", [](auto& d) { return platform::check_folder(d / "missing"); },
                      os_error::not_found},
        contract_case{"open_address_empty", [](auto&) { return platform::open_address(""); }, os_error::not_found}),
    [](const auto& row) { return std::string(row.param.name); });

// --- read-only files -------------------------------------------------------------

// Windows' rule for a read-only file, which Wine running as root does not
// keep for a rename: the rename over it is refused.
class read_only_rule final : public platform::fault_hook {
 public:
  read_only_rule() { platform::set_fault_hook(this); }
  ~read_only_rule() override { platform::set_fault_hook(nullptr); }
  read_only_rule(const read_only_rule&) = delete;
  read_only_rule& operator=(const read_only_rule&) = delete;
  platform::fault before(platform::operation, std::string_view, std::string_view) override { return {}; }
  bool read_only_refused() override { return true; }
};

bool writable(const std::string& path) {
  const auto permissions = std::filesystem::status(testing::native_path(path)).permissions();
  return (permissions & std::filesystem::perms::owner_write) != std::filesystem::perms::none;
}

struct read_only_case {
  const char* name;
  status (*run)(const temp_folder&);
  const char* left_at_file;  ///< the bytes then at "file"; nullptr: no file there
  friend std::ostream& operator<<(std::ostream& out, const read_only_case& c) { return out << c.name; }
};

class ReadOnlyFile : public ::testing::TestWithParam<read_only_case> {};

// A game file marked read-only (copied from a disc, or by another tool) is
// replaced or removed like any other, never reported as refused or in use,
// and a file put in its place is writable.
TEST_P(ReadOnlyFile, IsReplacedOrRemovedAndTheNewFileIsWritable) {
  const read_only_case& c = GetParam();
  temp_folder dir;
  arrange(dir);
  ASSERT_TRUE(platform::set_writable(dir / "file", false).ok());
  ASSERT_FALSE(writable(dir / "file"));
  const read_only_rule windows_rule;
  const status result = c.run(dir);
  ASSERT_TRUE(result.ok()) << result.error();
  if (c.left_at_file == nullptr) {
    EXPECT_FALSE(std::filesystem::exists(testing::native_path(dir / "file")));
  } else {
    EXPECT_EQ(testing::file_bytes(dir / "file"), bytes_of(c.left_at_file));
    EXPECT_TRUE(writable(dir / "file"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadOnlyFile,
    ::testing::Values(
        read_only_case{"renamed_over",
                       [](const temp_folder& d) { return platform::rename_over(d / "other", d / "file"); }, "other"},
        read_only_case{"removed", [](const temp_folder& d) { return platform::remove_file(d / "file"); }, nullptr},
        read_only_case{"removed_as_an_entry", [](const temp_folder& d) { return platform::remove_entry(d / "file"); },
                       nullptr}),
    [](const auto& row) { return std::string(row.param.name); });

// --- the fault hook ------------------------------------------------------------

// A call that the hook is asked about; `arm` installs the fault just before
// it, after whatever the call needs (an open file) is made.
struct hook_case {
  const char* name;
  platform::operation op;
  std::function<status(const temp_folder&, const std::function<void()>& arm)> run;
  std::function<bool(const temp_folder&)> untouched;  ///< the refused call changed nothing
  friend std::ostream& operator<<(std::ostream& out, const hook_case& c) { return out << c.name; }
};

template <typename call>
status on_open_file(const temp_folder& dir, open_mode mode, const std::function<void()>& arm, call use) {
  auto opened = platform::open_file(dir / "file", mode);
  if (!opened) return opened.error();
  arm();
  return use(*opened);
}

bool file_kept(const temp_folder& d) { return testing::file_bytes(d / "file") == bytes_of("bytes"); }
bool nothing_new(const temp_folder& d) { return !testing::exists(d / "new") && file_kept(d); }
bool no_check(const temp_folder&) { return true; }

class FaultHookAsked : public ::testing::TestWithParam<hook_case> {};

TEST_P(FaultHookAsked, AndItsRefusalIsTheAnswer) {
  const hook_case& c = GetParam();
  temp_folder dir;
  arrange(dir);
  std::optional<testing::fault_injector> fault;
  const auto arm = [&] { fault.emplace(testing::fault_injector::on(c.op), 1, false, os_error::name_refused); };
  const status result = c.run(dir, arm);
  ASSERT_TRUE(fault.has_value()) << "the call never got as far as its operation";
  EXPECT_GE(fault->failures_injected(), 1);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().kind, os_error::name_refused);
  fault.reset();
  EXPECT_TRUE(c.untouched(dir));
}

std::vector<hook_case> hook_cases() {
  using arming = const std::function<void()>&;
  using op = platform::operation;
  char byte = 0;
  return {
      {"open", op::open,
       [](auto& d, arming arm) {
         arm();
         return open_as(d / "file", open_mode::replace);
       },
       file_kept},
      {"read", op::read,
       [](auto& d, arming arm) {
         return on_open_file(d, open_mode::read, arm, [](platform::file& f) {
           char buffer[4];
           return as_status(f.read(buffer, sizeof buffer));
         });
       },
       file_kept},
      {"write", op::write,
       [byte](auto& d, arming arm) {
         return on_open_file(d, open_mode::write_existing, arm,
                             [byte](platform::file& f) { return f.write(&byte, 1); });
       },
       file_kept},
      {"seek", op::seek,
       [](auto& d, arming arm) {
         return on_open_file(d, open_mode::read, arm, [](platform::file& f) { return f.seek(2); });
       },
       file_kept},
      {"size", op::size,
       [](auto& d, arming arm) {
         return on_open_file(d, open_mode::read, arm, [](platform::file& f) { return as_status(f.size()); });
       },
       file_kept},
      {"flush", op::flush,
       [](auto& d, arming arm) {
         return on_open_file(d, open_mode::write_existing, arm, [](platform::file& f) { return f.flush(); });
       },
       file_kept},
      {"flush_folder", op::flush,
       [](auto& d, arming arm) {
         arm();
         return platform::flush_folder(d.path());
       },
       no_check},
      {"close", op::close,
       [](auto& d, arming arm) {
         return on_open_file(d, open_mode::read, arm, [](platform::file& f) { return f.close(); });
       },
       file_kept},
      {"rename", op::rename,
       [](auto& d, arming arm) {
         arm();
         return platform::rename_over(d / "file", d / "new");
       },
       nothing_new},
      {"remove_file", op::remove,
       [](auto& d, arming arm) {
         arm();
         return platform::remove_file(d / "file");
       },
       file_kept},
      {"remove_entry", op::remove,
       [](auto& d, arming arm) {
         arm();
         return platform::remove_entry(d / "full");
       },
       [](auto& d) { return testing::exists(d / "full/inside"); }},
      {"remove_folder", op::remove,
       [](auto& d, arming arm) {
         arm();
         return platform::remove_folder(d / "empty");
       },
       [](auto& d) { return testing::exists(d / "empty"); }},
      {"copy", op::copy,
       [](auto& d, arming arm) {
         arm();
         return platform::copy_file(d / "file", d / "new");
       },
       nothing_new},
      {"create_folder", op::create_folder,
       [](auto& d, arming arm) {
         arm();
         return platform::create_folder(d / "new");
       },
       nothing_new},
      {"create_folder_exact", op::create_folder,
       [](auto& d, arming arm) {
         arm();
         return platform::create_folder(d / "new", platform::path_lookup::exact);
       },
       nothing_new},
      {"open_address", op::open_address,
       [](auto&, arming arm) {
         arm();
         return platform::open_address("https://orlo.example.com/vantor/");
       },
       no_check},
      {"flush_tree", op::flush_tree,
       [](auto& d, arming arm) {
         arm();
         return platform::flush_tree(d.path());
       },
       no_check},
      {"free_space", op::free_space,
       [](auto& d, arming arm) {
         arm();
         return as_status(platform::free_space(d.path()));
       },
       no_check},
      {"check_writable", op::check_writable,
       [](auto& d, arming arm) {
         arm();
         return platform::check_writable(d.path());
       },
       no_check},
      {"set_writable", op::set_writable,
       [](auto& d, arming arm) {
         arm();
         return platform::set_writable(d / "file", false);
       },
       file_kept},
      {"set_file_times", op::set_file_times,
       [](auto& d, arming arm) {
         arm();
         return platform::set_file_times(d / "file", {}, {});
       },
       file_kept},
      {"permissions", op::permissions,
       [](auto& d, arming arm) {
         arm();
         return as_status(platform::permissions_of(d / "file"));
       },
       file_kept},
      {"set_permissions", op::set_permissions,
       [](auto& d, arming arm) {
         arm();
         return platform::set_permissions(d / "file", {});
       },
       file_kept},
      {"read_link", op::read_link,
       [](auto& d, arming arm) {
         arm();
         return as_status(platform::read_link(d / "file"));
       },
       file_kept},
      {"make_link", op::make_link,
       [](auto& d, arming arm) {
         arm();
         return platform::make_link("file", d / "new");
       },
       nothing_new},
      {"run_elevated", op::run_elevated,
       [](auto&, arming arm) {
         arm();
         return platform::run_again_elevated();
       },
       no_check},
      {"lock_folder", op::lock_folder,
       [](auto& d, arming arm) {
         arm();
         return as_status(platform::lock_folder(d.path(), no_wait));
       },
       [](auto& d) { return platform::lock_folder(d.path(), no_wait).ok(); }},
  };
}

INSTANTIATE_TEST_SUITE_P(Table, FaultHookAsked, ::testing::ValuesIn(hook_cases()),
                         [](const auto& row) { return std::string(row.param.name); });

// Every operation the hook knows has a row above, so a new one cannot slip
// past the fault sweep unasked.
TEST(FaultHookAsked, EveryOperationHasARow) {
  std::set<platform::operation> covered;
  for (const auto& row : hook_cases()) covered.insert(row.op);
  for (int value = 0; value <= static_cast<int>(platform::operation::run_elevated); ++value)
    EXPECT_TRUE(covered.count(static_cast<platform::operation>(value))) << "operation " << value;
}

// --- what the hook sees ------------------------------------------------------

// A hook that writes down the operations it is asked about and fails none.
class operation_recorder final : public platform::fault_hook {
 public:
  operation_recorder() { platform::set_fault_hook(this); }
  ~operation_recorder() override { platform::set_fault_hook(nullptr); }
  platform::fault before(platform::operation op, std::string_view, std::string_view) override {
    seen.push_back(op);
    return {};
  }
  std::vector<platform::operation> seen;
};

// The operations one call asks about, in order: the same list on every
// system, so the fault sweep and the power-loss layer walk the same steps.
struct sequence_case {
  const char* name;
  std::function<status(const temp_folder&)> run;
  std::vector<platform::operation> asked;
  friend std::ostream& operator<<(std::ostream& out, const sequence_case& c) { return out << c.name; }
};

class OperationsAsked : public ::testing::TestWithParam<sequence_case> {};

TEST_P(OperationsAsked, AreTheSameOnEverySystem) {
  const sequence_case& c = GetParam();
  temp_folder dir;
  arrange(dir);
  operation_recorder recorder;
  const status result = c.run(dir);
  EXPECT_TRUE(result.ok()) << result.error();
  EXPECT_EQ(recorder.seen, c.asked);
}

using op = platform::operation;

INSTANTIATE_TEST_SUITE_P(
    Table, OperationsAsked,
    ::testing::Values(sequence_case{"copy_is_one_step",
                                    [](auto& d) { return platform::copy_file(d / "file", d / "copy"); },
                                    {op::copy}},
                      sequence_case{"removal_asks_for_each_entry_then_the_folder",
                                    [](auto& d) { return platform::remove_entry(d / "full"); },
                                    {op::remove, op::remove}},
                      sequence_case{"flush_tree_is_one_step",
                                    [](auto& d) { return platform::flush_tree(d.path()); },
                                    {op::flush_tree}},
                      sequence_case{"lock_is_one_step",
                                    [](auto& d) { return as_status(platform::lock_folder(d.path(), no_wait)); },
                                    {op::lock_folder}},
                      sequence_case{"a_written_file",
                                    [](auto& d) {
                                      auto out = platform::open_file(d / "new", open_mode::create_new);
                                      if (!out) return status(out.error());
                                      if (status put = out->write("new", 3); !put) return put;
                                      if (status flushed = out->flush(); !flushed) return flushed;
                                      return out->close();
                                    },
                                    {op::open, op::write, op::flush, op::close}},
                      sequence_case{"a_read_file",
                                    [](auto& d) {
                                      auto in = platform::open_file(d / "file", open_mode::read);
                                      if (!in) return status(in.error());
                                      if (auto size = in->size(); !size) return status(size.error());
                                      if (status moved = in->seek(1); !moved) return moved;
                                      char buffer[8];
                                      if (auto got = in->read(buffer, sizeof buffer); !got) return status(got.error());
                                      return in->close();
                                    },
                                    {op::open, op::size, op::seek, op::read, op::close}},
                      sequence_case{"attributes",
                                    [](auto& d) {
                                      if (status made = platform::set_writable(d / "file", true); !made) return made;
                                      return platform::set_file_times(d / "file", {1000000000, 0}, {1000000000, 0});
                                    },
                                    {op::set_writable, op::set_file_times}}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
