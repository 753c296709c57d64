#pragma once
// A picture made smaller row by row as its decoder gives the rows, shared by the decoders of
// large scans.

#include <QImage>
#include <QSize>
#include <algorithm>
#include <vector>

namespace formulix {

// Averages RGB rows into a smaller picture as they arrive (a box filter): the full-size picture
// never exists.
class RowScaler
{
public:
    // `target` no larger than `source`: each target pixel averages a box of source pixels.
    RowScaler(QSize source, QSize target)
        : m_source(source), m_image(target.boundedTo(source), QImage::Format_RGB32),
          m_sums(size_t(std::max(0, m_image.width())) * 3), m_start(size_t(std::max(0, m_image.width())) + 1)
    {
        // Source column x belongs to target column x * tw / sw (rounded down), so target column
        // tx starts at the first x with x * tw >= tx * sw.
        const qint64 sw = source.width(), tw = m_image.width();
        for (qint64 tx = 0; tx <= tw && tw > 0; ++tx)
            m_start[size_t(tx)] = int((tx * sw + tw - 1) / tw);
    }

    bool isNull() const { return m_image.isNull(); }

    // One source row, rows in order from the top: RGB at the start of each pixel of
    // `bytesPerPixel` bytes (3 for triplets, 4 for RGBA).
    void addRow(const uchar *pixels, int bytesPerPixel = 3)
    {
        nextRow();
        const int *start = m_start.data();
        quint64 *sum = m_sums.data();
        for (int tx = 0, width = m_image.width(); tx < width; ++tx, sum += 3) {
            quint64 r = 0, g = 0, b = 0;
            for (int x = start[tx], end = start[tx + 1]; x < end; ++x, pixels += bytesPerPixel) {
                r += pixels[0];
                g += pixels[1];
                b += pixels[2];
            }
            sum[0] += r;
            sum[1] += g;
            sum[2] += b;
        }
    }

    // One source row of grey levels, a byte a pixel.
    void addGreyRow(const uchar *grey)
    {
        nextRow();
        const int *start = m_start.data();
        quint64 *sum = m_sums.data();
        for (int tx = 0, width = m_image.width(); tx < width; ++tx, sum += 3) {
            quint64 level = 0;
            for (int x = start[tx], end = start[tx + 1]; x < end; ++x)
                level += grey[x];
            sum[0] += level;
            sum[1] += level;
            sum[2] += level;
        }
    }

    QImage finish()
    {
        flush();
        return m_image;
    }

private:
    void nextRow()
    {
        const int targetRow = int(qint64(m_row) * m_image.height() / m_source.height());
        if (targetRow != m_targetRow) {
            flush();
            m_targetRow = targetRow;
        }
        ++m_rowsInSum;
        ++m_row;
    }

    void flush()
    {
        if (m_rowsInSum == 0 || m_targetRow >= m_image.height())
            return;
        auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(m_targetRow));
        const quint64 *sum = m_sums.data();
        for (int x = 0; x < m_image.width(); ++x, sum += 3) {
            const quint64 count = quint64(m_start[size_t(x) + 1] - m_start[size_t(x)]) * quint64(m_rowsInSum);
            line[x] = qRgb(int((sum[0] + count / 2) / count), int((sum[1] + count / 2) / count),
                           int((sum[2] + count / 2) / count));
        }
        std::fill(m_sums.begin(), m_sums.end(), 0);
        m_rowsInSum = 0;
    }

    QSize m_source;
    QImage m_image;
    std::vector<quint64> m_sums;
    std::vector<int> m_start; // each target column's first source column, and the width at the end
    int m_row = 0;
    int m_targetRow = 0;
    int m_rowsInSum = 0;
};

} // namespace formulix
