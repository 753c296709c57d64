#pragma once
// A spreadsheet cell's value as text, as the spreadsheet shows it, under the regional settings
// in force when the sheet was opened (the decimal separator and minus sign as Access values get
// them, see AccessFormat.h).
//
// - A number in the General format: rounded to 15 significant digits as spreadsheets show it
//   (0.1+0.2 is "0.3", 1e20 "1e+20"), no float noise, no group separators.
// - A number format with digit places ("0.00", "#,##0.00", "0%"): its decimals (those with 0
//   always, with # or ? only when not zero), group separators when it has them and the percent
//   sign, rounded half away from zero as spreadsheets do; only the first section counts, and
//   literal text, colours, currency signs, fractions and exponents are left out (an exponent
//   format reads as General).
// - A number with a date or time format: "dd.MM.yyyy" whatever the format's order, separators or
//   month names, since forms print dates so; then " hh:mm" when the format shows hours, with
//   ":ss" when it shows seconds. A format of time alone gives "hh:mm" or "hh:mm:ss" (24-hour,
//   AM/PM left out); elapsed hours ("[h]:mm") count past 24. The seconds are rounded first and
//   then left out when the format has none, as the spreadsheet shows them. The format decides,
//   not the value: a date format shows no time of a value that has one.
// - Yes/no as "Da"/"Nu", as the Access yes/no columns read in this program; so too a number
//   under a yes/no style (0 is "Nu").

#include "core/records/AccessFormat.h"

#include <QDate>
#include <QStringView>

#include <string>

namespace formulix {

struct NumberStyle
{
    enum Kind : quint8 { General, Digits, DateTime, YesNo };
    Kind kind = General;
    quint8 minDecimals = 0; // Digits
    quint8 maxDecimals = 0;
    bool grouping = false;
    bool percent = false;   // Digits and General: the value times 100, then "%"
    bool date = false;      // DateTime: which parts it shows
    bool time = false;
    bool seconds = false;
    bool elapsed = false;   // hours past 24 are hours, not days

    static NumberStyle dateTime(bool date, bool time, bool seconds, bool elapsed = false)
    {
        NumberStyle style;
        style.kind = DateTime;
        style.date = date;
        style.time = time;
        style.seconds = seconds;
        style.elapsed = elapsed;
        return style;
    }
    // The built-in Excel number formats by id: General, the digit formats and the date and
    // time ones (14-22, 45-47); other ids read as General.
    static NumberStyle excelBuiltIn(int id);
    // An Excel format code: date or time when it has d, m, y, h or s outside quotes, brackets
    // and escapes; otherwise its digit places.
    static NumberStyle excelCode(QStringView code);
};

class CellFormat
{
public:
    explicit CellFormat(const QLocale &locale = QLocale());

    void appendNumber(std::string &out, double value, const NumberStyle &style) const;
    // Excel's stored date: days since 1899-12-31, counting the 29th of February 1900 that never
    // was (serial 60); days since 1904-01-01 in the 1904 date system. Outside 1900 to 9999
    // the number.
    void appendSerialDate(std::string &out, double serial, const NumberStyle &style, bool date1904) const;
    // A date and a time of day in seconds (or all the seconds, for elapsed hours) as `style`
    // shows them.
    void appendDateTime(std::string &out, QDate date, qint64 seconds, const NumberStyle &style) const;
    static void appendBoolean(std::string &out, bool value) { out += value ? "Da" : "Nu"; }

    // 15 significant digits, as spreadsheets keep them, in the shortest form: "0.3", "1e+20".
    void appendGeneral(std::string &out, double value) const;

private:
    void appendDigits(std::string &out, double value, const NumberStyle &style) const;

    access::ValueFormat m_values;
    std::string m_group;
    std::string m_percent;
};

// UTF-16 appended as UTF-8; a lone surrogate becomes U+FFFD.
void appendUtf8(std::string &out, QStringView text);

// ISO 8601 as OpenDocument stores dates, "2010-03-14" or "2010-03-14T10:30:00.5": the date and
// the time of day in whole seconds (rounded, a day carried); false when it is not one.
bool parseIsoDateTime(QStringView text, QDate *date, qint64 *seconds, bool *hasTime);
// An ISO 8601 duration as OpenDocument stores times, "PT10H30M15S" or "P1DT2H": whole seconds.
bool parseIsoDuration(QStringView text, qint64 *seconds);

} // namespace formulix
