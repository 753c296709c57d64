#include "core/pictures/JpegDecoder.h"

#include "core/files/LazyLibrary.h"
#include "core/pictures/RowScaler.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace formulix {

namespace {

uchar clampByte(int value)
{
    return uchar(std::clamp(value, 0, 255));
}

// A picture made smaller by less than half on each side is sampled bilinearly: each target pixel
// then weighs the at most two source pixels of its box, as an area filter would, in half the time.
// Further down, bilinear sampling would skip pixels and Qt's area filter takes over.
QImage shrink(const QImage &image, QSize size)
{
    if (size == image.size())
        return image;
    if (image.width() >= 2 * size.width() || image.height() >= 2 * size.height())
        return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage smaller(size, QImage::Format_RGB32);
    if (smaller.isNull())
        return smaller;
    QPainter painter(&smaller);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), image);
    return smaller;
}

// ---- libjpeg ------------------------------------------------------------------------------

// Opened with the first JPEG template.
#define LIBJPEG_FUNCTIONS(F)                                                                          \
    F(jpeg_std_error) F(jpeg_CreateDecompress) F(jpeg_destroy_decompress) F(jpeg_mem_src) F(jpeg_read_header) \
    F(jpeg_calc_output_dimensions) F(jpeg_start_decompress) F(jpeg_read_scanlines) F(jpeg_finish_decompress)
FORMULIX_LAZY_LIBRARY(LibJpeg, LIBJPEG_FUNCTIONS, FORMULIX_LIBJPEG)

// Only once decodeJpeg() has found the library loaded.
const LibJpeg &libjpeg()
{
    return *loadLibJpeg();
}

struct ErrorManager
{
    jpeg_error_mgr base; // first, so the library's pointer is ours
    jmp_buf jump;
    bool damaged;
    bool outOfMemory;
};

[[noreturn]] void onError(j_common_ptr info)
{
    auto *errors = reinterpret_cast<ErrorManager *>(info->err);
    const int code = info->err->msg_code;
    errors->outOfMemory = code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE || code == JERR_TFILE_CREATE;
    longjmp(errors->jump, 1);
}

// Warnings that mean lost picture data: the decoder fills the gap with grey and goes on.
void onMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    auto *errors = reinterpret_cast<ErrorManager *>(info->err);
    switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
        errors->damaged = true;
        break;
    default:
        break;
    }
    ++info->err->num_warnings;
}

// Everything the decoder touches lives here, out of reach of the long jump.
struct LibjpegState
{
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    bool created = false;
    std::unique_ptr<RowScaler> scaler;
    std::vector<uchar> rgb;
    QImage image;

    ~LibjpegState()
    {
        if (created)
            libjpeg().jpeg_destroy_decompress(&info);
    }
};

// Bytes of DCT coefficients a progressive decode holds for the whole picture.
qint64 coefficientBytes(const jpeg_decompress_struct &info)
{
    int maxH = 1, maxV = 1;
    for (int c = 0; c < info.num_components; ++c) {
        maxH = std::max(maxH, info.comp_info[c].h_samp_factor);
        maxV = std::max(maxV, info.comp_info[c].v_samp_factor);
    }
    qint64 bytes = 0;
    for (int c = 0; c < info.num_components; ++c) {
        const qint64 w = (qint64(info.image_width) * info.comp_info[c].h_samp_factor + maxH - 1) / maxH;
        const qint64 h = (qint64(info.image_height) * info.comp_info[c].v_samp_factor + maxV - 1) / maxV;
        bytes += ((w + 7) / 8) * ((h + 7) / 8 + info.comp_info[c].v_samp_factor) * qint64(sizeof(JCOEF) * DCTSIZE2);
    }
    return bytes;
}

enum class Route { Decoded, DcScans };

