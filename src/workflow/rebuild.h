#pragma once
// Proving a source bundle is the stock one and preparing the new bundle.

#include <functional>
#include <optional>
#include <string_view>

#include "formats/stock_identity.h"
#include "platform/outcome.h"
#include "services/staged_file.h"
#include "workflow/ports.h"
#include "workflow/session.h"

namespace vantor {

/// A new bundle written and flushed beside the live one, not yet in place,
/// and, when asked for, the backup of the stock prefix likewise.
struct prepared_bundle {
  staged_file bundle;
  std::optional<staged_file> backup;
};

/// Reads the stock prefix of source_path, proves it by its digest and
/// prepares the new bundle (stock prefix, new frame block, frame count set to
/// the stock count plus the new frames). With make_backup the stock prefix is
/// also prepared as the backup, and read back and proved before it is
/// offered. Shows "动画文件被修改过，非原版" when the digest differs and
/// "写出帧数时失败！" when the new bundle cannot be written. Nothing in the
/// game folder changes here; the caller commits. The source is read once:
/// its prefix is hashed on another thread while the new files are written,
/// and while_hashing (when the new bundle is written) runs while the last
/// pieces are hashed.
outcome<prepared_bundle> rebuild_bundle(const workflow_state& state, const stock_identity& identity,
                                        std::string_view source_path, bool make_backup, message_port& messages,
                                        const std::function<void()>& while_hashing = {});

}  // namespace vantor
