#include "core/records/AccessFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace formulix::access {

namespace {

// Access keeps dates from 100-01-01 to 9999-12-31; anything else is shown as the number it is.
// The bound on days keeps the rounding to seconds far from overflowing.
constexpr double MaxDateDays = 1e7;
constexpr qint64 SecondsPerDay = 86400;
constexpr int FirstYear = 100;
constexpr int LastYear = 9999;

std::string utf8(const QString &text)
{
    return text.toStdString();
}

void appendDigits(std::string &out, qint64 value, int width)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    for (int pad = width - int(result.ptr - buffer); pad > 0; --pad)
        out += '0';
    out.append(buffer, result.ptr);
}

void appendTwoDigits(std::string &out, int value)
{
    out += char('0' + value / 10);
    out += char('0' + value % 10);
}

// Writes code point `c` as UTF-8 at `p`; returns the end.
char *putUtf8(char *p, char32_t c)
{
    if (c < 0x80) {
        *p++ = char(c);
    } else if (c < 0x800) {
        *p++ = char(0xC0 | (c >> 6));
        *p++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *p++ = char(0xE0 | (c >> 12));
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    } else {
        *p++ = char(0xF0 | (c >> 18));
        *p++ = char(0x80 | ((c >> 12) & 0x3F));
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    }
    return p;
}

// UTF-16 code units to UTF-8, pairing surrogates across the calls.
class Utf16Writer
{
public:
    explicit Utf16Writer(char *out) : m_out(out) {}

    void put(char16_t unit)
    {
        if (m_high) {
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                m_out = putUtf8(m_out, 0x10000 + ((char32_t(m_high) - 0xD800) << 10) + (unit - 0xDC00));
                m_high = 0;
                return;
            }
            m_out = putUtf8(m_out, 0xFFFD);
            m_high = 0;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF)
            m_high = unit;
        else
            m_out = putUtf8(m_out, unit >= 0xDC00 && unit <= 0xDFFF ? char32_t(0xFFFD) : char32_t(unit));
    }

    char *finish()
    {
        if (m_high)
            m_out = putUtf8(m_out, 0xFFFD);
        m_high = 0;
        return m_out;
    }

private:
    char *m_out;
    char16_t m_high = 0;
};

} // namespace

QString fourDigitYears(const QString &format)
{
    QString out;
    out.reserve(format.size() + 2);
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        if (!quoted && c == u'y' && run == 2)
            out += QStringLiteral("yyyy");
        else
            out += format.mid(i, run);
        i += run;
    }
    return out;
}

ValueFormat::ValueFormat(const QLocale &locale)
    : m_locale(locale)
    , m_decimalPoint(utf8(locale.decimalPoint()))
    , m_minusSign(utf8(locale.negativeSign()))
    , m_exponent(utf8(locale.exponential()))
    , m_dateFormat(fourDigitYears(locale.dateFormat(QLocale::ShortFormat)))
{
    // The usual short formats (dd.MM.yyyy, M/d/yyyy, ...) are written here directly, some six times
    // faster than QLocale, which reparses the format for every date; anything with month or day
    // names is left to QLocale.
    const QString &format = m_dateFormat;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            DateToken token;
            qsizetype j = i + 1;
            for (; j < format.size(); ++j) {
                if (format.at(j) != u'\'') {
                    token.literal += utf8(format.at(j));
                } else if (j + 1 < format.size() && format.at(j + 1) == u'\'') {
                    token.literal += '\'';
                    ++j;
                } else {
                    break;
                }
            }
            if (j == i + 1)
                token.literal = "'"; // '' outside quotes
            m_dateTokens.push_back(token);
            i = j + 1;
            continue;
        }
        if (!c.isLetter()) {
            m_dateTokens.push_back({DateToken::Literal, utf8(c)});
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        DateToken::Kind kind;
        if (c == u'd' && run <= 2)
            kind = run == 1 ? DateToken::Day : DateToken::Day2;
        else if (c == u'M' && run <= 2)
            kind = run == 1 ? DateToken::Month : DateToken::Month2;
        else if (c == u'y' && run == 4)
            kind = DateToken::Year4;
        else {
            m_dateTokens.clear();
            return;
        }
        m_dateTokens.push_back({kind, {}});
        i += run;
    }
}

void ValueFormat::appendNumberText(std::string &out, std::string_view text) const
{
    for (char c : text) {
        if (c == '.')
            out += m_decimalPoint;
        else if (c == '-')
            out += m_minusSign;
        else if (c == 'e' || c == 'E')
            out += m_exponent;
        else
            out += c;
    }
}

void ValueFormat::appendInteger(std::string &out, qint64 value) const
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    appendNumberText(out, std::string_view(buffer, result.ptr - buffer));
}

void ValueFormat::appendDouble(std::string &out, double value) const
{
    if (value == 0) { // no "-0"
        out += '0';
        return;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    appendNumberText(out, std::string_view(buffer, result.ptr - buffer));
}

void ValueFormat::appendSingle(std::string &out, float value) const
{
    if (value == 0 || !std::isfinite(value)) {
        appendDouble(out, value);
        return;
    }
    // Its 7 significant digits, read back as a double: 0.1f gives 0.1, 309841000 stays so.
    char buffer[64];
    const auto rounded = std::to_chars(buffer, buffer + sizeof buffer, double(value), std::chars_format::scientific, 6);
    double digits = value;
    std::from_chars(buffer, rounded.ptr, digits);
    appendDouble(out, digits);
}

void ValueFormat::appendCurrency(std::string &out, qint64 tenThousandths) const
{
    // Unsigned, so the most negative value negates too.
    const quint64 magnitude = tenThousandths < 0 ? 0 - quint64(tenThousandths) : quint64(tenThousandths);
    const quint64 cents = magnitude / 100 + (magnitude % 100 >= 50 ? 1 : 0);
    if (tenThousandths < 0 && cents != 0) // no "-0,00"
        out += m_minusSign;
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, cents / 100);
    out.append(buffer, result.ptr);
    out += m_decimalPoint;
    appendTwoDigits(out, int(cents % 100));
}

