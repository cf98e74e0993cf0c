#pragma once

#include <QFont>
#include <QRect>

#include "res/dialog_templates.h"

namespace tessaro::ui {

// The dialog font's measures that dialog units are counted in: a dialog unit is a quarter of
// the average character width across and an eighth of the character height down.
struct DialogBaseUnits {
  int averageCharWidth;
  int charHeight;
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

QRect DialogUnitsToPixels(const res::DialogRect& rect, DialogBaseUnits units);
QSize DialogUnitsToPixels(int width, int height, DialogBaseUnits units);

// The template's font, or an installed Korean font of the same size where it is missing.
QFont DialogFont(const char* face, int pointSize);

}  // namespace tessaro::ui
