#pragma once
// A live window's units by their stored names, whatever a toolkit calls a
// unit's handle (a widget pointer, a window handle): from name to handle,
// back, and along the Tab order. Every front end keeps its units here.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/focus_order.h"

namespace vantor {

template <typename handle_type>
class unit_registry {
 public:
  /// Registers a unit's handle under its stored name; a name registered
  /// again takes the new handle.
  void add(std::string_view name, handle_type handle) { units_.insert_or_assign(std::string(name), handle); }

  /// The handle of a unit; the null handle for unknown names.
  handle_type handle(std::string_view name) const {
    const auto found = units_.find(name);
    return found == units_.end() ? handle_type{} : found->second;
  }

  /// The stored name of a unit's handle, owned by the registry; empty for
  /// the null handle and for handles that are none of the units'.
  template <typename other_handle>
  std::string_view name(const other_handle& handle) const {
    if (handle == handle_type{}) return {};
    for (const auto& [name, unit] : units_) {
      if (unit == handle) return name;
    }
    return {};
  }

  /// The unit Tab (forward) or Shift+Tab moves to from the unit with the
  /// handle from; the null handle when from is not in the chain (the
  /// window itself has the focus, or a unit that does not take it).
  handle_type next_in_tab_order(const std::vector<std::string_view>& chain, handle_type from, bool forward) const {
    return handle(next_in_focus_chain(chain, name(from), forward));
  }

 private:
  // A map: its names stay where they are while units are added.
  std::map<std::string, handle_type, std::less<>> units_;
};

}  // namespace vantor
