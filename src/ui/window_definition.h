#pragma once
// The main window as data: the window, its eight units, the bindings of
// unit events to the session's commands and the units that show the update
// package. Every front end builds its window from this one table, so nothing
// here knows about a toolkit.

#include <cstdint>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

namespace vantor {

/// The units of the main window, by their stored names.
namespace units {
inline constexpr std::string_view homepage_link = "标签2";
inline constexpr std::string_view summary_title = "标签1";
inline constexpr std::string_view summary_box = "编辑框2";
inline constexpr std::string_view cover_picture = "图片框1";
inline constexpr std::string_view description_box = "编辑框1";
inline constexpr std::string_view restore_button = "按钮1";
inline constexpr std::string_view upgrade_button = "按钮2";
inline constexpr std::string_view archive_component = "ZIP压缩1";
}  // namespace units

/// The author's homepage: the stored caption of the link label.
inline constexpr std::string_view homepage_address = "https://orlo.example.com/vantor/";

/// The id under which the main window is stored.
inline constexpr std::int32_t main_window_id = 1;

struct rgb_colour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const rgb_colour&, const rgb_colour&) = default;
};

/// A stored colour: a fixed value, or the desktop's button-face colour.
struct colour {
  bool button_face = false;
  rgb_colour value{};
  friend bool operator==(const colour&, const colour&) = default;
};
inline constexpr colour button_face_colour{true, {}};
constexpr colour fixed_colour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return colour{false, {red, green, blue}};
}

/// A label's own font. The face is left to the desktop (an empty face name),
/// so only the height, weight and style flags are stored.
struct font_record {
  std::int32_t character_height = 0;  ///< em height in pixels
  std::int32_t weight = 400;          ///< 400 normal, 700 bold
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
};

enum class pointer_shape { arrow, hand, i_beam };

/// Self-drawn caption: one line, left-aligned, vertically centred, "&"
/// drawn as itself.
struct label_properties {
  colour text_colour{};
  colour background{};
  font_record font{};
  pointer_shape pointer = pointer_shape::arrow;
};

enum class edit_border { thin_line, sunken };

/// Editable text in the default GUI font, black on a fixed background.
struct edit_box_properties {
  bool multi_line = false;  ///< Enter starts a new line and lines wrap
  bool vertical_scroll_bar = false;
  edit_border border = edit_border::thin_line;
  colour text_colour = fixed_colour(0, 0, 0);
  colour background{};
};

/// A picture stretched over the whole box; animated pictures play.
struct picture_box_properties {
  colour background = button_face_colour;
  std::span<const std::uint8_t> initial_picture{};
};

/// A push button in the default GUI font; never the default button.
struct button_properties {
  bool default_button = false;
};

/// The invisible archive component: no appearance and no properties.
struct archive_properties {};

using unit_properties =
    std::variant<label_properties, edit_box_properties, picture_box_properties, button_properties, archive_properties>;

struct unit_definition {
  std::string_view name{};
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool takes_focus = false;
  std::int32_t focus_order = 0;  ///< ascending; ties go in reverse stored order
  bool visible = true;
  std::string_view initial_text{};
  unit_properties properties{};
};

/// The events a unit can raise that the table may bind.
enum class unit_event { created, clicked, left_button_released };

/// The session's commands that events can be bound to.
enum class session_command { start_session, on_upgrade_clicked, on_restore_clicked, open_homepage };

struct event_binding {
  std::string_view unit;  ///< empty for the window itself
  unit_event event;
  session_command command;
};

/// The units through which the window shows the update package.
struct view_units {
  std::string_view cover{};          ///< a picture box
  std::string_view description{};    ///< an edit box
  std::string_view frame_summary{};  ///< an edit box
  std::string_view homepage{};       ///< a label whose caption is the address
};

struct window_definition {
  std::int32_t id = 0;
  std::string_view caption{};
  std::int32_t outer_width = 0;
  std::int32_t outer_height = 0;
  std::int32_t stored_left = 0;  ///< kept with the window, never used: it opens centred
  std::int32_t stored_top = 0;
  bool resizable = false;
  bool minimise_box = false;
  bool maximise_box = false;
  bool close_box = true;
  bool visible = true;
  bool escape_closes = true;
  colour background = button_face_colour;
  std::vector<unit_definition> units{};  ///< in stored order, the first on top
  std::vector<event_binding> bindings{};
  view_units view{};
};

/// The program's one window.
const window_definition& main_window_definition();

/// The stored window with this id, or null.
const window_definition* find_window_definition(std::int32_t id);

/// The unit with this stored name, or null.
const unit_definition* find_unit(const window_definition& window, std::string_view name);

/// Whether a definition can be built: unique non-empty unit names, sizes that
/// are not negative, and bindings and view units that name existing units.
bool is_buildable(const window_definition& window);

}  // namespace vantor
