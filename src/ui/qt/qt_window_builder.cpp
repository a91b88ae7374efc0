#include "ui/qt/qt_window_builder.h"

#include <QAbstractButton>
#include <type_traits>

#include "ui/qt/qt_caption_label.h"
#include "ui/qt/qt_conversions.h"
#include "ui/qt/qt_edit_boxes.h"
#include "ui/qt/qt_picture_box.h"
#include "ui/qt/qt_push_button.h"

namespace vantor {

namespace {

Qt::CursorShape cursor_of(pointer_shape pointer) {
  switch (pointer) {
    case pointer_shape::hand:
      return Qt::PointingHandCursor;
    case pointer_shape::i_beam:
      return Qt::IBeamCursor;
    case pointer_shape::arrow:
      break;
  }
  return Qt::ArrowCursor;
}

// Registers a new unit under its stored name, with its kind.
template <typename widget_type>
QWidget* registered(qt_window& window, const unit_definition& unit, widget_type* widget) {
  window.add_unit(unit.name, widget);
  return widget;
}

// One widget per kind; the archive component has none.
QWidget* make_unit(qt_window& window, const unit_definition& unit) {
  return std::visit(
      [&](const auto& properties) -> QWidget* {
        using kind = std::decay_t<decltype(properties)>;
        if constexpr (std::is_same_v<kind, label_properties>) {
          auto* label =
              new qt_caption_label(&window, to_qcolor(properties.text_colour), to_qcolor(properties.background));
          label->setFont(label_font(properties.font));
          label->setCursor(cursor_of(properties.pointer));
          label->set_caption(to_qstring(unit.initial_text));
          return registered(window, unit, label);
        } else if constexpr (std::is_same_v<kind, edit_box_properties>) {
          if (properties.multi_line) {
            auto* box = new qt_multi_line_edit(&window, properties);
            box->set_content(unit.initial_text);
            return registered(window, unit, box);
          }
          auto* box = new qt_single_line_edit(&window, properties);
          box->set_content(unit.initial_text);
          return registered(window, unit, box);
        } else if constexpr (std::is_same_v<kind, picture_box_properties>) {
          auto* box = new qt_picture_box(&window, to_qcolor(properties.background));
          box->set_picture(properties.initial_picture);
          return registered(window, unit, box);
        } else if constexpr (std::is_same_v<kind, button_properties>) {
          auto* button = new qt_push_button(&window, to_qstring(unit.initial_text));
          if (properties.default_button) button->setDefault(true);
          return registered(window, unit, static_cast<QAbstractButton*>(button));
        } else {
          static_assert(std::is_same_v<kind, archive_properties>);
          return nullptr;
        }
      },
      unit.properties);
}

void wire_event(qt_window& window, const event_binding& binding) {
  const std::string_view name = window.unit_name(window.unit_widget(binding.unit));  // owned by the window
  switch (binding.event) {
    case unit_event::clicked:
      if (QAbstractButton* button = window.button(binding.unit)) {
        QObject::connect(button, &QAbstractButton::clicked, &window,
                         [&window, name] { window.raise_event(name, unit_event::clicked); });
      }
      break;
    case unit_event::left_button_released:
      if (qt_caption_label* label = window.label(binding.unit)) {
        label->set_release_handler([&window, name](int x, int y, Qt::KeyboardModifiers keys) {
          window.raise_event(name, unit_event::left_button_released,
                             {mouse_coordinate(x), mouse_coordinate(y),
                              key_state_of(keys.testFlag(Qt::ControlModifier), keys.testFlag(Qt::ShiftModifier),
                                           keys.testFlag(Qt::AltModifier))});
        });
      }
      break;
    case unit_event::created:
      break;  // raised by whoever loads the window, not by a unit
  }
}

}  // namespace

std::unique_ptr<qt_window> build_window(const window_definition& definition) {
  if (!is_buildable(definition)) return nullptr;
  auto window = std::make_unique<qt_window>(definition);
  std::vector<QWidget*> stacked;
  for (const unit_definition& unit : definition.units) {
    QWidget* widget = make_unit(*window, unit);
    if (widget == nullptr) continue;
    widget->setGeometry(unit.left, unit.top, unit.width, unit.height);
    widget->setFocusPolicy(unit.takes_focus ? Qt::StrongFocus : Qt::NoFocus);
    // Shown inside the still hidden window: they appear with it.
    widget->setVisible(unit.visible);
    stacked.push_back(widget);
  }
  // The first stored unit lies on top.
  for (QWidget* widget : stacked) widget->lower();
  for (const event_binding& binding : definition.bindings) {
    if (!binding.unit.empty()) wire_event(*window, binding);
  }
  return window;
}

}  // namespace vantor
