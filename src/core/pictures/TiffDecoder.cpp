#include "core/pictures/TiffDecoder.h"

#include "core/files/LazyLibrary.h"
#include "core/pictures/RowScaler.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include <QFloat16>

#include <tiffio.h>

namespace formulix {

namespace {

// libtiff, opened with the first TIFF scan.
#define LIBTIFF_FUNCTIONS(F)                                                                           \
    F(TIFFClientOpen) F(TIFFClose) F(TIFFGetField) F(TIFFGetFieldDefaulted) F(TIFFIsTiled)               \
    F(TIFFRGBAImageOK) F(TIFFRGBAImageBegin) F(TIFFRGBAImageGet) F(TIFFRGBAImageEnd) F(TIFFReadDirectory) \
    F(TIFFReadScanline) F(TIFFScanlineSize) F(TIFFSetDirectory) F(TIFFSetField) F(TIFFSetErrorHandler)    \
    F(TIFFSetWarningHandler)
FORMULIX_LAZY_LIBRARY(LibTiff, LIBTIFF_FUNCTIONS, FORMULIX_LIBTIFF)

// Only once a file has been opened, which loaded the library.
const LibTiff &libtiff()
{
    return *loadLibTiff();
}

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
    void operator()(TIFF *tiff) const { libtiff().TIFFClose(tiff); }
};

using Tiff = std::unique_ptr<TIFF, Closer>;

Tiff openTiff(Source &source)
{
    if (!loadLibTiff())
        return Tiff();
    // The user is told in a message box; libtiff's own words would go to stderr.
    libtiff().TIFFSetErrorHandler(nullptr);
    libtiff().TIFFSetWarningHandler(nullptr);
    return Tiff(libtiff().TIFFClientOpen("macheta", "rm", &source, readBytes, writeBytes, seekBytes, closeBytes,
                                         sizeOfBytes, mapBytes, unmapBytes));
}

// Far more pages than any form has; a longer chain is a damaged or hostile file.
constexpr size_t MaxDirectories = 4096;

// The directories that are pages: the full-size images, or every image of a file that marks
// them all as previews.
std::vector<tdir_t> pageDirectories(TIFF *tiff)
{
    std::vector<tdir_t> full, all;
    if (!libtiff().TIFFSetDirectory(tiff, 0))
        return full;
    tdir_t directory = 0;
    do {
        uint32_t kind = 0;
        libtiff().TIFFGetField(tiff, TIFFTAG_SUBFILETYPE, &kind);
        if (!(kind & FILETYPE_REDUCEDIMAGE))
            full.push_back(directory);
        all.push_back(directory++);
    } while (all.size() < MaxDirectories && libtiff().TIFFReadDirectory(tiff));
    return full.empty() ? all : full;
}

bool toPage(TIFF *tiff, int page)
{
    const std::vector<tdir_t> pages = pageDirectories(tiff);
    return page >= 0 && size_t(page) < pages.size() && libtiff().TIFFSetDirectory(tiff, pages[size_t(page)]);
}

// The kinds decoded a line at a time, however long their strips: a fax page or a scanner's
// single-strip file holds the whole page in one. Any other kind goes through libtiff's RGBA
// conversion a strip or a row of tiles at a time.
enum class Colour { Grey, Rgb, Palette, Cmyk };

struct LineKind
{
    Colour colour;
    int bits;
    int samples;
    bool inverted = false;
    bool real = false; // floating point, 0 to 1
};

std::optional<LineKind> lineKind(TIFF *tiff)
{
    uint16_t bits = 1, samples = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT;
    uint16_t compression = COMPRESSION_NONE, inks = INKSET_CMYK;
    libtiff().TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    libtiff().TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    libtiff().TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    libtiff().TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    libtiff().TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    libtiff().TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inks);
    // Separate planes would have each line's strips decoded again from their start for every
    // plane: they go by whole strips instead.
    // Floating-point samples from 0 to 1, as image programs write them; libtiff's RGBA
    // conversion takes none.
    const bool real = format == SAMPLEFORMAT_IEEEFP && (bits == 16 || bits == 32);
    if (!libtiff().TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) || libtiff().TIFFIsTiled(tiff)
        || planar != PLANARCONFIG_CONTIG || (format != SAMPLEFORMAT_UINT && !real) || samples < 1)
        return std::nullopt;
    const bool bytes = bits == 8 || bits == 16 || real, fewBits = !real && (bits == 1 || bits == 2 || bits == 4);
    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        if (bytes || fewBits)
            return LineKind{Colour::Grey, bits, samples, photometric == PHOTOMETRIC_MINISWHITE, real};
        break;
    case PHOTOMETRIC_RGB:
        if (bytes && samples >= 3)
            return LineKind{Colour::Rgb, bits, samples, false, real};
        break;
    case PHOTOMETRIC_YCBCR: // the JPEG codec turns it into RGB itself, subsampling and all
        if (compression == COMPRESSION_JPEG && bits == 8 && samples == 3
            && libtiff().TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB))
            return LineKind{Colour::Rgb, 8, 3};
        break;
    case PHOTOMETRIC_PALETTE:
        if ((bits == 8 || fewBits) && samples == 1)
            return LineKind{Colour::Palette, bits, 1};
        break;
    case PHOTOMETRIC_SEPARATED:
        if (bytes && samples >= 4 && inks == INKSET_CMYK)
            return LineKind{Colour::Cmyk, bits, samples, false, real};
        break;
    default:
        break;
    }
    return std::nullopt;
}

