#pragma once
// A self-drawn label: background fill, then the caption on one line,
// left-aligned and vertically centred, "&" drawn as itself.

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>

namespace vantor {

class qt_caption_label final : public QWidget {
 public:
  /// Receives the pointer position in the label and the modifier keys.
  using release_handler = std::function<void(int x, int y, Qt::KeyboardModifiers keys)>;

  qt_caption_label(QWidget* parent, QColor text_colour, QColor background);

  void set_caption(const QString& caption);
  const QString& caption() const { return caption_; }
  QColor text_colour() const { return text_colour_; }
  QColor background() const { return background_; }

  /// Called for every release of the left button over the label.
  void set_release_handler(release_handler handler) { on_release_ = std::move(handler); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QString caption_;
  QColor text_colour_;
  QColor background_;
  release_handler on_release_;
};

}  // namespace vantor
