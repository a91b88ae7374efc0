#pragma once
// The folders and files an extraction has made or met below its target
// folder. Names are matched without regard to ASCII letter case, as on
// Windows, where model packages are made: "Mesh/a" and "mesh/b" share one
// folder, and a later "P0.POS" replaces an earlier "p0.pos".
//
// Every folder is made and entered through the held handle of the folder
// that holds it (platform::held_folder), never by a path from the target
// down, and every file is created exclusively: a folder that another
// program swaps for a link while the extraction runs is refused, so nothing
// is written outside the target.
//
// In a folder the extraction created, every entry is known, so a name is
// never looked up on disk: the letter-case lookup of the platform layer
// lists a folder for every name that does not exist yet, which made large
// archives take time growing with the square of their entries. In a folder
// that was there before, each name is looked up on disk once.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/files.h"
#include "platform/outcome.h"

namespace vantor {

class output_tree {
 public:
  /// root: the target folder, held; created: whether the extraction has
  /// just created it, so it is empty.
  static outcome<output_tree> open(platform::held_folder root, bool created);

  /// Makes sure the folder named by parts exists, creating what is missing.
  /// Fails with exists when one of the parts is a file, a symbolic link or
  /// anything but a folder, and with the platform's failure when a folder
  /// cannot be created or entered.
  status make_folder(std::span<const std::string_view> parts);

  /// Opens the file named by parts (the last one its name) for writing,
  /// creating its folders: a new file, or a plain file already there
  /// replaced (an earlier entry's, or one that was on disk). Fails with
  /// exists when a folder, a symbolic link or anything but a plain file
  /// stands at the path or on the way to it. parts must not be empty.
  outcome<platform::file> open_file(std::span<const std::string_view> parts);

  /// Whether everything made still stands where it was made, as it was made:
  /// a folder or file that another program swapped for a link (or anything
  /// else) meanwhile fails, naming it (not_a_folder, not_a_file).
  status check_in_place();
  /// Lets every held folder go (Windows refuses to rename a folder while
  /// one below it is held).
  void release();

 private:
  enum class kind : std::uint8_t { folder, file, in_the_way };
  struct node {
    std::string path;
    std::string name;  ///< as on disk, in its parent
    std::size_t parent;
    kind what;
    bool created;  ///< made by this extraction: a folder's entries are all known
    std::unordered_map<std::string, std::size_t> children;  ///< by name in ASCII lower case
    std::optional<platform::held_folder> held;              ///< a folder's, while it is held
  };
  static constexpr std::size_t none = static_cast<std::size_t>(-1);

  explicit output_tree(node root) { nodes_.push_back(std::move(root)); }

  /// The child of a folder with the name, or none.
  std::size_t find(std::size_t folder, std::string_view name);
  /// The folder the parts name, each made when it is not there yet.
  outcome<std::size_t> walk(std::span<const std::string_view> parts);
  /// The child folder with the name, created when missing.
  outcome<std::size_t> folder_in(std::size_t folder, std::string_view name);
  std::size_t add(std::size_t folder, std::string_view name, node child);
  /// The folder held open, opened through its parent when it is not.
  outcome<const platform::held_folder*> held(std::size_t folder);
  /// Lets all folders but the target go when more are held than the
  /// platform keeps (between entries, never in the middle of a walk).
  void hold_fewer();

  std::vector<node> nodes_;
  std::size_t held_count_ = 0;
};

}  // namespace vantor
