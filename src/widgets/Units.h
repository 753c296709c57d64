#pragma once
// Window geometry in twips and millimetres on widgets.

#include "core/text/Units.h"

#include <QVariant>
#include <QWidget>
#include <cmath>

namespace formulix {

inline double logicalDpi(const QWidget *widget)
{
    const int dpi = widget ? widget->logicalDpiX() : 0;
    return dpi > 0 ? dpi : 96.0;
}

inline int twipsToPixels(double twips, double dpi) { return int(std::lround(twips * dpi / TwipsPerInch)); }

// Places a widget by its design geometry in twips.
inline void setTwipsGeometry(QWidget *widget, double left, double top, double width, double height)
{
    const double dpi = logicalDpi(widget);
    widget->setGeometry(twipsToPixels(left, dpi), twipsToPixels(top, dpi), twipsToPixels(width, dpi),
                        twipsToPixels(height, dpi));
}

// A window's millimetre scale. The exact value last set in millimetres is remembered, so what is
// read back is what was written (40 mm stays 40, not the 39.95 of the whole pixels shown).
namespace mm {

inline double perPixel(const QWidget *widget) { return 1.0 / pixelsPerMm(logicalDpi(widget)); }

inline double read(const QWidget *widget, const char *name, int pixels)
{
    const QVariant stored = widget->property(name);
    const double ppm = pixelsPerMm(logicalDpi(widget));
    if (stored.isValid() && std::lround(stored.toDouble() * ppm) == pixels)
        return stored.toDouble();
    return pixels / ppm;
}

inline double left(const QWidget *w) { return read(w, "_mmLeft", w->x()); }
inline double top(const QWidget *w) { return read(w, "_mmTop", w->y()); }
inline double width(const QWidget *w) { return read(w, "_mmWidth", w->width()); }
inline double height(const QWidget *w) { return read(w, "_mmHeight", w->height()); }

inline void move(QWidget *w, double leftMm, double topMm)
{
    const double ppm = pixelsPerMm(logicalDpi(w));
    w->setProperty("_mmLeft", leftMm);
    w->setProperty("_mmTop", topMm);
    w->move(int(std::lround(leftMm * ppm)), int(std::lround(topMm * ppm)));
}

inline void resize(QWidget *w, double widthMm, double heightMm)
{
    const double ppm = pixelsPerMm(logicalDpi(w));
    w->setProperty("_mmWidth", widthMm);
    w->setProperty("_mmHeight", heightMm);
    w->resize(int(std::lround(widthMm * ppm)), int(std::lround(heightMm * ppm)));
}

inline void setHeight(QWidget *w, double heightMm) { resize(w, width(w), heightMm); }

} // namespace mm

} // namespace formulix
