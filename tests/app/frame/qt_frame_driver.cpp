// The frame test's driver on Qt, headless: keys and clicks through QTest,
// the window's pixels from its own rendering.

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "app/qt/qt_toolkit.h"
#include "frame_driver.h"
#include "ui/qt/qt_conversions.h"
#include "ui/qt/qt_edit_boxes.h"
#include "ui/qt/qt_picture_box.h"

namespace vantor::testing {
namespace {

class qt_frame_driver final : public frame_driver {
 public:
  window_toolkit& toolkit() override { return toolkit_; }
  bool settle() override { return QTest::qWaitForWindowExposed(toolkit_.window()); }
  bool window_visible() const override { return toolkit_.window()->isVisible(); }

  std::string box_text(std::string_view unit) const override {
    QWidget* box = widget(unit);
    if (auto* multi = dynamic_cast<qt_multi_line_edit*>(box)) return to_utf8(multi->content());
    if (auto* single = dynamic_cast<qt_single_line_edit*>(box)) return to_utf8(single->content());
    ADD_FAILURE() << unit << " is no edit box";
    return {};
  }
  std::string_view line_end() const override { return "\n"; }
  picture_format picture_format_of(std::string_view unit) override { return picture(unit)->format(); }
  bool shows_still_picture(std::string_view unit) override {
    return !picture(unit)->current_image().isNull() && !picture(unit)->is_animating();
  }
  std::uint32_t colour_at(std::int32_t x, std::int32_t y) override {
    const QImage shown = toolkit_.window()->grab().toImage();
    return shown.pixelColor(x, y).rgb() & 0xFFFFFFu;
  }

  std::string focused() const override {
    return std::string(toolkit_.window()->unit_name(QApplication::focusWidget()));
  }
  void focus(std::string_view unit) override { widget(unit)->setFocus(Qt::OtherFocusReason); }
  void press(key pressed) override {
    QTest::keyClick(QApplication::focusWidget(), pressed == key::space ? Qt::Key_Space : Qt::Key_Return);
  }
  void click(std::string_view unit, std::int32_t x, std::int32_t y) override {
    QTest::mouseClick(widget(unit), Qt::LeftButton, {}, QPoint(x, y));
  }
  void press_escape_for_the_loop() override {
    qt_window* window = toolkit_.window();
    QTimer::singleShot(0, window, [window] { QTest::keyClick(window, Qt::Key_Escape); });
  }

  bool answers_from_another_thread() override {
    return on_window_thread([] { return true; });
  }
  void click_from_another_thread(std::string_view unit) override {
    QWidget* target = widget(unit);
    const QPointF at(10, 10);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QCoreApplication::postEvent(
          target, new QMouseEvent(type, at, target->mapToGlobal(at), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier));
    }
  }
  void press_space_from_another_thread(std::string_view unit) override {
    QWidget* target = widget(unit);
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QCoreApplication::postEvent(target, new QKeyEvent(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" ")));
    }
  }
  std::optional<double> taskbar_progress_from_another_thread() override { return std::nullopt; }
  bool has_taskbar_progress() const override { return false; }
  void close_from_another_thread() override {
    QMetaObject::invokeMethod(toolkit_.window(), &QWidget::close, Qt::QueuedConnection);
  }
  bool shows_busy_pointer_from_another_thread() override {
    return on_window_thread([] {
      const QCursor* shown = QApplication::overrideCursor();
      return shown != nullptr && shown->shape() == Qt::WaitCursor;
    });
  }

 private:
  // Asks on the window's thread; false when it does not answer in time.
  template <typename question>
  bool on_window_thread(question asked) {
    if (QThread::currentThread() == QCoreApplication::instance()->thread()) return asked();
    auto answer = std::make_shared<std::promise<bool>>();
    std::future<bool> future = answer->get_future();
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [answer, asked] { answer->set_value(asked()); }, Qt::QueuedConnection);
    return future.wait_for(std::chrono::milliseconds(200)) == std::future_status::ready && future.get();
  }
  QWidget* widget(std::string_view unit) const { return toolkit_.window()->unit_widget(unit); }
  qt_picture_box* picture(std::string_view unit) const { return dynamic_cast<qt_picture_box*>(widget(unit)); }

  qt_toolkit toolkit_;
};

}  // namespace

std::unique_ptr<frame_driver> make_frame_driver() { return std::make_unique<qt_frame_driver>(); }

}  // namespace vantor::testing