Route decodeWithLibjpeg(const QByteArray &data, QSize target, qint64 wholeLimit, QImage *result, JpegFailure *failure)
{
    const auto state = std::make_unique<LibjpegState>();
    LibjpegState *const s = state.get();
    s->info.err = libjpeg().jpeg_std_error(&s->errors.base);
    s->errors.base.error_exit = onError;
    s->errors.base.emit_message = onMessage;
    if (setjmp(s->errors.jump)) {
        *failure = s->errors.outOfMemory ? JpegFailure::TooLarge : JpegFailure::Damaged;
        return Route::Decoded;
    }
    libjpeg().jpeg_CreateDecompress(&s->info, JPEG_LIB_VERSION, sizeof(s->info));
    s->created = true;
    s->info.mem->max_memory_to_use = JpegDecodeMemoryLimit;
    libjpeg().jpeg_mem_src(&s->info, reinterpret_cast<const unsigned char *>(data.constData()), (unsigned long)data.size());
    libjpeg().jpeg_read_header(&s->info, TRUE);

    const QSize full(int(s->info.image_width), int(s->info.image_height));
    if (s->info.progressive_mode && (s->info.num_components == 1 || s->info.num_components == 3)) {
        const bool eighthIsEnough =
            target.width() <= (full.width() + 7) / 8 && target.height() <= (full.height() + 7) / 8;
        if (eighthIsEnough || coefficientBytes(s->info) > JpegDecodeMemoryLimit / 2)
            return Route::DcScans;
    }

    // The decoder's own scaling (n/8) to the smallest size that still covers the target.
    int eighths = 1;
    auto covers = [&](int n) {
        return (qint64(full.width()) * n + 7) / 8 >= target.width() && (qint64(full.height()) * n + 7) / 8 >= target.height();
    };
    while (eighths < 8 && !covers(eighths))
        ++eighths;
    // The decoder has fast (vector) code for halves, quarters and eighths only: 4/8 and a scale
    // down take half the time of 3/8, 8/8 less than 5/8 to 7/8. Taken when the picture is to be
    // scaled down anyway and still fits the whole decode; the row-by-row route pays for every
    // extra row.
    const int power = eighths <= 1 ? 1 : eighths <= 2 ? 2 : eighths <= 4 ? 4 : 8;
    const bool cmyk = s->info.jpeg_color_space == JCS_CMYK || s->info.jpeg_color_space == JCS_YCCK;
    const bool exact = (qint64(full.width()) * eighths + 7) / 8 == target.width()
        && (qint64(full.height()) * eighths + 7) / 8 == target.height();
    if (power != eighths && !cmyk && !exact) {
        s->info.scale_num = unsigned(power);
        s->info.scale_denom = 8;
        libjpeg().jpeg_calc_output_dimensions(&s->info);
        if (qint64(s->info.output_width) * s->info.output_height <= wholeLimit)
            eighths = power;
    }
    s->info.scale_num = unsigned(eighths);
    s->info.scale_denom = 8;
    libjpeg().jpeg_calc_output_dimensions(&s->info);
    const QSize decoded(int(s->info.output_width), int(s->info.output_height));
    // A picture of screen size is decoded whole, straight into the image's own pixel layout, and
    // made smaller by Qt's filters: half the time of summing it row by row. Larger ones are
    // summed as they come, so that they never exist whole.
    const bool whole = !cmyk && qint64(decoded.width()) * decoded.height() <= wholeLimit;
    s->info.out_color_space = cmyk ? JCS_CMYK : whole ? (Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB) : JCS_RGB;
    libjpeg().jpeg_start_decompress(&s->info);

    if (whole) {
        s->image = QImage(decoded, QImage::Format_RGB32);
        if (s->image.isNull()) {
            *failure = JpegFailure::TooLarge;
            return Route::Decoded;
        }
        while (s->info.output_scanline < s->info.output_height) {
            JSAMPROW line = s->image.scanLine(int(s->info.output_scanline));
            if (libjpeg().jpeg_read_scanlines(&s->info, &line, 1) != 1)
                break;
        }
        libjpeg().jpeg_finish_decompress(&s->info);
        if (s->errors.damaged || s->info.output_scanline < s->info.output_height) {
            *failure = JpegFailure::Damaged;
            return Route::Decoded;
        }
        const QSize size = target.boundedTo(decoded);
        *result = shrink(s->image, size);
        return Route::Decoded;
    }

    s->scaler = std::make_unique<RowScaler>(decoded, target.boundedTo(decoded));
    if (s->scaler->isNull()) {
        *failure = JpegFailure::TooLarge;
        return Route::Decoded;
    }
    const int channels = s->info.output_components;
    JSAMPARRAY row = (*s->info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&s->info), JPOOL_IMAGE,
                                                   JDIMENSION(decoded.width() * channels), 1);
    s->rgb.resize(size_t(decoded.width()) * 3);
    while (s->info.output_scanline < s->info.output_height) {
        if (libjpeg().jpeg_read_scanlines(&s->info, row, 1) != 1)
            break;
        const uchar *in = row[0];
        if (channels == 4) {
            // Adobe writes CMYK inverted, as nearly every CMYK JPEG comes from its programs.
            uchar *out = s->rgb.data();
            for (int x = 0; x < decoded.width(); ++x, in += 4, out += 3) {
                out[0] = uchar(in[0] * in[3] / 255);
                out[1] = uchar(in[1] * in[3] / 255);
                out[2] = uchar(in[2] * in[3] / 255);
            }
            s->scaler->addRow(s->rgb.data());
        } else {
            s->scaler->addRow(in);
        }
    }
    libjpeg().jpeg_finish_decompress(&s->info);
    if (s->errors.damaged || s->info.output_scanline < s->info.output_height) {
        *failure = JpegFailure::Damaged;
        return Route::Decoded;
    }
    *result = s->scaler->finish();
    return Route::Decoded;
}

