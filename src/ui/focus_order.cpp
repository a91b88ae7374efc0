#include "ui/focus_order.h"

#include <algorithm>

namespace vantor {

std::vector<std::string_view> focus_chain(const window_definition& window) {
  std::vector<const unit_definition*> units;
  for (const unit_definition& unit : window.units) {
    if (unit.takes_focus && unit.visible) units.push_back(&unit);
  }
  // Reverse stored order first; the stable sort keeps it among equal numbers.
  std::reverse(units.begin(), units.end());
  std::stable_sort(units.begin(), units.end(),
                   [](const unit_definition* a, const unit_definition* b) { return a->focus_order < b->focus_order; });
  std::vector<std::string_view> names;
  names.reserve(units.size());
  for (const unit_definition* unit : units) names.push_back(unit->name);
  return names;
}

std::string_view next_in_focus_chain(const std::vector<std::string_view>& chain, std::string_view current,
                                     bool forward) {
  const auto found = std::find(chain.begin(), chain.end(), current);
  if (found == chain.end()) return {};
  const auto index = static_cast<std::size_t>(found - chain.begin());
  const std::size_t next = forward ? (index + 1) % chain.size() : (index + chain.size() - 1) % chain.size();
  return chain[next];
}

}  // namespace vantor
