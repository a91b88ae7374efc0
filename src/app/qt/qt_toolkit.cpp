#include "app/qt/qt_toolkit.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

#include "ui/qt/qt_message_boxes.h"
#include "ui/qt/qt_window_builder.h"

namespace vantor {

namespace {

bool is_input(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    default:
      return false;
  }
}

// The top-level window an object belongs to: a widget's own, or that of
// the widget that holds it (a shortcut).
const QWidget* window_of(const QObject* object) {
  for (; object != nullptr; object = object->parent()) {
    if (object->isWidgetType()) return static_cast<const QWidget*>(object)->window();
  }
  return nullptr;
}

bool is_escape(QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
      return static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    case QEvent::Shortcut:
      return static_cast<QShortcutEvent*>(event)->key() == QKeySequence(Qt::Key_Escape);
    default:
      return false;
  }
}

}  // namespace

qt_toolkit::qt_toolkit() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->installEventFilter(&hold_);
}

qt_toolkit::~qt_toolkit() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(&hold_);
}

bool qt_toolkit::input_hold::eventFilter(QObject* target, QEvent* event) {
  // Dropped, not held: a click while the command runs must not start
  // another once it ends. The message boxes are windows of their own. Esc
  // alone goes on, as the close box does: the window keeps it and closes
  // once the command has ended.
  return toolkit_.busy_ && toolkit_.window_ && is_input(event->type()) && !is_escape(event) &&
         window_of(target) == toolkit_.window_.get();
}

std::unique_ptr<qt_window> qt_toolkit::make_window(const window_definition& definition) {
  return vantor::build_window(definition);
}

void qt_toolkit::run_message_loop() { QApplication::exec(); }

void qt_toolkit::quit_message_loop() { QCoreApplication::exit(0); }

void qt_toolkit::show_fatal_report(std::string_view report) { vantor::show_fatal_report(report); }

void qt_toolkit::post_to_window_thread(std::function<void()> call) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call), Qt::QueuedConnection);
}

void qt_toolkit::deliver_events_until(const std::function<bool()>& finished) {
  while (!finished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void qt_toolkit::set_busy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (window_) window_->set_busy(busy);
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

}  // namespace vantor
