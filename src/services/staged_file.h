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

#include "platform/outcome.h"
#include "services/bytes.h"
#include "services/staged_entry.h"

namespace vantor {

/// A new version of a file, written and flushed beside its target but not yet
/// in place. Destroying it without commit() removes the temporary file.
class staged_file : public staged_entry {
 public:
  /// Writes the pieces to the temporary file and flushes it. Nothing is left
  /// behind on failure (the folder missing, a write or flush failing).
  static outcome<staged_file> prepare(std::string_view target, std::span<const byte_view> pieces);
  static outcome<staged_file> prepare(std::string_view target, const byte_string& bytes);
  /// The same, with a copy of another file's bytes.
  static outcome<staged_file> prepare_copy(std::string_view target, std::string_view source);

  staged_file(staged_file&&) noexcept = default;
  staged_file& operator=(staged_file&&) noexcept = default;

 private:
  friend class staged_writer;
  staged_file(std::string target, std::string temporary);
  static outcome<staged_file> begin(std::string_view target);
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

}  // namespace vantor
