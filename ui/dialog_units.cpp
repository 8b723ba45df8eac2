#include "ui/dialog_units.h"

#include <QFontMetrics>

namespace velinor {

QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height) {
    const QFontMetrics fm(font);
    // The base units of the font: the average width of the letters and the height.
    const int baseX = (fm.horizontalAdvance(
                           QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                           26 +
                       1) /
                      2;
    const int baseY = fm.height();
    auto px = [](int units, int base, int divisor) {
        return (units * base + divisor / 2) / divisor;
    };
    return {px(x, baseX, 4), px(y, baseY, 8), px(width, baseX, 4), px(height, baseY, 8)};
}

} // namespace velinor
