// Extracts arbitrary bytes as a model package into a fresh folder, with a
// sentinel file beside it, and aborts when anything escapes: a write outside
// the target folder, a symbolic link inside it, or an unknown failure.

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "services/archive/archive.h"
#include "services/archive/archive_error.h"

namespace fs = std::filesystem;

namespace {

const fs::path& workspace() {
  static const fs::path root = [] {
    std::string pattern = (fs::temp_directory_path() / "vantor-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    fs::create_directories(fs::path(pattern) / "outside");
    std::ofstream(fs::path(pattern) / "outside" / "sentinel") << "sentinel";
    return fs::path(pattern);
  }();
  return root;
}

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& root = workspace();
  const fs::path package = root / "pmodel.pak";
  const fs::path target = root / "game" / "pmodel";
  {
    std::ofstream out(package, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const vantor::status result = vantor::unpack_archive(package.string(), target.string());
  // Whatever the bytes, a failure is a damaged archive, a refused entry name
  // or the system's refusal.
  check(result || result.error().kind == vantor::archive_error::damaged ||
            result.error().kind == vantor::archive_error::unsafe_name ||
            result.error().kind.category().name() == "system",
        "an unknown failure");

  // Nothing but the target folder appeared beside the sentinel.
  std::size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(root)) {
    ++entries;
    const auto name = entry.path().filename().string();
    check(name == "outside" || name == "game" || name == "pmodel.pak", "an entry escaped the target folder");
  }
  check(entries <= 3, "an entry escaped the target folder");
  std::size_t outside = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(root / "outside")) ++outside;
  check(outside == 1, "a file was written beside the sentinel");
  std::ifstream sentinel(root / "outside" / "sentinel");
  std::string text;
  sentinel >> text;
  check(text == "sentinel", "the sentinel changed");
  for (const auto& entry : fs::directory_iterator(root / "game"))
    check(entry.path() == target, "wrote beside the target");
  if (fs::exists(target)) {
    for (const auto& entry : fs::recursive_directory_iterator(target))
      check(!entry.is_symlink(), "a symbolic link was created");
  }

  // Give write permission back so the next run starts from nothing.
  std::error_code ignored;
  for (auto it = fs::recursive_directory_iterator(root / "game", ignored); it != fs::recursive_directory_iterator();
       it.increment(ignored))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(root / "game", ignored);
  return 0;
}
