#pragma once
// How the database engine writes stored values as text: numbers, currency and dates under the
// regional settings, and Jet4 text as UTF-8. Apart from libmdb so the rules stand on their own;
// everything appends to a std::string because rows are kept as one UTF-8 buffer per chunk.

#include <QDate>
#include <QLocale>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace formulix::access {

// A date format with every two-digit year ("yy") widened to four digits; order, separators,
// days, months and quoted text stay as they are.
QString fourDigitYears(const QString &format);

class ValueFormat
{
public:
    explicit ValueFormat(const QLocale &locale = QLocale());

    // Plain digits, no group separators.
    void appendInteger(std::string &out, qint64 value) const;
    // The shortest text that reads back as the same value, with the locale's decimal separator.
    void appendDouble(std::string &out, double value) const;
    // A Single holds 7 significant digits: those, as a double of that value prints, so 309841000
    // stays 309841000 rather than the 309840992 the float is.
    void appendSingle(std::string &out, float value) const;
    // Currency is stored in ten-thousandths and shown with two decimals, rounded half away from
    // zero: 9.8 is "9,80".
    void appendCurrency(std::string &out, qint64 tenThousandths) const;
    // A stored date/time: days since 1899-12-30, the fraction the time of day, the sign covering
    // both (-1.25 is 1899-12-29 06:00). The locale's short date with a four-digit year, then
    // " HH:mm:ss" when there is a time of day; only the time, "00:00:00" included, when the day
    // is 1899-12-30. Outside 100-01-01..9999-12-31 the stored number.
    void appendDate(std::string &out, double stored) const;
    // Date/Time Extended, stored as ASCII "DDDDDDDDDDDDDDDDDDD:TTTTTTTTTTTTTTTTTTT:P": whole days
    // since 0001-01-01, then the time of day in units of 100 ns. Printed as appendDate prints a
    // date, to the whole second; false, appending nothing, when `stored` is no such value.
    bool appendExtendedDate(std::string &out, std::string_view stored) const;
    // A number that libmdb wrote with '.' for the decimal point.
    void appendDecimalText(std::string &out, std::string_view text) const;
    // A decimal: the 96-bit magnitude high:low over 10^scale, written with all `scale` decimals.
    void appendDecimal(std::string &out, bool negative, quint32 high, quint64 low, int scale) const;
    // A replication ID as Access shows it, {00112233-4455-6677-8899-AABBCCDDEEFF}: the first
    // three groups are stored little-endian.
    static void appendGuid(std::string &out, const unsigned char *bytes);

private:
    struct DateToken
    {
        enum Kind { Literal, Day, Day2, Month, Month2, Year4 } kind = Literal;
        std::string literal;
    };

    void appendNumberText(std::string &out, std::string_view text) const;
    void appendShortDate(std::string &out, QDate date) const;
    void appendDateAndTime(std::string &out, QDate date, int seconds) const;

    QLocale m_locale;
    std::string m_decimalPoint;
    std::string m_minusSign;
    std::string m_exponent;
    QString m_dateFormat;
    std::vector<DateToken> m_dateTokens; // empty when the format needs QLocale (month names...)
};

// Jet4 text, UTF-16LE or "compressed" (FF FE, then runs of one byte per character switched by
// 00 bytes), appended as UTF-8. Surrogate pairs are kept; a lone surrogate becomes U+FFFD.
void appendJet4Text(std::string &out, const unsigned char *bytes, std::size_t size);

} // namespace formulix::access
