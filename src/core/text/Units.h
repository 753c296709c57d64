#pragma once
// The canvas and the page work in millimetres; fonts in points; window geometry in twips
// (1440 to the inch).

namespace formulix {

inline constexpr double TwipsPerInch = 1440.0;
inline constexpr double MmPerInch = 25.4;
inline constexpr double PointsPerInch = 72.0;

inline double pixelsPerMm(double dpi) { return dpi / MmPerInch; }
inline double twipsToMm(double twips) { return twips * MmPerInch / TwipsPerInch; }

} // namespace formulix
