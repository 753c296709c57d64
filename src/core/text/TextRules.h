#pragma once
// Text and number rules shared by every window: fixed-width string members, banker's rounding,
// and the locale-aware conversions the user's typed numbers go through.

#include <QLocale>
#include <QString>
#include <optional>

namespace formulix {

// Rounds to the nearest whole number, a half to the even neighbour (12.5 -> 12, 13.5 -> 14).
double roundHalfEven(double value);

// Blanks are spaces only: a tab or a NUL is content.
QString trimBlanks(const QString &text);
QString leftTrimBlanks(const QString &text);
QString rightTrimBlanks(const QString &text);

// A number typed by the user, read under the given regional settings (the system's by
// default): blanks around it are ignored, a fraction is rounded half to even, and text that is
// not a number or falls outside the type's range gives nothing.
std::optional<qint16> toInt16(const QString &text, const QLocale &locale = QLocale());
std::optional<quint8> toByte(const QString &text, const QLocale &locale = QLocale());

// A string member of exactly N characters. Assigning pads with blanks or cuts to N; a member
// never assigned holds N NUL characters, which is what distinguishes "never set" on disk.
template <int N>
class FixedString
{
public:
    static constexpr int Width = N;

    FixedString() : m_chars(N, QChar(u'\0')) {}
    FixedString(const QString &text) { assign(text); } // NOLINT: assignment from text is the point

    FixedString &operator=(const QString &text)
    {
        assign(text);
        return *this;
    }

    // Exactly N characters, as stored.
    const QString &raw() const { return m_chars; }

    // What a reader shows: the value without its trailing blanks. NULs of a never-assigned
    // member are dropped too, so an unfilled member reads as empty text.
    QString shown() const
    {
        qsizetype end = m_chars.size();
        while (end > 0 && (m_chars.at(end - 1) == u' ' || m_chars.at(end - 1) == u'\0'))
            --end;
        return m_chars.left(end);
    }

    // Stores exactly N characters taken as they are (used when reading a record back).
    void setRaw(const QString &chars)
    {
        m_chars = chars.left(N);
        if (m_chars.size() < N)
            m_chars.append(QString(N - m_chars.size(), QChar(u'\0')));
    }

    bool operator==(const FixedString &other) const = default;

private:
    void assign(const QString &text)
    {
        m_chars = text.left(N);
        if (m_chars.size() < N)
            m_chars.append(QString(N - m_chars.size(), QChar(u' ')));
    }

    QString m_chars;
};

// Whether Romanian puts "de" between a count and its noun: from 20 on, but not when the count
// ends in 01..19 ("101 pagini", "120 de pagini").
bool takesDe(qint64 count);

// A count with its noun as Romanian says it: "1 pagina", "2 pagini", "20 de pagini".
QString countOf(qint64 count, const QString &one, const QString &many);

} // namespace formulix
