#pragma once
// Streaming the stock prefix out of a bundle into new files while proving it:
// each piece is read once, handed to a hasher on another thread and written
// at the same time; the files count only once the digest has matched.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "formats/stock_identity.h"
#include "platform/outcome.h"
#include "services/progress.h"
#include "services/staged_file.h"

namespace vantor {

struct prefix_stream {
  std::string_view source;                   ///< the bundle the prefix is read from
  std::optional<std::int32_t> proved_count;  ///< the count field as proved: set back for an upgraded source
  std::int32_t bundle_count = 0;             ///< the count field the new bundle gets
  staged_writer* bundle = nullptr;           ///< receives the prefix with bundle_count; may be none
  staged_writer* backup = nullptr;           ///< receives the proved prefix; may be none
  /// Runs after the last piece, while the hashing ends (the new frames go to
  /// the bundle here).
  std::function<status()> after_prefix;
  /// Told the prefix's bytes read so far, of its length, after each piece.
  progress_callback progress;
};

struct prefix_stream_result {
  bool proved = false;                    ///< the prefix's digest is the stock digest
  std::optional<failure> source_failure;  ///< the source could not be read
  std::optional<failure> bundle_failure;  ///< the bundle (or after_prefix) failed
  std::optional<failure> backup_failure;  ///< the backup failed
};

/// Streams the first prefix-length bytes of the source to the writers; a
/// writer that fails gets nothing more, while the others and the hashing go
/// on, so the result always says whether the source was the stock one.
prefix_stream_result stream_stock_prefix(const stock_identity& identity, const prefix_stream& request);

/// Proves a backup written from a stream by reading it back: its digest is
/// the stock digest and nothing follows the prefix.
status prove_stock_backup(const staged_file& backup, const stock_identity& identity);

}  // namespace vantor
