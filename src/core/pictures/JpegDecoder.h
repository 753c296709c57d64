#pragma once
// JPEG decoding within a fixed memory budget: a picture of screen size is decoded whole, a larger
// one has its rows scaled down as they leave the decoder, so only the result and a few rows are
// ever held. A progressive file, which the decoder would have
// to hold whole, is read from its DC scans alone when an eighth of its size is enough or when
// holding it would break the budget.

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace formulix {

// The most the decoder itself may take for one file, beside the picture it returns.
constexpr qint64 JpegDecodeMemoryLimit = 256LL * 1024 * 1024;

// The most pixels (32 MB) decoded whole before being made smaller.
constexpr qint64 WholeDecodePixels = 8LL * 1024 * 1024;

enum class JpegFailure { None, Damaged, TooLarge, Unsupported };

// Why libjpeg cannot be used, when it is missing from the system; empty once it is loaded.
QString missingJpegLibrary();

// `data` decoded to `target` pixels (at most the file's own size), as RGB32. A progressive file
// read from its DC scans may come out smaller than `target`, never larger. A null image with the
// reason in `failure` when the data is damaged or cut short (the decoder's own warnings of lost
// data count as damage), or cannot be decoded within the limit. A decode of at most `wholeLimit`
// pixels is held whole before it is made smaller; a larger one is made smaller row by row.
QImage decodeJpeg(const QByteArray &data, QSize target, JpegFailure *failure, qint64 wholeLimit = WholeDecodePixels);

} // namespace formulix
