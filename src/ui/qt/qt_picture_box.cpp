#include "ui/qt/qt_picture_box.h"

#include <QImageReader>
#include <QPainter>
#include <string>

namespace vantor {

qt_picture_box::qt_picture_box(QWidget* parent, QColor background) : QWidget(parent), background_(background) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

qt_picture_box::~qt_picture_box() = default;

void qt_picture_box::set_picture(std::span<const std::uint8_t> bytes) {
  movie_.reset();
  movie_data_.reset();
  image_ = QImage();
  format_ = recognise_picture(bytes);
  data_ = format_ == picture_format::none
              ? QByteArray()
              : QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  decoded_ = format_ == picture_format::none;
  update();
}

void qt_picture_box::decode() {
  if (decoded_) return;
  decoded_ = true;
  const std::string format_name(picture_format_name(format_));
  if (format_ == picture_format::gif) {
    movie_data_ = std::make_unique<QBuffer>(&data_);
    movie_data_->open(QIODevice::ReadOnly);
    movie_ = std::make_unique<QMovie>(movie_data_.get(), QByteArray("gif"));
    if (!movie_->isValid()) {
      movie_.reset();
      movie_data_.reset();
      return;
    }
    QObject::connect(movie_.get(), &QMovie::frameChanged, this, [this] { update(); });
    movie_->start();  // shows the first frame now; a single frame just stays
    return;
  }
  // Decoded straight to the box's size: the JPEG decoder then does most of
  // the shrinking itself, and painting is a plain copy. Formats without a
  // decoder here (PCX) stay blank, like undecodable data.
  QBuffer buffer(&data_);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format_name.c_str());
  if (!size().isEmpty()) reader.setScaledSize(size());
  image_ = reader.read();
}

QImage qt_picture_box::current_image() {
  decode();
  return movie_ ? movie_->currentImage() : image_;
}

bool qt_picture_box::is_animating() {
  decode();
  return movie_ && movie_->state() == QMovie::Running;
}

void qt_picture_box::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), background_);
  const QImage picture = current_image();
  if (picture.isNull()) return;
  // Stretched: width and height scale independently.
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), picture);
}

}  // namespace vantor
