#pragma once
// Counts the folder listings the platform layer makes, failing nothing.
// Installed as the fault hook for the lifetime of the object.

#include <string_view>

#include "platform/fault_hook.h"

namespace vantor::testing {

class listing_counter final : public platform::fault_hook {
 public:
  listing_counter() { platform::set_fault_hook(this); }
  ~listing_counter() override { platform::set_fault_hook(nullptr); }
  listing_counter(const listing_counter&) = delete;
  listing_counter& operator=(const listing_counter&) = delete;

  platform::fault before(platform::operation, std::string_view, std::string_view) override { return {}; }
  void folder_listed(std::string_view) override { ++listings; }

  int listings = 0;
};

}  // namespace vantor::testing