// ---- DC scans of a progressive file -------------------------------------------------------

class HuffmanTable
{
public:
    bool defined() const { return m_defined; }

    bool define(const uchar *counts, const uchar *values, int valueCount)
    {
        m_values.assign(values, values + valueCount);
        int code = 0, k = 0;
        for (int length = 1; length <= 16; ++length) {
            m_valueIndex[length] = k;
            m_minCode[length] = code;
            code += counts[length - 1];
            k += counts[length - 1];
            m_maxCode[length] = counts[length - 1] ? code - 1 : -1;
            if (code > (1 << length))
                return false;
            code <<= 1;
        }
        m_defined = k == valueCount;
        return m_defined;
    }

    template<typename Bits>
    int decode(Bits &bits) const
    {
        int code = 0;
        for (int length = 1; length <= 16; ++length) {
            code = (code << 1) | bits.bit();
            if (m_maxCode[length] >= 0 && code <= m_maxCode[length] && code >= m_minCode[length])
                return m_values[size_t(m_valueIndex[length] + code - m_minCode[length])];
        }
        return -1;
    }

private:
    bool m_defined = false;
    std::array<int, 17> m_minCode{};
    std::array<int, 17> m_maxCode{};
    std::array<int, 17> m_valueIndex{};
    std::vector<uchar> m_values;
};

// Entropy-coded bits, with stuffed bytes undone; a marker ends them.
class BitReader
{
public:
    BitReader(const uchar *data, qsizetype pos, qsizetype size) : m_data(data), m_pos(pos), m_size(size) {}

    int bit()
    {
        if (m_count == 0) {
            m_byte = nextByte();
            m_count = 8;
        }
        --m_count;
        return (m_byte >> m_count) & 1;
    }

