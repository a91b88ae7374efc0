#pragma once
// Turning the window table's values into Qt's.

#include <QColor>
#include <QFont>
#include <QString>
#include <string>
#include <string_view>

#include "ui/window_definition.h"

namespace vantor {

inline QString to_qstring(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string to_utf8(const QString& value) { return value.toStdString(); }

/// A stored colour on this desktop.
QColor to_qcolor(const colour& stored);

/// The desktop's default GUI font: its default face at 12 pixels, preferring
/// a face with Chinese glyphs so no character falls back to a box.
QFont default_gui_font();

/// A label font from its record, in the default face.
QFont label_font(const font_record& record);

}  // namespace vantor
