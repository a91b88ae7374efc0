#pragma once
// A picture stretched over the whole box, or the background colour alone.
// Pictures are recognised by their leading bytes when set and decoded when
// first painted, so a picture replaced before the window is shown costs
// nothing.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QMovie>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <span>

#include "ui/picture_format.h"

namespace vantor {

class qt_picture_box final : public QWidget {
 public:
  qt_picture_box(QWidget* parent, QColor background);
  ~qt_picture_box() override;

  /// Replaces the picture; empty or unrecognised bytes leave the box blank.
  void set_picture(std::span<const std::uint8_t> bytes);

  picture_format format() const { return format_; }
  /// The picture as it stands now (the current frame of an animation); null
  /// when the box shows only its background.
  QImage current_image();
  /// Whether the picture is an animation that is playing.
  bool is_animating();
  QColor background() const { return background_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void decode();

  QColor background_;
  QByteArray data_;
  picture_format format_ = picture_format::none;
  bool decoded_ = true;
  QImage image_;
  std::unique_ptr<QBuffer> movie_data_;
  std::unique_ptr<QMovie> movie_;
};

}  // namespace vantor
