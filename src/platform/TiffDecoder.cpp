#include "platform/TiffDecoder.h"

#include "platform/RowScaler.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include <tiffio.h>

namespace formulix {

namespace {

// The file's bytes, read by libtiff as if from a file.
struct Source
{
    const QByteArray *data;
    toff_t at = 0;
};

tsize_t readBytes(thandle_t handle, tdata_t buffer, tsize_t size)
{
    auto *source = static_cast<Source *>(handle);
    const toff_t total = toff_t(source->data->size());
    const tsize_t count = source->at >= total ? 0 : tsize_t(std::min<toff_t>(toff_t(size), total - source->at));
    std::memcpy(buffer, source->data->constData() + source->at, size_t(count));
    source->at += toff_t(count);
    return count;
}

tsize_t writeBytes(thandle_t, tdata_t, tsize_t)
{
    return 0;
}

toff_t seekBytes(thandle_t handle, toff_t offset, int whence)
{
    auto *source = static_cast<Source *>(handle);
    const toff_t base = whence == SEEK_CUR ? source->at : whence == SEEK_END ? toff_t(source->data->size()) : 0;
    source->at = base + offset;
    return source->at;
}

int closeBytes(thandle_t)
{
    return 0;
}

toff_t sizeOfBytes(thandle_t handle)
{
    return toff_t(static_cast<Source *>(handle)->data->size());
}

int mapBytes(thandle_t handle, tdata_t *base, toff_t *size)
{
    auto *source = static_cast<Source *>(handle);
    *base = const_cast<char *>(source->data->constData());
    *size = toff_t(source->data->size());
    return 1;
}

void unmapBytes(thandle_t, tdata_t, toff_t) {}

struct Closer
{
    void operator()(TIFF *tiff) const { TIFFClose(tiff); }
};

} // namespace

QImage decodeTiff(const QByteArray &data, int page, QSize expected, QSize target, TiffOutcome *outcome)
{
    *outcome = TiffOutcome::Damaged;
    // The user is told in a message box; libtiff's own words would go to stderr.
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    Source source{&data};
    std::unique_ptr<TIFF, Closer> tiff(TIFFClientOpen("macheta", "rm", &source, readBytes, writeBytes, seekBytes,
                                                      closeBytes, sizeOfBytes, mapBytes, unmapBytes));
    if (!tiff || !TIFFSetDirectory(tiff.get(), tdir_t(page)))
        return QImage();
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE, planar = PLANARCONFIG_CONTIG;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_PLANARCONFIG, &planar);
    if (!TIFFGetField(tiff.get(), TIFFTAG_PHOTOMETRIC, &photometric))
        return QImage();
    if (width == 0 || height == 0 || target.isEmpty() || QSize(int(std::min<uint32_t>(width, INT_MAX)),
                                                                int(std::min<uint32_t>(height, INT_MAX))) != expected)
        return QImage();
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    const bool grey = (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE)
        && samples == 1 && (bits == 1 || bits == 8);
    const bool rgb = photometric == PHOTOMETRIC_RGB && samples >= 3 && samples <= 4 && bits == 8;
    const bool palette = photometric == PHOTOMETRIC_PALETTE && samples == 1 && bits == 8
        && TIFFGetField(tiff.get(), TIFFTAG_COLORMAP, &red, &green, &blue);
    if (TIFFIsTiled(tiff.get()) || planar != PLANARCONFIG_CONTIG || !(grey || rgb || palette)) {
        *outcome = TiffOutcome::Unsupported;
        return QImage();
    }

    const tmsize_t lineBytes = TIFFScanlineSize(tiff.get());
    if (lineBytes <= 0)
        return QImage();
    std::vector<uchar> line(static_cast<size_t>(lineBytes));
    // Grey levels or RGB triplets, for the layouts the scaler does not take as they are.
    std::vector<uchar> converted(static_cast<size_t>(width) * (grey ? 1 : 3));
    const bool inverted = photometric == PHOTOMETRIC_MINISWHITE;
    RowScaler scaler(QSize(int(width), int(height)), target);
    for (uint32_t row = 0; row < height; ++row) {
        if (TIFFReadScanline(tiff.get(), line.data(), row, 0) < 0)
            return QImage(); // a strip cut short or damaged
        uchar *out = converted.data();
        if (rgb) {
            scaler.addRow(line.data(), samples);
        } else if (grey && bits == 8) {
            if (inverted) {
                for (uint32_t x = 0; x < width; ++x)
                    out[x] = uchar(255 - line[x]);
                scaler.addGreyRow(out);
            } else {
                scaler.addGreyRow(line.data());
            }
        } else if (grey) {
            const uchar ink = inverted ? 255 : 0;
            for (uint32_t x = 0; x < width; ++x)
                out[x] = (line[x / 8] >> (7 - x % 8)) & 1 ? uchar(255 - ink) : ink;
            scaler.addGreyRow(out);
        } else {
            for (uint32_t x = 0; x < width; ++x, out += 3) {
                const uchar index = line[x];
                out[0] = uchar(red[index] >> 8);
                out[1] = uchar(green[index] >> 8);
                out[2] = uchar(blue[index] >> 8);
            }
            scaler.addRow(converted.data());
        }
    }
    *outcome = TiffOutcome::Decoded;
    return scaler.finish();
}

} // namespace formulix
