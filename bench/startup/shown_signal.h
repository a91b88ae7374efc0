#pragma once
// How both programs of the start-up benchmark say "the window is on the
// screen": after the window's first paint has finished, they print the
// monotonic clock in nanoseconds and quit. Measured the same way for both.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "monotonic_clock.h"

namespace vantor::bench {

class shown_signal final : public QObject {
 public:
  explicit shown_signal(QWidget& window) : QObject(&window), window_(window) { window.installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      // Queued, so it runs once the paint has been handled and flushed.
      QTimer::singleShot(0, [] {
        std::printf("shown %lld\n", monotonic_nanoseconds());
        std::fflush(stdout);
        QCoreApplication::quit();
      });
    }
    return false;
  }

 private:
  QWidget& window_;
  bool seen_ = false;
};

}  // namespace vantor::bench
