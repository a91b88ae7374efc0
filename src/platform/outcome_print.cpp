// Failures written to a stream, for tests and diagnostics. In a file of its
// own: a program that never prints one links no stream and locale machinery
// (about 700 KB in a static Windows program).

#include <ostream>

#include "platform/outcome.h"

namespace vantor {

std::ostream& operator<<(std::ostream& out, const failure_kind& kind) {
  return out << kind.category().name() << ": " << describe(kind);
}

std::ostream& operator<<(std::ostream& out, const failure& why) {
  out << '{' << why.kind;
  if (!why.path.empty()) out << ", " << why.path;
  if (why.native_code != 0) out << ", code " << why.native_code;
  return out << '}';
}

}  // namespace vantor