// `count` samples of `bits` each as bytes: 16-bit and floating-point ones rounded to 8 bits,
// narrower ones spread over 0..255 unless they are palette indices.
void unpack(const uchar *raw, size_t count, int bits, bool real, bool spread, uchar *out)
{
    if (real) {
        for (size_t i = 0; i < count; ++i) {
            float value;
            if (bits == 16) {
                qfloat16 half;
                std::memcpy(&half, raw + 2 * i, 2);
                value = half;
            } else {
                std::memcpy(&value, raw + 4 * i, 4);
            }
            out[i] = value > 0 ? uchar(std::lround(std::min(value, 1.0f) * 255)) : 0; // NaN too
        }
        return;
    }
    if (bits == 16) { // in the machine's byte order: libtiff swaps them
        for (size_t i = 0; i < count; ++i) {
            uint16_t value;
            std::memcpy(&value, raw + 2 * i, 2);
            out[i] = uchar((value + 128u) / 257u);
        }
        return;
    }
    const unsigned max = (1u << bits) - 1;
    for (size_t i = 0, bit = 0; i < count; ++i, bit += size_t(bits)) {
        const unsigned value = (raw[bit / 8] >> (8 - bits - int(bit % 8))) & max;
        out[i] = uchar(spread ? value * 255 / max : value);
    }
}

// The palette as RGB triplets; entries written as 8-bit values, as some old writers did, are
// taken as they are.
std::array<uchar, 256 * 3> paletteOf(TIFF *tiff, int bits)
{
    std::array<uchar, 256 * 3> palette{};
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (!libtiff().TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue))
        return palette;
    const int entries = 1 << bits;
    bool eightBits = true;
    for (int i = 0; i < entries; ++i)
        eightBits = eightBits && red[i] < 256 && green[i] < 256 && blue[i] < 256;
    const int shift = eightBits ? 0 : 8;
    for (int i = 0; i < entries; ++i) {
        palette[size_t(i) * 3] = uchar(red[i] >> shift);
        palette[size_t(i) * 3 + 1] = uchar(green[i] >> shift);
        palette[size_t(i) * 3 + 2] = uchar(blue[i] >> shift);
    }
    return palette;
}

bool decodeLines(TIFF *tiff, const LineKind &kind, uint32_t width, uint32_t height, RowScaler &scaler)
{
    const tmsize_t lineBytes = libtiff().TIFFScanlineSize(tiff);
    const size_t count = size_t(width) * size_t(kind.samples);
    if (lineBytes <= 0 || quint64(lineBytes) < (quint64(count) * quint64(kind.bits) + 7) / 8)
        return false;
    std::vector<uchar> line(static_cast<size_t>(lineBytes));
    std::vector<uchar> levels(kind.bits == 8 ? 0 : count);
    std::vector<uchar> out(size_t(width) * 3); // grey levels or RGB triplets
    const auto palette = kind.colour == Colour::Palette ? paletteOf(tiff, kind.bits) : std::array<uchar, 256 * 3>{};
    const size_t step = size_t(kind.samples);
    for (uint32_t row = 0; row < height; ++row) {
        if (libtiff().TIFFReadScanline(tiff, line.data(), row, 0) < 0)
            return false; // a strip cut short or damaged
        const uchar *in = line.data();
        if (kind.bits != 8) {
            unpack(line.data(), count, kind.bits, kind.real, kind.colour != Colour::Palette, levels.data());
            in = levels.data();
        }
        switch (kind.colour) {
        case Colour::Rgb:
            scaler.addRow(in, kind.samples);
            break;
        case Colour::Grey:
            if (step == 1 && !kind.inverted) {
                scaler.addGreyRow(in);
                break;
            }
            for (uint32_t x = 0; x < width; ++x)
                out[x] = kind.inverted ? uchar(255 - in[x * step]) : in[x * step];
            scaler.addGreyRow(out.data());
            break;
        case Colour::Palette:
            for (uint32_t x = 0; x < width; ++x)
                std::memcpy(&out[size_t(x) * 3], &palette[size_t(in[x]) * 3], 3);
            scaler.addRow(out.data());
            break;
        case Colour::Cmyk:
            for (uint32_t x = 0; x < width; ++x) {
                const uchar *ink = in + x * step;
                const unsigned white = 255u - ink[3];
                for (int c = 0; c < 3; ++c)
                    out[size_t(x) * 3 + size_t(c)] = uchar((255u - ink[c]) * white / 255u);
            }
            scaler.addRow(out.data());
            break;
        }
    }
    return true;
}

// What one strip or row of tiles may take as RGBA: a row of 256-line tiles across an A3 page at
// 1200 dpi takes 14 MB.
constexpr qint64 MaxBandBytes = 64LL * 1024 * 1024;

