#pragma once
// TIFF scans decoded with libtiff a line, a strip or a row of tiles at a time and made smaller
// as they come, so an A3 page at 600 dpi never exists whole in memory, whatever its kind.

#include "core/pictures/PictureLoader.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <optional>

namespace formulix {

// Why libtiff cannot be used, when it is missing from the system; empty once it is loaded.
QString missingTiffLibrary();

enum class TiffOutcome { Decoded, Damaged, Unsupported, TooLarge };

// The pages a TIFF (classic or BigTIFF) offers: its full-size images, the reduced-resolution
// previews some scanners add (NewSubfileType bit 0) left out; 0 when libtiff cannot read it.
int tiffPageCount(const QByteArray &data);

// The size, resolution and orientation of page `page` (from 0, as tiffPageCount counts), as
// libtiff reads them; nothing when there is no such page.
std::optional<ImageHeader> tiffHeader(const QByteArray &data, int page = 0);

// Page `page`, `expected` pixels as the caller's header check found it, at `target` size, its
// rows as stored (the caller turns it upright). Damaged when libtiff sees other dimensions: only
// the checked ones may size the buffers. Unsupported: a kind libtiff does not turn into RGB.
// TooLarge: a strip or a row of tiles that would not fit the memory of a template.
QImage decodeTiff(const QByteArray &data, int page, QSize expected, QSize target, TiffOutcome *outcome);

} // namespace formulix
