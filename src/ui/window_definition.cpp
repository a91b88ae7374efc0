#include "ui/window_definition.h"

#include <algorithm>
#include <cstddef>
#include <set>

// The picture the cover box holds until the update package's cover replaces
// it (assets/window/initial_cover.jpg, embedded at build time).
extern const unsigned char vantor_initial_cover[];
extern const std::size_t vantor_initial_cover_size;

namespace vantor {

namespace {

window_definition make_main_window() {
  const colour blue = fixed_colour(0, 0, 255);
  const colour red = fixed_colour(255, 0, 0);
  const colour green = fixed_colour(0, 255, 0);
  const colour pink = fixed_colour(255, 128, 192);

  window_definition window;
  window.id = main_window_id;
  window.caption = "Vantor动画升级 by Orlo";
  window.outer_width = 749;
  window.outer_height = 341;
  window.stored_left = 50;
  window.stored_top = 50;

  // Stored order: the first unit lies on top. Positions are in the client
  // area; every unit that takes the focus has focus-order number 0.
  window.units = {
      {.name = units::homepage_link,
       .left = 488,
       .top = 288,
       .width = 248,
       .height = 16,
       .initial_text = homepage_address,
       .properties = label_properties{.text_colour = blue,
                                      .background = button_face_colour,
                                      .font = {.character_height = 12, .weight = 700},
                                      .pointer = pointer_shape::hand}},
      {.name = units::summary_title,
       .left = 328,
       .top = 240,
       .width = 72,
       .height = 32,
       .initial_text = "动画信息",
       .properties = label_properties{.text_colour = red,
                                      .background = button_face_colour,
                                      .font = {.character_height = 16, .weight = 700},
                                      .pointer = pointer_shape::arrow}},
      {.name = units::summary_box,
       .left = 408,
       .top = 240,
       .width = 328,
       .height = 40,
       .takes_focus = true,
       .properties = edit_box_properties{.multi_line = false,
                                         .vertical_scroll_bar = false,
                                         .border = edit_border::thin_line,
                                         .background = pink}},
      {.name = units::cover_picture,
       .left = 7,
       .top = 8,
       .width = 304,
       .height = 208,
       .properties = picture_box_properties{.background = button_face_colour,
                                            .initial_picture = {vantor_initial_cover, vantor_initial_cover_size}}},
      {.name = units::description_box,
       .left = 318,
       .top = 0,
       .width = 418,
       .height = 216,
       .takes_focus = true,
       .initial_text = "v0.4说明：\r\n【从此版本起可自行配置动画文件】",
       .properties =
           edit_box_properties{
               .multi_line = true, .vertical_scroll_bar = true, .border = edit_border::sunken, .background = green}},
      {.name = units::restore_button,
       .left = 192,
       .top = 240,
       .width = 96,
       .height = 40,
       .takes_focus = true,
       .initial_text = "复原",
       .properties = button_properties{}},
      {.name = units::upgrade_button,
       .left = 56,
       .top = 240,
       .width = 88,
       .height = 40,
       .takes_focus = true,
       .initial_text = "开始升级",
       .properties = button_properties{}},
      {.name = units::archive_component,
       .left = 8,
       .top = 232,
       .width = 64,
       .height = 16,
       .visible = false,
       .properties = archive_properties{}},
  };

  window.bindings = {
      {"", unit_event::created, session_command::start_session},
      {units::upgrade_button, unit_event::clicked, session_command::on_upgrade_clicked},
      {units::restore_button, unit_event::clicked, session_command::on_restore_clicked},
      {units::homepage_link, unit_event::left_button_released, session_command::open_homepage},
  };
  window.view = {.cover = units::cover_picture,
                 .description = units::description_box,
                 .frame_summary = units::summary_box,
                 .homepage = units::homepage_link};
  return window;
}

}  // namespace

const window_definition& main_window_definition() {
  static const window_definition window = make_main_window();
  return window;
}

const window_definition* find_window_definition(std::int32_t id) {
  const window_definition& main = main_window_definition();
  return id == main.id ? &main : nullptr;
}

const unit_definition* find_unit(const window_definition& window, std::string_view name) {
  const auto found =
      std::find_if(window.units.begin(), window.units.end(), [&](const unit_definition& u) { return u.name == name; });
  return found == window.units.end() ? nullptr : &*found;
}

bool is_buildable(const window_definition& window) {
  if (window.outer_width <= 0 || window.outer_height <= 0) return false;
  std::set<std::string_view> names;
  for (const unit_definition& unit : window.units) {
    if (unit.name.empty() || !names.insert(unit.name).second) return false;
    if (unit.width < 0 || unit.height < 0) return false;
  }
  const auto named = [&](std::string_view unit) { return unit.empty() || names.contains(unit); };
  const view_units& view = window.view;
  return named(view.cover) && named(view.description) && named(view.frame_summary) && named(view.homepage) &&
         std::all_of(window.bindings.begin(), window.bindings.end(),
                     [&](const event_binding& binding) { return named(binding.unit); });
}

}  // namespace vantor
