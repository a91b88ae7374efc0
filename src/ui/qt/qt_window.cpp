#include "ui/qt/qt_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include "ui/focus_order.h"
#include "ui/qt/qt_caption_label.h"
#include "ui/qt/qt_conversions.h"
#include "ui/qt/qt_edit_boxes.h"
#include "ui/qt/qt_picture_box.h"
#include "ui/window_geometry.h"

namespace vantor {

qt_window::qt_window(const window_definition& definition)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           (definition.close_box ? Qt::WindowCloseButtonHint : Qt::Widget) |
                           (definition.minimise_box ? Qt::WindowMinimizeButtonHint : Qt::Widget) |
                           (definition.maximise_box ? Qt::WindowMaximizeButtonHint : Qt::Widget)),
      definition_(definition),
      focus_chain_(focus_chain(definition)) {
  setWindowTitle(to_qstring(definition.caption));
  setFont(default_gui_font());
  QPalette background = palette();
  background.setColor(QPalette::Window, to_qcolor(definition.background));
  setPalette(background);
  setAutoFillBackground(true);
  // Until the desktop tells the frame's size, the whole stored size is the
  // client area; fit_to_frame corrects it once the frame is known.
  const window_size client = client_size(definition, {});
  if (definition.resizable) {
    resize(client.width, client.height);
  } else {
    setFixedSize(client.width, client.height);
  }
  if (definition.escape_closes) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    QObject::connect(escape, &QShortcut::activated, this, &QWidget::close);
  }
}

qt_window::~qt_window() = default;

template <typename widget_type>
void qt_window::remember(std::map<std::string, widget_type*, std::less<>>& kind, std::string_view name,
                         widget_type* widget) {
  units_.add(name, widget);
  kind[std::string(name)] = widget;
}

template <typename widget_type>
widget_type* qt_window::find(const std::map<std::string, widget_type*, std::less<>>& kind, std::string_view name) {
  const auto found = kind.find(name);
  return found == kind.end() ? nullptr : found->second;
}

void qt_window::add_unit(std::string_view name, qt_caption_label* label) { remember(labels_, name, label); }
void qt_window::add_unit(std::string_view name, qt_multi_line_edit* box) { remember(multi_line_edits_, name, box); }
void qt_window::add_unit(std::string_view name, qt_single_line_edit* box) { remember(single_line_edits_, name, box); }
void qt_window::add_unit(std::string_view name, qt_picture_box* box) { remember(picture_boxes_, name, box); }
void qt_window::add_unit(std::string_view name, QAbstractButton* button) { remember(buttons_, name, button); }

QWidget* qt_window::unit_widget(std::string_view name) const { return units_.handle(name); }
qt_caption_label* qt_window::label(std::string_view name) const { return find(labels_, name); }
QAbstractButton* qt_window::button(std::string_view name) const { return find(buttons_, name); }

std::string_view qt_window::unit_name(const QWidget* widget) const { return units_.name(widget); }

void qt_window::raise_event(std::string_view unit, unit_event event, const event_args& args) {
  raise_bound_event(definition_, sink_, unit, event, args);
}

void qt_window::show_centred() {
  // Qt's own Tab chain follows the same order, for anything that walks it.
  for (std::size_t i = 0; i + 1 < focus_chain_.size(); ++i) {
    QWidget::setTabOrder(unit_widget(focus_chain_[i]), unit_widget(focus_chain_[i + 1]));
  }
  if (!focus_chain_.empty() && focusWidget() == nullptr) {
    if (QWidget* first = unit_widget(focus_chain_.front())) first->setFocus(Qt::ActiveWindowFocusReason);
  }
  create();  // the platform window, so that a frame it already knows counts
  fit_to_frame();
  show();
  activateWindow();
}

void qt_window::fit_to_frame() {
  // Once fitted to a real frame the window stays where it is: the desktop
  // may report the frame differently for a moment while it reactivates the
  // window, and the user may have moved it.
  if (frame_settled_) return;
  const QWindow* handle = windowHandle();
  const QMargins frame = handle ? handle->frameMargins() : QMargins();
  if (frame == fitted_frame_) return;
  fitted_frame_ = frame;
  frame_settled_ = !frame.isNull();
  const window_size client = client_size(definition_, {frame.left(), frame.top(), frame.right(), frame.bottom()});
  if (!definition_.resizable) setFixedSize(client.width, client.height);
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect full = screen->geometry();
  const window_point origin =
      centred_origin({full.width(), full.height()},
                     {client.width + frame.left() + frame.right(), client.height + frame.top() + frame.bottom()});
  // A window's position is the top-left corner of its frame.
  move(full.x() + origin.x, full.y() + origin.y);
}

bool qt_window::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  // The desktop reports the frame only once the window is on screen.
  switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::WindowActivate:
      if (isVisible()) fit_to_frame();
      break;
    default:
      break;
  }
  return handled;
}

bool qt_window::focusNextPrevChild(bool next) {
  // With the focus on the window itself Tab moves nothing.
  if (QWidget* widget = units_.next_in_tab_order(focus_chain_, focusWidget(), next)) {
    widget->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  }
  return true;
}

void qt_window::set_busy(bool busy) {
  busy_ = busy;
  // Esc or the close box while the command ended (the last box just
  // answered, its thread still winding down) is not lost: the window closes
  // now that it may.
  if (!busy && close_asked_) {
    close_asked_ = false;
    close();
  }
}

void qt_window::closeEvent(QCloseEvent* event) {
  // Never while a command is at work in the game folder: it ends first, and
  // the window closes then.
  if (busy_) {
    close_asked_ = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
  if (event->isAccepted() && on_close_) on_close_();
}

void qt_window::set_picture(std::string_view unit, const byte_string& bytes) {
  if (qt_picture_box* box = find(picture_boxes_, unit)) box->set_picture(bytes);
}

void qt_window::set_content(std::string_view unit, std::string_view content) {
  if (qt_multi_line_edit* multi = find(multi_line_edits_, unit)) multi->set_content(content);
  if (qt_single_line_edit* single = find(single_line_edits_, unit)) single->set_content(content);
}

text qt_window::caption(std::string_view unit) const {
  if (const qt_caption_label* found = find(labels_, unit)) return to_utf8(found->caption());
  return {};
}

}  // namespace vantor
