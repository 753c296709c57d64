#include "core/records/CellFormat.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace formulix {

namespace {

constexpr qint64 SecondsPerDay = 86400;
constexpr int MaxDecimals = 30;

void appendPadded(std::string &out, qint64 value, int width)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    for (int pad = width - int(result.ptr - buffer); pad > 0; --pad)
        out += '0';
    out.append(buffer, result.ptr);
}

bool isPlaceholder(QChar c)
{
    return c == u'0' || c == u'#' || c == u'?';
}

// The format's first section with what shows no value taken out: quoted text, escaped
// characters, padding and fill characters, and brackets other than elapsed time ("[h]").
QString valueLetters(QStringView code, bool *elapsed)
{
    QString kept;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u';')
            break;
        if (c == u'"') {
            while (++i < code.size() && code[i] != u'"') {
            }
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype close = code.indexOf(u']', i);
            const QStringView inside = code.mid(i + 1, close < 0 ? -1 : close - i - 1);
            if (!inside.isEmpty() && QStringLiteral("hHmMsS").contains(inside[0])) {
                *elapsed = true;
                kept += inside;
            }
            if (close < 0)
                break;
            i = close;
        } else if (code.mid(i, 5).compare(u"AM/PM", Qt::CaseInsensitive) == 0) {
            i += 4;
        } else if (code.mid(i, 3).compare(u"A/P", Qt::CaseInsensitive) == 0) {
            i += 2;
        } else {
            kept += c;
        }
    }
    return kept;
}

} // namespace

NumberStyle NumberStyle::excelBuiltIn(int id)
{
    switch (id) {
    case 1: return excelCode(u"0");
    case 2: return excelCode(u"0.00");
    case 3: case 37: case 38: return excelCode(u"#,##0");
    case 4: case 39: case 40: return excelCode(u"#,##0.00");
    case 9: return excelCode(u"0%");
    case 10: return excelCode(u"0.00%");
    case 14: case 15: case 16: case 17: return dateTime(true, false, false);
    case 18: case 20: return dateTime(false, true, false);
    case 19: case 21: case 45: case 47: return dateTime(false, true, true);
    case 22: return dateTime(true, true, false);
    case 46: return dateTime(false, true, true, true);
    default: return NumberStyle();
    }
}

NumberStyle NumberStyle::excelCode(QStringView code)
{
    if (code.compare(u"General", Qt::CaseInsensitive) == 0)
        return NumberStyle();
    bool elapsed = false;
    const QString letters = valueLetters(code, &elapsed);

    // m is minutes right after hours or right before seconds, else the month.
    std::vector<char> parts;
    for (QChar c : letters) {
        const char part = char(c.toLower().unicode());
        if ((part == 'd' || part == 'y' || part == 'h' || part == 's' || part == 'm') && (parts.empty() || parts.back() != part))
            parts.push_back(part);
    }
    bool date = false, time = false, seconds = false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        switch (parts[i]) {
        case 'd': case 'y': date = true; break;
        case 'h': time = true; break;
        case 's': time = seconds = true; break;
        case 'm':
            if ((i > 0 && parts[i - 1] == 'h') || (i + 1 < parts.size() && parts[i + 1] == 's'))
                time = true;
            else
                date = true;
            break;
        }
    }
    if (date || time)
        return dateTime(date, time, seconds, elapsed);

    NumberStyle style;
    bool point = false, digits = false;
    int minDecimals = 0, maxDecimals = 0;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const QChar c = letters[i];
        if (isPlaceholder(c)) {
            digits = true;
            if (point) {
                ++maxDecimals;
                if (c == u'0')
                    minDecimals = maxDecimals;
            }
        } else if (c == u'.') {
            point = true;
        } else if (c == u',' && !point && i > 0 && i + 1 < letters.size() && isPlaceholder(letters[i - 1])
                   && isPlaceholder(letters[i + 1])) {
            style.grouping = true;
        } else if (c == u'%') {
            style.percent = true;
        } else if ((c == u'E' || c == u'e') && i + 1 < letters.size() && (letters[i + 1] == u'+' || letters[i + 1] == u'-')) {
            return NumberStyle(); // an exponent
        } else if (c == u'/') {
            return NumberStyle(); // a fraction
        }
    }
    if (!digits)
        return NumberStyle();
    style.kind = Digits;
    style.minDecimals = quint8(std::min(minDecimals, MaxDecimals));
    style.maxDecimals = quint8(std::min(maxDecimals, MaxDecimals));
    return style;
}

CellFormat::CellFormat(const QLocale &locale)
    : m_values(locale), m_group(locale.groupSeparator().toStdString()), m_percent(locale.percent().toStdString())
{
}

