#pragma once
// Proving a source bundle is the stock one and preparing the new bundle.

#include <optional>
#include <string_view>

#include "formats/stock_identity.h"
#include "platform/outcome.h"
#include "services/progress.h"
#include "services/staged_file.h"
#include "workflow/overlapping_work.h"
#include "workflow/session.h"

namespace vantor {

/// Whether the proved stock prefix is also prepared as a new backup.
enum class backup_step {
  keep_existing,  ///< the source is the backup itself
  write_new,      ///< the source is the live bundle: the backup is made from it
};

/// A bundle the new one may be made from.
struct bundle_source {
  std::string_view path;
  backup_step backup = backup_step::keep_existing;
};

/// What became of one source bundle.
enum class source_verdict {
  proved,               ///< stock: the new bundle (and backup) are prepared
  missing,              ///< nothing at the path
  unreadable,           ///< it could not be read (held, refused, not a regular file): it may well be stock
  modified,             ///< not the stock bundle
  package_changed,      ///< the update package's frames changed since they were shown
  backup_write_failed,  ///< stock, but the new backup could not be written or read back
  bundle_write_failed,  ///< stock, but the new bundle could not be written
};

/// A new bundle written and flushed beside the live one, not yet in place,
/// and, when asked for, the backup of the stock prefix likewise.
struct prepared_bundle {
  staged_file bundle;
  std::optional<staged_file> backup;
};

struct bundle_proof {
  source_verdict verdict = source_verdict::missing;
  std::optional<failure> reason;            ///< why, unless proved
  std::optional<prepared_bundle> prepared;  ///< the files, when proved
};

/// Reads the stock prefix of the source, proves it by its digest and
/// prepares the new bundle (stock prefix, new frame block, frame count set to
/// the stock count plus the new frames). A new backup is read back and proved
/// before it is offered. The source is read once: its prefix is hashed on
/// another thread while the new files are written, and `meanwhile` runs
/// while the last pieces are hashed. The source decides first, as if nothing
/// had been written: one that cannot be read is `unreadable` and one that is
/// not the stock one `modified`, whatever else failed. Shows nothing and changes nothing in the game
/// folder; the command reports and commits. Progress is told in bytes of
/// the prefix.
bundle_proof rebuild_bundle(const workflow_state& state, const stock_identity& identity, const bundle_source& source,
                            overlapping_work& meanwhile, const progress_callback& progress = {});

}  // namespace vantor