    int bits(int count)
    {
        int value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 1) | bit();
        return value;
    }

    bool ranOut() const { return m_ranOut; }
    qsizetype pos() const { return m_pos; }

    // At a restart interval's end: the RST marker must follow.
    bool restart(int expected)
    {
        m_count = 0;
        while (m_pos + 1 < m_size && m_data[m_pos] == 0xFF && m_data[m_pos + 1] == 0xFF)
            ++m_pos;
        if (m_pos + 1 >= m_size || m_data[m_pos] != 0xFF || m_data[m_pos + 1] != 0xD0 + expected)
            return false;
        m_pos += 2;
        m_ranOut = false;
        return true;
    }

    // Past the rest of the entropy-coded data, to the next marker that is not a restart.
    qsizetype skipToMarker()
    {
        qsizetype pos = m_pos;
        while (pos + 1 < m_size) {
            if (m_data[pos] == 0xFF && m_data[pos + 1] != 0 && !(m_data[pos + 1] >= 0xD0 && m_data[pos + 1] <= 0xD7)
                && m_data[pos + 1] != 0xFF)
                return pos;
            ++pos;
        }
        return m_size;
    }

private:
    uchar nextByte()
    {
        if (m_ranOut || m_pos >= m_size) {
            m_ranOut = true;
            return 0;
        }
        const uchar byte = m_data[m_pos];
        if (byte != 0xFF) {
            ++m_pos;
            return byte;
        }
        if (m_pos + 1 < m_size && m_data[m_pos + 1] == 0x00) {
            m_pos += 2;
            return 0xFF;
        }
        m_ranOut = true; // a marker: the scan's data ends here
        return 0;
    }

    const uchar *m_data;
    qsizetype m_pos;
    qsizetype m_size;
    uchar m_byte = 0;
    int m_count = 0;
    bool m_ranOut = false;
};

// Each 8 x 8 block's average is its DC coefficient: the DC scans alone give the picture at an
// eighth of its size, as the decoder's own 1/8 scaling does, without the AC coefficients that a
// progressive decode must otherwise keep for the whole picture.
class DcScanReader
{
public:
    explicit DcScanReader(const QByteArray &data)
        : m_data(reinterpret_cast<const uchar *>(data.constData())), m_size(data.size())
    {
    }

    QImage read(QSize target, qint64 wholeLimit, JpegFailure *failure)
    {
        if (!readSegments()) {
            *failure = m_unsupported ? JpegFailure::Unsupported : JpegFailure::Damaged;
            return QImage();
        }
        return compose(target, wholeLimit, failure);
    }

private:
    struct Component
    {
        int id = 0, h = 1, v = 1, quant = 0;
        int gridWidth = 0, gridHeight = 0; // blocks, padded to whole MCUs
        int blocksWidth = 0, blocksHeight = 0; // blocks that hold picture
        std::vector<qint16> dc;
        bool firstScanDone = false;
    };

    quint16 be16(qsizetype pos) const { return quint16(m_data[pos] << 8 | m_data[pos + 1]); }

    bool unsupported()
    {
        m_unsupported = true;
        return false;
    }

