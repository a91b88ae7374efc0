#include "ui/qt/qt_conversions.h"

#include <QApplication>
#include <QPalette>
#include <QStringList>

namespace vantor {

QColor to_qcolor(const colour& stored) {
  if (stored.button_face) return QApplication::palette().color(QPalette::Active, QPalette::Button);
  return QColor(stored.value.red, stored.value.green, stored.value.blue);
}

QFont default_gui_font() {
  QFont font = QApplication::font();
  // Naming the CJK face first spares the font fallback search for every
  // Chinese character, which is most of what the window shows.
  font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans CJK"),
                    QStringLiteral("WenQuanYi Micro Hei"), font.family()});
  font.setPixelSize(12);
  return font;
}

QFont label_font(const font_record& record) {
  QFont font = default_gui_font();
  font.setPixelSize(record.character_height);
  font.setWeight(static_cast<QFont::Weight>(record.weight));
  font.setItalic(record.italic);
  font.setUnderline(record.underline);
  font.setStrikeOut(record.strike_out);
  return font;
}

}  // namespace vantor
