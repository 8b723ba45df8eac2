#include "ui/dialog_units.h"

#include <QFont>
#include <QFontMetrics>

namespace velinor {

namespace {

struct BaseUnits {
    int x = 0;
    int y = 0;
};

// The base units of the font: the average width of the letters and the height.
// Measuring shapes a line of text; a form asks for every one of its controls, so
// the last font's units are kept (widgets live in the GUI thread only).
BaseUnits baseUnitsOf(const QFont& font) {
    static QFont lastFont;
    static BaseUnits last;
    if (last.y > 0 && font == lastFont)
        return last;
    const QFontMetrics fm(font);
    const int width = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    last = {(width / 26 + 1) / 2, fm.height()};
    lastFont = font;
    return last;
}

} // namespace

QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height) {
    const BaseUnits base = baseUnitsOf(font);
    auto px = [](int units, int base, int divisor) {
        return (units * base + divisor / 2) / divisor;
    };
    return {px(x, base.x, 4), px(y, base.y, 8), px(width, base.x, 4), px(height, base.y, 8)};
}

} // namespace velinor
