#pragma once
// What an interrupted upgrade or restore leaves, under names this program
// alone makes: each of its files' temporary (name + ".vantor-tmp") and its
// old file kept aside (name + ".vantor-old"), and the temporary model folder
// (pmodel.vantor-tmp). Nothing else is ever taken for a leftover: a name
// that merely ends the same way, or anything in the model folder but the
// pose file's own, is the player's or the package's.

#include <vector>

#include "platform/outcome.h"
#include "services/values.h"

namespace vantor {

struct workflow_state;

/// The leftovers that stand in the game folder now (letter case aside).
std::vector<text> leftovers(const workflow_state& state);

/// Ends what an interrupted command left half done, then removes its
/// leftovers. Old files kept aside are put back when the command had not
/// reached its commit, or let go when it had: the commit is the last rename
/// of its set, the live bundle's (or, in a restore that leaves the bundle,
/// the action file's), so as long as that file's temporary stands beside it
/// the command had not committed. So after any crash the pose, action and
/// bundle files are all the old ones or all the new ones. Fails, naming the
/// file, when an old file cannot be put back (it then stays kept aside).
status clear_leftovers(const workflow_state& state);

}  // namespace vantor
