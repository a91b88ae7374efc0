#pragma once
// Makes chosen file operations fail, through the platform layer's fault
// switch. Installed for the lifetime of the object.

#include <functional>
#include <string>
#include <vector>

#include "platform/fault_hook.h"

namespace vantor::testing {

class fault_injector final : public platform::fault_hook {
 public:
  using predicate = std::function<bool(platform::operation, std::string_view path)>;

  /// Fails every operation for which `matches` is true, from the `nth` such
  /// operation on (counting from 1); with `once`, only that one.
  fault_injector(predicate matches, int nth = 1, bool once = false, failure_kind error = os_error::io_error,
                 bool partial = false);
  ~fault_injector() override;

  platform::fault before(platform::operation op, std::string_view path, std::string_view other) override;
  bool flushes_each_file() override { return each_file_; }

  /// Has new trees made durable file by file, as on Windows, on every system.
  fault_injector& flushing_each_file() {
    each_file_ = true;
    return *this;
  }

  /// Operations seen so far (all of them, matching or not).
  int operations_seen() const { return seen_; }
  /// How many operations were made to fail.
  int failures_injected() const { return injected_; }

  /// Matches one kind of operation on paths containing `fragment`.
  static predicate on(platform::operation op, std::string fragment = {});
  /// Matches every operation.
  static predicate any();

 private:
  predicate matches_;
  int nth_;
  bool once_;
  failure_kind error_;
  bool partial_;
  int matched_ = 0;
  int seen_ = 0;
  int injected_ = 0;
  bool each_file_ = false;
};

}  // namespace vantor::testing
