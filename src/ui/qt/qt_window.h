#pragma once
// The main window on Qt: the units the builder put in it, addressed by their
// stored names, the units' operations, the keyboard rules and the placement
// on the screen.

#include <QMargins>
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/event_bindings.h"
#include "ui/unit_registry.h"
#include "ui/unit_surface.h"
#include "ui/window_definition.h"

class QAbstractButton;

namespace vantor {

class qt_caption_label;
class qt_multi_line_edit;
class qt_picture_box;
class qt_single_line_edit;

class qt_window final : public QWidget, public unit_surface {
 public:
  explicit qt_window(const window_definition& definition);
  ~qt_window() override;

  const window_definition& definition() const { return definition_; }

  /// Registers a unit's widget under its stored name (the builder does this).
  void add_unit(std::string_view name, qt_caption_label* label);
  void add_unit(std::string_view name, qt_multi_line_edit* box);
  void add_unit(std::string_view name, qt_single_line_edit* box);
  void add_unit(std::string_view name, qt_picture_box* box);
  void add_unit(std::string_view name, QAbstractButton* button);
  /// The widget of a unit; null for units without one (the archive
  /// component) and for unknown names.
  QWidget* unit_widget(std::string_view name) const;
  /// The stored name of a unit's widget; empty when it is none of them.
  std::string_view unit_name(const QWidget* widget) const;
  /// Units of one kind by name; null for other names.
  qt_caption_label* label(std::string_view name) const;
  QAbstractButton* button(std::string_view name) const;

  /// Where bound events go; the builder wires the units to raise_event.
  void set_event_sink(event_sink sink) { sink_ = std::move(sink); }
  void raise_event(std::string_view unit, unit_event event, const event_args& args = {});
  /// Called once when the user closes the window.
  void set_close_handler(std::function<void()> handler) { on_close_ = std::move(handler); }

  /// While a command runs the window does not close: Esc or the close box
  /// meanwhile closes it when the command ends.
  void set_busy(bool busy);

  /// Shows the window, activated, centred on the primary screen, with the
  /// focus on the first unit of the Tab order.
  void show_centred();

  // The units' operations.
  void set_picture(std::string_view unit, const byte_string& bytes) override;
  void set_content(std::string_view unit, std::string_view content) override;
  text caption(std::string_view unit) const override;

 protected:
  bool focusNextPrevChild(bool next) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void fit_to_frame();
  template <typename widget_type>
  void remember(std::map<std::string, widget_type*, std::less<>>& kind, std::string_view name, widget_type* widget);
  template <typename widget_type>
  static widget_type* find(const std::map<std::string, widget_type*, std::less<>>& kind, std::string_view name);

  const window_definition& definition_;
  unit_registry<QWidget*> units_;
  std::map<std::string, qt_caption_label*, std::less<>> labels_;
  std::map<std::string, qt_multi_line_edit*, std::less<>> multi_line_edits_;
  std::map<std::string, qt_single_line_edit*, std::less<>> single_line_edits_;
  std::map<std::string, qt_picture_box*, std::less<>> picture_boxes_;
  std::map<std::string, QAbstractButton*, std::less<>> buttons_;
  std::vector<std::string_view> focus_chain_;
  event_sink sink_;
  std::function<void()> on_close_;
  QMargins fitted_frame_{-1, -1, -1, -1};
  bool frame_settled_ = false;
  bool busy_ = false;
  bool close_asked_ = false;  ///< Esc or the close box while busy
};

}  // namespace vantor
