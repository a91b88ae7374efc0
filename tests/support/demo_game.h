#pragma once
// The demo game folder (vantor-make-demo's) in a test's fresh folder.

#include <gtest/gtest.h>

#include <string>

#include "demo_folder.h"

namespace vantor::testing {

inline void put_demo_game(const std::string& folder) {
  std::string error;
  ASSERT_EQ(make_demo_folder(folder, error), demo_result::written) << error;
}

}  // namespace vantor::testing
