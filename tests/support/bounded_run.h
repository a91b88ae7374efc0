#pragma once
// Runs a piece of a test in a child process with a time limit, so a hang
// fails the test instead of stalling the whole run.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace vantor::testing {

/// Runs work in a forked child and gives back the text it returned; nothing
/// when it did not finish within the limit (the child is then killed) or
/// died on the way.
std::optional<std::string> run_bounded(const std::function<std::string()>& work,
                                       std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace vantor::testing