bool decodeBands(TIFF *tiff, uint32_t width, uint32_t height, RowScaler &scaler, TiffOutcome *outcome)
{
    char message[1024] = {};
    if (!libtiff().TIFFRGBAImageOK(tiff, message)) {
        *outcome = TiffOutcome::Unsupported;
        return false;
    }
    uint32_t band = 0;
    if (libtiff().TIFFIsTiled(tiff))
        libtiff().TIFFGetField(tiff, TIFFTAG_TILELENGTH, &band);
    else
        libtiff().TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &band);
    band = std::clamp<uint32_t>(band, 1, height);
    if (qint64(band) * width * 4 > MaxBandBytes) {
        *outcome = TiffOutcome::TooLarge;
        return false;
    }
    TIFFRGBAImage image{};
    if (!libtiff().TIFFRGBAImageBegin(&image, tiff, 1, message))
        return false;
    // The rows as stored: the caller turns the picture, where libtiff would only flip it.
    image.req_orientation = image.orientation;
    std::vector<uint32_t> raster(size_t(width) * band);
    std::vector<uchar> rgb(size_t(width) * 3);
    bool whole = true;
    for (uint32_t row = 0; row < height && whole; row += band) {
        const uint32_t rows = std::min(band, height - row);
        image.row_offset = int(row);
        image.col_offset = 0;
        whole = libtiff().TIFFRGBAImageGet(&image, raster.data(), width, rows) != 0;
        for (uint32_t y = 0; y < rows && whole; ++y) {
            const uint32_t *pixel = raster.data() + size_t(y) * width;
            // Premultiplied by its alpha: what shows through lies on white paper.
            for (uint32_t x = 0; x < width; ++x, ++pixel) {
                const uint32_t paper = 255 - TIFFGetA(*pixel);
                rgb[size_t(x) * 3] = uchar(std::min<uint32_t>(255, TIFFGetR(*pixel) + paper));
                rgb[size_t(x) * 3 + 1] = uchar(std::min<uint32_t>(255, TIFFGetG(*pixel) + paper));
                rgb[size_t(x) * 3 + 2] = uchar(std::min<uint32_t>(255, TIFFGetB(*pixel) + paper));
            }
            scaler.addRow(rgb.data());
        }
    }
    libtiff().TIFFRGBAImageEnd(&image);
    return whole;
}

} // namespace

int tiffPageCount(const QByteArray &data)
{
    Source source{&data};
    const Tiff tiff = openTiff(source);
    return tiff ? int(pageDirectories(tiff.get()).size()) : 0;
}

std::optional<ImageHeader> tiffHeader(const QByteArray &data, int page)
{
    Source source{&data};
    const Tiff tiff = openTiff(source);
    if (!tiff || !toPage(tiff.get(), page))
        return std::nullopt;
    uint32_t width = 0, height = 0;
    float resolution[2] = {0, 0};
    uint16_t unit = RESUNIT_INCH, orientation = ORIENTATION_TOPLEFT;
    libtiff().TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    libtiff().TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    libtiff().TIFFGetField(tiff.get(), TIFFTAG_XRESOLUTION, &resolution[0]);
    libtiff().TIFFGetField(tiff.get(), TIFFTAG_YRESOLUTION, &resolution[1]);
    libtiff().TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
    libtiff().TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
    ImageHeader header;
    header.format = "tiff";
    header.pixels = QSize(int(std::min<uint32_t>(width, INT_MAX)), int(std::min<uint32_t>(height, INT_MAX)));
    const double perInch = unit == RESUNIT_CENTIMETER ? 2.54 : unit == RESUNIT_INCH ? 1 : 0; // else no absolute unit
    const auto dpi = [perInch](float value) { return std::isfinite(value) && value > 0 ? value * perInch : 0.0; };
    header.dpiX = dpi(resolution[0]);
    header.dpiY = dpi(resolution[1]);
    header.orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    return header;
}

QImage decodeTiff(const QByteArray &data, int page, QSize expected, QSize target, TiffOutcome *outcome)
{
    *outcome = TiffOutcome::Damaged;
    Source source{&data};
    const Tiff tiff = openTiff(source);
    if (!tiff || !toPage(tiff.get(), page))
        return QImage();
    uint32_t width = 0, height = 0;
    libtiff().TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    libtiff().TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    if (width == 0 || height == 0 || target.isEmpty() || QSize(int(std::min<uint32_t>(width, INT_MAX)),
                                                                int(std::min<uint32_t>(height, INT_MAX))) != expected)
        return QImage();
    RowScaler scaler(QSize(int(width), int(height)), target);
    const std::optional<LineKind> kind = lineKind(tiff.get());
    if (!(kind ? decodeLines(tiff.get(), *kind, width, height, scaler) : decodeBands(tiff.get(), width, height, scaler, outcome)))
        return QImage();
    *outcome = TiffOutcome::Decoded;
    return scaler.finish();
}

QString missingTiffLibrary()
{
    return loadLibTiff() ? QString() : missingLibraryReason(FORMULIX_LIBTIFF, "libtiff6");
}

} // namespace formulix
