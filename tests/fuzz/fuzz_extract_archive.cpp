// Extracts arbitrary bytes as a model package into a fresh folder, with a
// sentinel file beside it, and aborts when anything escapes: a write outside
// the target folder, a symbolic link inside it, a file left open, or an
// unknown failure. The files live in memory, made new for each execution.

#include <string>

#include "fuzz/fuzz_support.h"
#include "services/archive/archive.h"
#include "services/archive/archive_error.h"

namespace platform = vantor::platform;
using vantor::fuzzing::check;

namespace {

const std::string root = "/work";
const std::string package = root + "/pmodel.pak";
const std::string game = root + "/game";
const std::string target = game + "/pmodel";
const std::string outside = root + "/outside";

// Every entry below a folder is a file or a folder: nothing else was made.
void check_no_links_below(const std::string& folder) {
  for (const auto& name : platform::list_folder(folder)) {
    const std::string path = platform::join_path(folder, name);
    const auto kind = platform::kind_of(path);
    check(kind == platform::entry_kind::file || kind == platform::entry_kind::folder, "a link was created");
    if (kind == platform::entry_kind::folder) check_no_links_below(path);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::memory_files::clear();
  for (const std::string& folder : {root, outside, game}) vantor::fuzzing::put_folder(folder);
  vantor::fuzzing::put_file(package, data, size);
  vantor::fuzzing::put_file(outside + "/sentinel", "sentinel");

  const vantor::status result = vantor::unpack_archive(package, target);
  // Whatever the bytes, a failure is a damaged archive, a refused entry name
  // or the system's refusal.
  check(result || result.error().kind == vantor::archive_error::damaged ||
            result.error().kind == vantor::archive_error::unsafe_name ||
            result.error().kind.category().name() == "system",
        "an unknown failure");
  check(platform::memory_files::open_handles() == 0, "a file was left open");

  // Nothing but the target folder appeared beside the sentinel.
  for (const auto& name : platform::list_folder(root))
    check(name == "outside" || name == "game" || name == "pmodel.pak", "an entry escaped the target folder");
  check(platform::list_folder(outside) == std::vector<std::string>{"sentinel"},
        "a file was written beside the sentinel");
  const vantor::byte_string sentinel = vantor::fuzzing::file_bytes(outside + "/sentinel");
  check(std::string(sentinel.begin(), sentinel.end()) == "sentinel", "the sentinel changed");
  for (const auto& name : platform::list_folder(game)) check(name == "pmodel", "wrote beside the target");
  check(!result || platform::kind_of(target) == platform::entry_kind::folder, "a finished extraction made no folder");
  check_no_links_below(game);
  return 0;
}
