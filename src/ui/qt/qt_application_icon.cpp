#include "ui/qt/qt_application_icon.h"

#include <QImage>
#include <QPixmap>
#include <cstddef>

// assets/window/vantor-patcher.png, embedded at build time.
extern const unsigned char vantor_application_icon[];
extern const std::size_t vantor_application_icon_size;

namespace vantor {

QIcon application_icon() {
  QImage image;
  image.loadFromData(vantor_application_icon, static_cast<int>(vantor_application_icon_size), "PNG");
  return QIcon(QPixmap::fromImage(image));
}

}  // namespace vantor
