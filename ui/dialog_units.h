#pragma once

#include <QRect>

class QFont;

namespace velinor {

// The forms are laid out in dialog units: a quarter of the font's average
// character width across, an eighth of its height down, so that they keep
// their proportions on any font.
QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height);

} // namespace velinor