void ValueFormat::appendDecimal(std::string &out, bool negative, quint32 high, quint64 low, int scale) const
{
    unsigned __int128 magnitude = (static_cast<unsigned __int128>(high) << 64) | low;
    char reversed[32]; // 2^96 has 29 digits
    int count = 0;
    do {
        reversed[count++] = char('0' + int(magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    scale = std::clamp(scale, 0, 28); // the most a decimal has
    if (negative && (count > 1 || reversed[0] != '0'))
        out += m_minusSign;
    if (count <= scale)
        out += '0';
    for (int i = count - 1; i >= scale; --i)
        out += reversed[i];
    if (scale == 0)
        return;
    out += m_decimalPoint;
    for (int i = scale - 1; i >= 0; --i)
        out += i < count ? reversed[i] : '0';
}

bool ValueFormat::appendExtendedDate(std::string &out, std::string_view stored) const
{
    constexpr std::size_t Digits = 19;
    constexpr quint64 TicksPerSecond = 10'000'000;
    // 0001-01-01 to 9999-12-31.
    constexpr quint64 LastDay = 3652058;
    const auto number = [&](std::size_t at, quint64 *value) {
        const char *first = stored.data() + at;
        const auto result = std::from_chars(first, first + Digits, *value);
        return result.ec == std::errc() && result.ptr == first + Digits;
    };
    quint64 days = 0, ticks = 0;
    if (stored.size() < 2 * Digits + 1 || stored[Digits] != ':' || !number(0, &days) || !number(Digits + 1, &ticks)
        || days > LastDay || ticks >= quint64(SecondsPerDay) * TicksPerSecond)
        return false;
    static const QDate first(1, 1, 1);
    appendDateAndTime(out, first.addDays(qint64(days)), int(ticks / TicksPerSecond));
    return true;
}

void ValueFormat::appendDecimalText(std::string &out, std::string_view text) const
{
    appendNumberText(out, text);
}

void ValueFormat::appendGuid(std::string &out, const unsigned char *bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    static const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    out += '{';
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out += '-';
        out += hex[bytes[order[i]] >> 4];
        out += hex[bytes[order[i]] & 0x0F];
    }
    out += '}';
}

void ValueFormat::appendShortDate(std::string &out, QDate date) const
{
    const int year = date.year();
    if (m_dateTokens.empty()) {
        out += m_locale.toString(date, m_dateFormat).toStdString();
        return;
    }
    for (const DateToken &token : m_dateTokens) {
        switch (token.kind) {
        case DateToken::Literal: out += token.literal; break;
        case DateToken::Day: appendDigits(out, date.day(), 1); break;
        case DateToken::Day2: appendTwoDigits(out, date.day()); break;
        case DateToken::Month: appendDigits(out, date.month(), 1); break;
        case DateToken::Month2: appendTwoDigits(out, date.month()); break;
        case DateToken::Year4: appendDigits(out, year, 4); break;
        }
    }
}

void ValueFormat::appendDate(std::string &out, double stored) const
{
    if (!std::isfinite(stored) || std::fabs(stored) > MaxDateDays) {
        appendDouble(out, stored);
        return;
    }
    // To the nearest second, on the magnitude: the sign then moves the day only.
    const qint64 total = std::llround(std::fabs(stored) * double(SecondsPerDay));
    const qint64 days = total / SecondsPerDay;
    const int seconds = int(total % SecondsPerDay);
    static const QDate epoch(1899, 12, 30);
    const QDate date = epoch.addDays(stored < 0 ? -days : days);
    if (date.year() < FirstYear || date.year() > LastYear) {
        appendDouble(out, stored);
        return;
    }
    appendDateAndTime(out, date, seconds);
}

void ValueFormat::appendDateAndTime(std::string &out, QDate date, int seconds) const
{
    // Day zero is no date: a time of day alone, midnight included.
    static const QDate epoch(1899, 12, 30);
    if (date != epoch) {
        appendShortDate(out, date);
        if (seconds == 0)
            return;
        out += ' ';
    }
    appendTwoDigits(out, seconds / 3600);
    out += ':';
    appendTwoDigits(out, seconds / 60 % 60);
    out += ':';
    appendTwoDigits(out, seconds % 60);
}

void appendJet4Text(std::string &out, const unsigned char *bytes, std::size_t size)
{
    // At most two UTF-8 bytes per stored byte: a compressed byte is below U+0100, a UTF-16 unit
    // takes two bytes and gives at most three, a pair takes four and gives four.
    const std::size_t start = out.size();
    out.resize(start + 2 * size + 4);
    Utf16Writer writer(out.data() + start);
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        // Read as libmdb reads it: any 00 byte where a character would start switches mode.
        bool compressed = true;
        for (std::size_t i = 2; i < size;) {
            if (bytes[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                writer.put(bytes[i++]);
            } else if (i + 1 < size) {
                writer.put(char16_t(bytes[i] | bytes[i + 1] << 8));
                i += 2;
            } else {
                break;
            }
        }
    } else {
        for (std::size_t i = 0; i + 1 < size; i += 2)
            writer.put(char16_t(bytes[i] | bytes[i + 1] << 8));
    }
    out.resize(std::size_t(writer.finish() - out.data()));
}

} // namespace formulix::access