void CellFormat::appendGeneral(std::string &out, double value) const
{
    if (value == 0) { // no "-0"
        out += '0';
        return;
    }
    char buffer[64];
    std::to_chars_result result;
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        result = std::to_chars(buffer, buffer + sizeof buffer, qint64(value));
    else
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    m_values.appendDecimalText(out, std::string_view(buffer, std::size_t(result.ptr - buffer)));
}

void CellFormat::appendNumber(std::string &out, double value, const NumberStyle &style) const
{
    if (style.kind == NumberStyle::YesNo) {
        appendBoolean(out, value != 0);
        return;
    }
    if (style.kind == NumberStyle::Digits) {
        appendDigits(out, value, style);
        return;
    }
    if (style.percent && style.kind == NumberStyle::General) {
        appendGeneral(out, value * 100);
        out += m_percent;
        return;
    }
    appendGeneral(out, value);
}

void CellFormat::appendDigits(std::string &out, double value, const NumberStyle &style) const
{
    const double scaled = style.percent ? value * 100 : value;
    if (!std::isfinite(scaled)) {
        appendGeneral(out, scaled);
        return;
    }
    // The value's 15 significant digits first, as the spreadsheet keeps them, then rounded half
    // up at the format's decimals: 1.005 with two is 1.01, as the spreadsheet shows it.
    std::string digits; // the value is 0.digits times 10^intDigits
    int intDigits = 1;
    if (scaled != 0) {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(scaled), std::chars_format::scientific, 14);
        const std::string_view text(buffer, std::size_t(result.ptr - buffer));
        const std::size_t e = text.find('e');
        digits.assign(1, text[0]);
        digits.append(text.substr(2, e - 2));
        int exponent = 0;
        const char *from = text.data() + e + 1 + (text[e + 1] == '+');
        std::from_chars(from, text.data() + text.size(), exponent);
        intDigits = exponent + 1;
    }
    const int keep = intDigits + style.maxDecimals;
    if (keep < 0) {
        digits.clear();
    } else if (std::size_t(keep) < digits.size()) {
        const bool up = digits[std::size_t(keep)] >= '5';
        digits.resize(std::size_t(keep));
        if (up) {
            int i = keep - 1;
            for (; i >= 0 && digits[std::size_t(i)] == '9'; --i)
                digits[std::size_t(i)] = '0';
            if (i >= 0) {
                ++digits[std::size_t(i)];
            } else {
                digits.insert(digits.begin(), '1');
                ++intDigits;
            }
        }
    }
    const auto digitAt = [&](int position) {
        return position >= 0 && std::size_t(position) < digits.size() ? digits[std::size_t(position)] : '0';
    };
    std::string number;
    if (scaled < 0 && digits.find_first_not_of('0') != std::string::npos)
        number += '-';
    if (intDigits <= 0) {
        number += '0';
    } else {
        for (int i = 0; i < intDigits; ++i) {
            if (style.grouping && i > 0 && (intDigits - i) % 3 == 0)
                number += ',';
            number += digitAt(i);
        }
    }
    std::string fraction;
    for (int k = 0; k < style.maxDecimals; ++k)
        fraction += digitAt(intDigits + k);
    while (fraction.size() > style.minDecimals && fraction.back() == '0')
        fraction.pop_back();
    if (!fraction.empty())
        number += '.' + fraction;
    for (char c : number) {
        if (c == ',')
            out += m_group;
        else
            m_values.appendDecimalText(out, std::string_view(&c, 1));
    }
    if (style.percent)
        out += m_percent;
}

void CellFormat::appendSerialDate(std::string &out, double serial, const NumberStyle &style, bool date1904) const
{
    const double lastSerial = date1904 ? 2957004 : 2958466; // 10000-01-01
    if (!std::isfinite(serial) || serial < 0 || serial >= lastSerial) {
        appendGeneral(out, serial);
        return;
    }
    const qint64 total = std::llround(serial * double(SecondsPerDay));
    const qint64 days = total / SecondsPerDay;
    if (!date1904 && style.date && (days == 0 || days == 60)) {
        // The days Excel shows although no calendar has them.
        out += days == 0 ? "00.01.1900" : "29.02.1900";
        if (style.time) {
            NumberStyle time = style;
            time.date = false;
            out += ' ';
            appendDateTime(out, QDate(), total, time);
        }
        return;
    }
    const QDate date = date1904 ? QDate(1904, 1, 1).addDays(days)
                     : days < 60 ? QDate(1899, 12, 31).addDays(days)
                                 : QDate(1899, 12, 30).addDays(days);
    appendDateTime(out, date, total, style);
}