    bool readSegments()
    {
        if (m_size < 4 || m_data[0] != 0xFF || m_data[1] != 0xD8)
            return false;
        qsizetype pos = 2;
        while (pos + 1 < m_size) {
            if (m_data[pos] != 0xFF)
                return false;
            const uchar marker = m_data[pos + 1];
            if (marker == 0xFF) {
                ++pos;
                continue;
            }
            if (marker == 0xD9)
                return m_frameSeen && allFirstScansDone();
            if (marker >= 0xD0 && marker <= 0xD7) {
                pos += 2;
                continue;
            }
            if (pos + 4 > m_size)
                return false;
            const int length = be16(pos + 2);
            if (length < 2 || pos + 2 + length > m_size)
                return false;
            const qsizetype segment = pos + 4;
            const int segmentLength = length - 2;
            switch (marker) {
            case 0xC2:
                if (!readFrame(segment, segmentLength))
                    return false;
                break;
            case 0xC4:
                if (!readHuffmanTables(segment, segmentLength))
                    return false;
                break;
            case 0xDB:
                if (!readQuantTables(segment, segmentLength))
                    return false;
                break;
            case 0xDD:
                if (segmentLength < 2)
                    return false;
                m_restartInterval = be16(segment);
                break;
            case 0xEE:
                if (segmentLength >= 12 && memcmp(m_data + segment, "Adobe", 5) == 0)
                    m_adobeTransform = m_data[segment + 11];
                break;
            case 0xE0:
                if (segmentLength >= 5 && memcmp(m_data + segment, "JFIF\0", 5) == 0)
                    m_jfif = true;
                break;
            case 0xDA: {
                if (!m_frameSeen)
                    return false;
                BitReader bits(m_data, segment + segmentLength, m_size);
                if (!readScan(segment, segmentLength, bits))
                    return false;
                pos = bits.skipToMarker();
                continue;
            }
            default:
                if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8)
                    return unsupported(); // another kind of frame, or arithmetic coding
                break;
            }
            pos += 2 + length;
        }
        return false; // no end of image: cut short
    }

    bool allFirstScansDone() const
    {
        return std::all_of(m_components.begin(), m_components.end(),
                           [](const Component &c) { return c.firstScanDone; });
    }

    bool readFrame(qsizetype at, int length)
    {
        if (m_frameSeen || length < 6)
            return false;
        if (m_data[at] != 8)
            return unsupported();
        m_height = be16(at + 1);
        m_width = be16(at + 3);
        const int count = m_data[at + 5];
        if (m_width == 0 || m_height == 0 || (count != 1 && count != 3) || length < 6 + 3 * count)
            return count == 1 || count == 3 ? false : unsupported();
        for (int i = 0; i < count; ++i) {
            Component c;
            c.id = m_data[at + 6 + 3 * i];
            c.h = m_data[at + 7 + 3 * i] >> 4;
            c.v = m_data[at + 7 + 3 * i] & 15;
            c.quant = m_data[at + 8 + 3 * i];
            if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.quant > 3)
                return false;
            m_maxH = std::max(m_maxH, c.h);
            m_maxV = std::max(m_maxV, c.v);
            m_components.push_back(std::move(c));
        }
        const int mcusX = (m_width + 8 * m_maxH - 1) / (8 * m_maxH);
        const int mcusY = (m_height + 8 * m_maxV - 1) / (8 * m_maxV);
        for (Component &c : m_components) {
            c.gridWidth = mcusX * c.h;
            c.gridHeight = mcusY * c.v;
            c.blocksWidth = ((m_width * c.h + m_maxH - 1) / m_maxH + 7) / 8;
            c.blocksHeight = ((m_height * c.v + m_maxV - 1) / m_maxV + 7) / 8;
            c.dc.assign(size_t(c.gridWidth) * size_t(c.gridHeight), 0);
        }
        m_frameSeen = true;
        return true;
    }

    bool readHuffmanTables(qsizetype at, int length)
    {
        qsizetype pos = at;
        const qsizetype end = at + length;
        while (pos < end) {
            if (pos + 17 > end)
                return false;
            const int tableClass = m_data[pos] >> 4, id = m_data[pos] & 15;
            int count = 0;
            for (int i = 0; i < 16; ++i)
                count += m_data[pos + 1 + i];
            if (id > 3 || tableClass > 1 || count > 256 || pos + 17 + count > end)
                return false;
            if (tableClass == 0 && !m_dcTables[size_t(id)].define(m_data + pos + 1, m_data + pos + 17, count))
                return false;
            pos += 17 + count;
        }
        return true;
    }

    bool readQuantTables(qsizetype at, int length)
    {
        qsizetype pos = at;
        const qsizetype end = at + length;
        while (pos < end) {
            const int precision = m_data[pos] >> 4, id = m_data[pos] & 15;
            const int size = precision ? 128 : 64;
            if (id > 3 || precision > 1 || pos + 1 + size > end)
                return false;
            m_quantDc[size_t(id)] = precision ? be16(pos + 1) : m_data[pos + 1];
            pos += 1 + size;
        }
        return true;
    }

    bool readScan(qsizetype at, int length, BitReader &bits)
    {
        if (length < 1)
            return false;
        const int count = m_data[at];
        if (count < 1 || count > 4 || length < 4 + 2 * count)
            return false;
        std::vector<Component *> scan;
        std::vector<const HuffmanTable *> tables;
        for (int i = 0; i < count; ++i) {
            const int id = m_data[at + 1 + 2 * i];
            const auto found = std::find_if(m_components.begin(), m_components.end(),
                                            [id](const Component &c) { return c.id == id; });
            if (found == m_components.end())
                return false;
            scan.push_back(&*found);
            tables.push_back(&m_dcTables[size_t(m_data[at + 2 + 2 * i] >> 4 & 3)]);
        }
        const int start = m_data[at + 1 + 2 * count];
        const int high = m_data[at + 3 + 2 * count] >> 4, low = m_data[at + 3 + 2 * count] & 15;
        if (start != 0)
            return true; // AC coefficients: not needed
        const bool first = high == 0;
        for (size_t i = 0; i < scan.size(); ++i) {
            if (first ? scan[i]->firstScanDone : !scan[i]->firstScanDone)
                return false;
            if (first && !tables[i]->defined())
                return false;
        }

        std::vector<int> predictors(scan.size(), 0);
        auto block = [&](size_t i, int bx, int by) -> bool {
            Component &c = *scan[i];
            qint16 &value = c.dc[size_t(by) * size_t(c.gridWidth) + size_t(bx)];
            if (first) {
                const int category = tables[i]->decode(bits);
                if (category < 0 || category > 11)
                    return false;
                int diff = bits.bits(category);
                if (category && diff < (1 << (category - 1)))
                    diff -= (1 << category) - 1;
                predictors[i] += diff;
                value = qint16(std::clamp(predictors[i] * (1 << low), -32768, 32767));
            } else if (bits.bit()) {
                value = qint16(value | (1 << low));
            }
            return !bits.ranOut();
        };

        const bool interleaved = scan.size() > 1;
        const int unitsX = interleaved ? scan[0]->gridWidth / scan[0]->h : scan[0]->blocksWidth;
        const int unitsY = interleaved ? scan[0]->gridHeight / scan[0]->v : scan[0]->blocksHeight;
        int untilRestart = m_restartInterval, nextRestart = 0;
        for (int uy = 0; uy < unitsY; ++uy) {
            for (int ux = 0; ux < unitsX; ++ux) {
                if (m_restartInterval && untilRestart == 0) {
                    if (!bits.restart(nextRestart))
                        return false;
                    nextRestart = (nextRestart + 1) & 7;
                    untilRestart = m_restartInterval;
                    std::fill(predictors.begin(), predictors.end(), 0);
                }
                --untilRestart;
                if (!interleaved) {
                    if (!block(0, ux, uy))
                        return false;
                    continue;
                }
                for (size_t i = 0; i < scan.size(); ++i) {
                    for (int v = 0; v < scan[i]->v; ++v) {
                        for (int h = 0; h < scan[i]->h; ++h) {
                            if (!block(i, ux * scan[i]->h + h, uy * scan[i]->v + v))
                                return false;
                        }
                    }
                }
            }
        }
        if (first) {
            for (Component *c : scan)
                c->firstScanDone = true;
        }
        return true;
    }

    QImage compose(QSize target, qint64 wholeLimit, JpegFailure *failure)
    {
        const QSize eighth((m_width + 7) / 8, (m_height + 7) / 8);
        const QSize size = target.boundedTo(eighth);
        // Made smaller as the whole decode is, so both routes give the same picture.
        const bool whole = qint64(eighth.width()) * eighth.height() <= wholeLimit;
        QImage image;
        std::optional<RowScaler> scaler;
        if (whole)
            image = QImage(eighth, QImage::Format_RGB32);
        else
            scaler.emplace(eighth, size);
        if (whole ? image.isNull() : scaler->isNull()) {
            *failure = JpegFailure::TooLarge;
            return QImage();
        }
        const bool gray = m_components.size() == 1;
        const bool rgb = !gray
            && (m_adobeTransform == 0
                || (!m_jfif && m_adobeTransform < 0 && m_components[0].id == 'R' && m_components[1].id == 'G'
                    && m_components[2].id == 'B'));
        std::vector<uchar> row(size_t(eighth.width()) * 3);
        std::array<int, 3> sample{};
        for (int y = 0; y < eighth.height(); ++y) {
            uchar *out = row.data();
            for (int x = 0; x < eighth.width(); ++x, out += 3) {
                for (size_t i = 0; i < m_components.size(); ++i) {
                    const Component &c = m_components[i];
                    const int bx = std::min(x * c.h / m_maxH, c.gridWidth - 1);
                    const int by = std::min(y * c.v / m_maxV, c.gridHeight - 1);
                    const int dc = c.dc[size_t(by) * size_t(c.gridWidth) + size_t(bx)];
                    sample[i] = int(std::lround(dc * double(m_quantDc[size_t(c.quant)]) / 8.0)) + 128;
                }
                if (gray) {
                    out[0] = out[1] = out[2] = clampByte(sample[0]);
                } else if (rgb) {
                    out[0] = clampByte(sample[0]);
                    out[1] = clampByte(sample[1]);
                    out[2] = clampByte(sample[2]);
                } else {
                    const double luma = sample[0], cb = sample[1] - 128.0, cr = sample[2] - 128.0;
                    out[0] = clampByte(int(std::lround(luma + 1.402 * cr)));
                    out[1] = clampByte(int(std::lround(luma - 0.344136 * cb - 0.714136 * cr)));
                    out[2] = clampByte(int(std::lround(luma + 1.772 * cb)));
                }
            }
            if (whole) {
                auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
                for (int x = 0; x < eighth.width(); ++x)
                    line[x] = qRgb(row[size_t(x) * 3], row[size_t(x) * 3 + 1], row[size_t(x) * 3 + 2]);
            } else {
                scaler->addRow(row.data());
            }
        }
        if (!whole)
            return scaler->finish();
        return shrink(image, size);
    }

    const uchar *m_data;
    qsizetype m_size;
    bool m_unsupported = false;
    bool m_frameSeen = false;
    bool m_jfif = false;
    int m_adobeTransform = -1;
    int m_width = 0, m_height = 0, m_maxH = 1, m_maxV = 1;
    int m_restartInterval = 0;
    std::vector<Component> m_components;
    std::array<HuffmanTable, 4> m_dcTables;
    std::array<int, 4> m_quantDc{{1, 1, 1, 1}};
};

} // namespace

QImage decodeJpeg(const QByteArray &data, QSize target, JpegFailure *failure, qint64 wholeLimit)
{
    JpegFailure ignored;
    if (!failure)
        failure = &ignored;
    *failure = JpegFailure::None;
    if (target.isEmpty()) {
        *failure = JpegFailure::Damaged;
        return QImage();
    }
    if (!loadLibJpeg()) {
        *failure = JpegFailure::Unsupported;
        return QImage();
    }
    QImage image;
    if (decodeWithLibjpeg(data, target, wholeLimit, &image, failure) == Route::Decoded)
        return *failure == JpegFailure::None ? image : QImage();
    image = DcScanReader(data).read(target, wholeLimit, failure);
    return *failure == JpegFailure::None ? image : QImage();
}

QString missingJpegLibrary()
{
    return loadLibJpeg() ? QString() : missingLibraryReason(FORMULIX_LIBJPEG, "libjpeg62-turbo");
}

} // namespace formulix
