#pragma once
// The patcher's view on a window built from the table: each thing the
// session shows goes to the unit the table names for it.

#include "ui/unit_surface.h"
#include "ui/window_definition.h"
#include "workflow/ports.h"

namespace vantor {

class window_view final : public patcher_view {
 public:
  window_view(const view_units& units, unit_surface& surface) : units_(units), surface_(surface) {}

  void show_cover(const byte_string& picture) override { surface_.set_picture(units_.cover, picture); }
  void show_description(std::string_view description) override {
    surface_.set_content(units_.description, description);
  }
  void show_frame_summary(std::string_view summary) override { surface_.set_content(units_.frame_summary, summary); }
  text homepage_address() const override { return surface_.caption(units_.homepage); }

 private:
  view_units units_;
  unit_surface& surface_;
};

}  // namespace vantor
