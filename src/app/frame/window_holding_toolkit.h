#pragma once
// What every toolkit does the same with its main window: it builds it from
// the table, wires its events and its close, and holds it until the frame
// destroys it. A toolkit says only how its window is made.

#include <functional>
#include <memory>
#include <utility>

#include "app/frame/window_toolkit.h"

namespace vantor {

/// window_type has set_event_sink, set_close_handler and show_centred and
/// is a unit_surface.
template <typename window_type>
class window_holding_toolkit : public window_toolkit {
 public:
  bool build_window(const window_definition& definition, event_sink sink, std::function<void()> on_closed) final {
    window_ = make_window(definition);
    if (!window_) return false;
    window_->set_event_sink(std::move(sink));
    window_->set_close_handler(std::move(on_closed));
    return true;
  }
  bool has_window() const final { return window_ != nullptr; }
  unit_surface& units() final { return *window_; }
  void show_window() final { window_->show_centred(); }
  void destroy_window() final { window_.reset(); }

  /// The live main window, or null.
  window_type* window() const { return window_.get(); }

 protected:
  /// The toolkit's window built from the definition, hidden; null when it
  /// cannot be built.
  virtual std::unique_ptr<window_type> make_window(const window_definition& definition) = 0;

  std::unique_ptr<window_type> window_;
};

}  // namespace vantor
