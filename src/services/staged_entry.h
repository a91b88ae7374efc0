#pragma once
// What a staged file and a staged folder share: a new entry made beside its
// target under a temporary name, which one rename puts in place and which is
// removed again when it never gets there.

#include <string>
#include <string_view>

#include "platform/outcome.h"

namespace vantor {

/// Every temporary file and folder the program makes ends with this, so the
/// leftovers of an interrupted run can be recognised and removed.
inline constexpr std::string_view temporary_suffix = ".vantor-tmp";

class staged_entry {
 public:
  staged_entry(const staged_entry&) = delete;
  staged_entry& operator=(const staged_entry&) = delete;

  const std::string& target_path() const { return target_; }
  const std::string& temporary_path() const { return temporary_; }

  /// Renames the temporary entry over the target and flushes the folder.
  /// Fails when the rename fails (the target is then unchanged, and the
  /// temporary entry goes with the object or stays by keep_temporary) or
  /// when the folder cannot be flushed (the new entry is then in place but
  /// perhaps not yet durable).
  status commit();
  /// Removes the temporary entry.
  void discard();
  /// Makes the temporary entry's name durable in its folder (its contents
  /// are already): from then on a crash cannot lose it.
  status make_name_durable() const;
  /// Leaves the temporary entry where it is, for the next run to find.
  void keep_temporary() { pending_ = false; }
  /// Whether the new entry has been renamed into place (even when the folder
  /// flush after it failed).
  bool in_place() const { return in_place_; }

 protected:
  /// How the temporary entry is removed: a file and a folder tree differ.
  using remover = status (*)(std::string_view path);

  staged_entry(std::string target, std::string temporary, remover remove)
      : target_(std::move(target)), temporary_(std::move(temporary)), remove_(remove) {}
  staged_entry(staged_entry&& other) noexcept;
  staged_entry& operator=(staged_entry&& other) noexcept;
  ~staged_entry() { discard(); }

  std::string target_;
  std::string temporary_;
  bool pending_ = true;  ///< the temporary entry is there and ours to commit or remove
  bool in_place_ = false;

 private:
  remover remove_;
};

}  // namespace vantor
