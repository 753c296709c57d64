#pragma once
// A picture made smaller row by row as its decoder gives the rows, shared by the decoders of
// large scans.

#include <QImage>
#include <QSize>
#include <vector>

namespace formulix {

// Averages RGB rows into a smaller picture as they arrive (a box filter): the full-size picture
// never exists.
class RowScaler
{
public:
    RowScaler(QSize source, QSize target)
        : m_source(source), m_image(target, QImage::Format_RGB32), m_sums(size_t(target.width()) * 3),
          m_column(size_t(source.width())), m_columnWidth(size_t(target.width()))
    {
        for (int x = 0; x < source.width(); ++x) {
            m_column[size_t(x)] = int(qint64(x) * target.width() / source.width());
            ++m_columnWidth[size_t(m_column[size_t(x)])];
        }
    }

    bool isNull() const { return m_image.isNull(); }

    // One source row of RGB triplets, rows in order from the top.
    void addRow(const uchar *rgb)
    {
        const int targetRow = int(qint64(m_row) * m_image.height() / m_source.height());
        if (targetRow != m_targetRow) {
            flush();
            m_targetRow = targetRow;
        }
        for (int x = 0; x < m_source.width(); ++x, rgb += 3) {
            quint64 *sum = &m_sums[size_t(m_column[size_t(x)]) * 3];
            sum[0] += rgb[0];
            sum[1] += rgb[1];
            sum[2] += rgb[2];
        }
        ++m_rowsInSum;
        ++m_row;
    }

    QImage finish()
    {
        flush();
        return m_image;
    }

private:
    void flush()
    {
        if (m_rowsInSum == 0 || m_targetRow >= m_image.height())
            return;
        auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(m_targetRow));
        for (int x = 0; x < m_image.width(); ++x) {
            const quint64 count = quint64(m_columnWidth[size_t(x)]) * quint64(m_rowsInSum);
            quint64 *sum = &m_sums[size_t(x) * 3];
            line[x] = qRgb(int((sum[0] + count / 2) / count), int((sum[1] + count / 2) / count),
                           int((sum[2] + count / 2) / count));
            sum[0] = sum[1] = sum[2] = 0;
        }
        m_rowsInSum = 0;
    }

    QSize m_source;
    QImage m_image;
    std::vector<quint64> m_sums;
    std::vector<int> m_column;
    std::vector<int> m_columnWidth;
    int m_row = 0;
    int m_targetRow = 0;
    int m_rowsInSum = 0;
};

} // namespace formulix
