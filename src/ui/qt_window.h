#pragma once
// The main window on Qt: the units the builder put in it, addressed by their
// stored names, the window operations of the workflow, the keyboard rules
// and the placement on the screen.

#include <QMargins>
#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/event_bindings.h"
#include "ui/window_definition.h"
#include "workflow/ports.h"

namespace vantor {

class qt_window final : public QWidget, public window_port {
 public:
  /// Receives every bound event a unit raises.
  using event_sink = std::function<void(std::string_view unit, unit_event event, const event_args& args)>;

  explicit qt_window(const window_definition& definition);
  ~qt_window() override;

  const window_definition& definition() const { return definition_; }

  /// Registers a unit's widget under its stored name (the builder does this).
  void add_unit(std::string_view name, QWidget* widget);
  /// The widget of a unit; null for units without one (the archive
  /// component) and for unknown names.
  QWidget* unit_widget(std::string_view name) const;
  /// The stored name of a unit's widget; empty when it is none of them.
  std::string_view unit_name(const QWidget* widget) const;

  /// Where bound events go; the builder wires the units to raise_event.
  void set_event_sink(event_sink sink) { sink_ = std::move(sink); }
  void raise_event(std::string_view unit, unit_event event, const event_args& args = {});
  /// Called once when the user closes the window.
  void set_close_handler(std::function<void()> handler) { on_close_ = std::move(handler); }

  /// Shows the window, activated, centred on the primary screen, with the
  /// focus on the first unit of the Tab order.
  void show_centred();

  // The window operations of the workflow.
  void set_picture(std::string_view unit, const byte_string& bytes) override;
  void set_content(std::string_view unit, std::string_view content) override;
  text get_caption(std::string_view unit) override;

 protected:
  bool focusNextPrevChild(bool next) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void fit_to_frame();

  const window_definition& definition_;
  std::map<std::string, QWidget*, std::less<>> units_;
  std::vector<std::string_view> focus_chain_;
  event_sink sink_;
  std::function<void()> on_close_;
  QMargins fitted_frame_{-1, -1, -1, -1};
  bool frame_settled_ = false;
};

}  // namespace vantor
