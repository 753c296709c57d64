#pragma once
// TIFF scans decoded with libtiff a line at a time and made smaller as they come, so an A3 page
// at 600 dpi never exists whole in memory.

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace formulix {

enum class TiffOutcome { Decoded, Damaged, Unsupported };

// Image `page` (from 0), `expected` pixels as the caller's header check found it, at `target`
// size. Damaged when libtiff sees other dimensions: only the checked ones may size the buffers.
// Unsupported: a layout this decoder does not read line by line (tiles, separate planes, more
// than 8 bits a sample); the caller decodes it whole.
QImage decodeTiff(const QByteArray &data, int page, QSize expected, QSize target, TiffOutcome *outcome);

} // namespace formulix
