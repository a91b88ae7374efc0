#pragma once
// Replacing a file so that it is never torn: the new bytes go to a temporary
// file beside the target, are flushed to disk, and one rename puts them in
// place. Until the rename the old file is untouched; after it (and the
// folder flush) the new one is durable.

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "services/bytes.h"
#include "services/outcome.h"

namespace vantor {

/// Every temporary file and folder the program makes ends with this, so the
/// leftovers of an interrupted run can be recognised and removed.
inline constexpr std::string_view temporary_suffix = ".vantor-tmp";

/// A new version of a file, written and flushed beside its target but not yet
/// in place. Destroying it without commit() removes the temporary file.
class staged_file {
 public:
  /// Writes the pieces to the temporary file and flushes it. Nothing is left
  /// behind on failure (the folder missing, a write or flush failing).
  static outcome<staged_file> prepare(std::string_view target, std::span<const byte_view> pieces);
  static outcome<staged_file> prepare(std::string_view target, const byte_string& bytes);
  /// The same, with a copy of another file's bytes.
  static outcome<staged_file> prepare_copy(std::string_view target, std::string_view source);

  staged_file(staged_file&& other) noexcept;
  staged_file& operator=(staged_file&& other) noexcept;
  staged_file(const staged_file&) = delete;
  ~staged_file();

  const std::string& target_path() const { return target_; }
  const std::string& temporary_path() const { return temporary_; }

  /// Renames the temporary file over the target and flushes the folder.
  /// Fails when the rename fails (the target is then unchanged and the
  /// temporary file removed) or when the folder cannot be flushed (the new
  /// file is then in place but perhaps not yet durable).
  status commit();
  /// Removes the temporary file.
  void discard();
  /// Whether the new file has been renamed into place (even when the folder
  /// flush after it failed).
  bool in_place() const { return in_place_; }

 private:
  friend class staged_writer;
  staged_file(std::string target, std::string temporary)
      : target_(std::move(target)), temporary_(std::move(temporary)) {}
  static outcome<staged_file> begin(std::string_view target);
  std::string target_;
  std::string temporary_;
  bool pending_ = true;
  bool in_place_ = false;
};

/// A new version of a file written piece by piece beside its target; the
/// temporary file is removed unless finish() hands it on as a staged_file.
class staged_writer {
 public:
  /// Creates the temporary file (whatever stood at its name is removed first).
  static outcome<staged_writer> create(std::string_view target);

  staged_writer(staged_writer&& other) noexcept;
  staged_writer& operator=(staged_writer&& other) noexcept;
  ~staged_writer();

  /// Appends bytes; a failure is told as one on the target file.
  status write(byte_view bytes);
  /// Flushes and closes the temporary file: it is then ready to commit.
  outcome<staged_file> finish();

  const std::string& target_path() const;
  const std::string& temporary_path() const;

 private:
  struct open_output;
  staged_writer(staged_file staged, std::unique_ptr<open_output> out);
  std::optional<staged_file> staged_;
  std::unique_ptr<open_output> out_;
};

/// prepare() and commit() in one step; a failure leaves the old file as it
/// was (unless only the final folder flush failed).
status replace_file_atomically(std::string_view target, std::span<const byte_view> pieces);
status replace_file_atomically(std::string_view target, const byte_string& bytes);

/// What an interrupted run left in a folder under temporary names.
std::vector<std::string> stale_temporaries(std::string_view folder);

/// Removes whatever an interrupted run left in a folder under temporary
/// names (files, links, pipes, folders), without following links.
status remove_stale_temporaries(std::string_view folder);

}  // namespace vantor
