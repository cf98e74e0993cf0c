#include "ui/dialog_units.h"

#include <QFontMetrics>
#include <QStringList>

namespace tessaro::ui {

namespace {

// Multiplies and divides with rounding to the nearest whole pixel.
int MulDiv(int value, int numerator, int denominator) {
  return (value * numerator + denominator / 2) / denominator;
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  QFontMetrics metrics(font);
  // Windows measures dialog units from the font's average character width: that of the Latin
  // letters, rounded to the nearest pixel.
  const int alphabetWidth = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(alphabetWidth / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnitsToPixels(const res::DialogRect& rect, DialogBaseUnits units) {
  return {MulDiv(rect.x, units.averageCharWidth, 4), MulDiv(rect.y, units.charHeight, 8),
          MulDiv(rect.width, units.averageCharWidth, 4), MulDiv(rect.height, units.charHeight, 8)};
}

QSize DialogUnitsToPixels(int width, int height, DialogBaseUnits units) {
  return {MulDiv(width, units.averageCharWidth, 4), MulDiv(height, units.charHeight, 8)};
}

QFont DialogFont(const char* face, int pointSize) {
  QFont font;
  font.setFamilies({QString::fromUtf8(face), QStringLiteral("Gulim"), QStringLiteral("NanumGothic"),
                    QStringLiteral("NanumBarunGothic"), QStringLiteral("Noto Sans CJK KR")});
  font.setPointSize(pointSize);
  return font;
}

}  // namespace tessaro::ui