void CellFormat::appendDateTime(std::string &out, QDate date, qint64 seconds, const NumberStyle &style) const
{
    const bool showDate = style.date || !style.time;
    if (showDate) {
        appendPadded(out, date.day(), 2);
        out += '.';
        appendPadded(out, date.month(), 2);
        out += '.';
        appendPadded(out, date.year(), 4);
    }
    if (!style.time)
        return;
    if (showDate)
        out += ' ';
    const qint64 magnitude = seconds < 0 ? -seconds : seconds;
    const qint64 hours = style.elapsed ? magnitude / 3600 : magnitude % SecondsPerDay / 3600;
    if (style.elapsed && seconds < 0)
        out += '-';
    appendPadded(out, hours, 2);
    out += ':';
    appendPadded(out, magnitude / 60 % 60, 2);
    if (style.seconds) {
        out += ':';
        appendPadded(out, magnitude % 60, 2);
    }
}

void appendUtf8(std::string &out, QStringView text)
{
    const char16_t *p = text.utf16(), *end = p + text.size();
    // ASCII, the most of a sheet's text, a run at a time.
    while (p < end) {
        const char16_t *run = p;
        while (p < end && *p < 0x80)
            ++p;
        const std::size_t start = out.size();
        out.resize(start + std::size_t(p - run));
        for (char *o = out.data() + start; run < p; ++run)
            *o++ = char(*run);
        if (p == end)
            break;
        char32_t c = *p++;
        if (c >= 0xD800 && c <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
        else if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
        }
        out += char(0x80 | (c & 0x3F));
    }
}

namespace {

// Digits at `text[*i]`, at most `most` of them; -1 when there is none.
qint64 readNumber(QStringView text, qsizetype *i, int most = 18)
{
    qint64 value = 0;
    int count = 0;
    while (*i < text.size() && count < most && text[*i].isDigit() && text[*i].unicode() < 0x80) {
        value = value * 10 + (text[*i].unicode() - '0');
        ++*i;
        ++count;
    }
    return count == 0 ? -1 : value;
}

// The fraction of a second after a decimal point at `text[*i]`: 1 when it rounds up.
int roundFraction(QStringView text, qsizetype *i)
{
    if (*i >= text.size() || (text[*i] != u'.' && text[*i] != u','))
        return 0;
    ++*i;
    const int up = *i < text.size() && text[*i] >= u'5' && text[*i] <= u'9';
    while (*i < text.size() && text[*i].isDigit())
        ++*i;
    return up;
}

} // namespace

bool parseIsoDateTime(QStringView text, QDate *date, qint64 *seconds, bool *hasTime)
{
    qsizetype i = 0;
    const qint64 year = readNumber(text, &i, 4);
    if (year < 0 || i >= text.size() || text[i] != u'-')
        return false;
    ++i;
    const qint64 month = readNumber(text, &i, 2);
    if (month < 0 || i >= text.size() || text[i] != u'-')
        return false;
    ++i;
    const qint64 day = readNumber(text, &i, 2);
    *date = QDate(int(year), int(month), int(day));
    if (day < 0 || !date->isValid())
        return false;
    *seconds = 0;
    *hasTime = false;
    if (i < text.size() && text[i] == u'T') {
        ++i;
        const qint64 h = readNumber(text, &i, 2);
        qint64 m = 0, s = 0;
        if (h < 0 || i >= text.size() || text[i] != u':')
            return false;
        ++i;
        m = readNumber(text, &i, 2);
        if (m < 0)
            return false;
        if (i < text.size() && text[i] == u':') {
            ++i;
            s = readNumber(text, &i, 2);
            if (s < 0)
                return false;
            s += roundFraction(text, &i);
        }
        *seconds = h * 3600 + m * 60 + s;
        if (*seconds >= SecondsPerDay) {
            *date = date->addDays(*seconds / SecondsPerDay);
            *seconds %= SecondsPerDay;
        }
        *hasTime = *seconds != 0;
    }
    return true; // a time zone after it changes nothing shown
}

bool parseIsoDuration(QStringView text, qint64 *seconds)
{
    qsizetype i = 0;
    const bool negative = i < text.size() && text[i] == u'-';
    if (negative)
        ++i;
    if (i >= text.size() || text[i] != u'P')
        return false;
    ++i;
    qint64 total = 0;
    bool inTime = false, any = false;
    while (i < text.size()) {
        if (text[i] == u'T') {
            inTime = true;
            ++i;
            continue;
        }
        const qint64 number = readNumber(text, &i, 12);
        if (number < 0 || i >= text.size())
            return false;
        const int up = roundFraction(text, &i);
        if (i >= text.size())
            return false;
        const char16_t unit = text[i++].unicode();
        if (unit == u'D' && !inTime)
            total += number * SecondsPerDay;
        else if (unit == u'H' && inTime)
            total += number * 3600;
        else if (unit == u'M' && inTime)
            total += number * 60;
        else if (unit == u'S' && inTime)
            total += number + up;
        else
            return false;
        any = true;
    }
    *seconds = negative ? -total : total;
    return any;
}

} // namespace formulix
