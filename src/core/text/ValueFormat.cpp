#include "core/text/ValueFormat.h"

#include "core/records/AccessFormat.h"
#include "core/text/NumberWords.h"
#include "core/text/TextRules.h"

#include <QLocale>
#include <QRegularExpression>

namespace formulix {

namespace {

const char16_t *const Months[] = {u"ianuarie", u"februarie", u"martie", u"aprilie", u"mai", u"iunie",
                                  u"iulie", u"august", u"septembrie", u"octombrie", u"noiembrie", u"decembrie"};
const char16_t *const ShortMonths[] = {u"ian.", u"feb.", u"mar.", u"apr.", u"mai", u"iun.",
                                       u"iul.", u"aug.", u"sept.", u"oct.", u"nov.", u"dec."};
const char16_t *const Days[] = {u"luni", u"marți", u"miercuri", u"joi", u"vineri", u"sâmbătă", u"duminică"};
const char16_t *const ShortDays[] = {u"lun.", u"mar.", u"mie.", u"joi", u"vin.", u"sâm.", u"dum."};

QString padded(int number, int width)
{
    return QStringLiteral("%1").arg(number, width, 10, QLatin1Char('0'));
}

QString writeNumber(const DecimalNumber &number, bool thousands, bool decimalComma)
{
    QString whole = number.whole;
    if (thousands) {
        const QChar group = decimalComma ? u'.' : u',';
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
            whole.insert(at, group);
    }
    QString text = number.negative ? u'-' + whole : whole;
    if (!number.fraction.isEmpty())
        text += (decimalComma ? u',' : u'.') + number.fraction;
    return text;
}

} // namespace

std::optional<QDate> readDate(const QString &value)
{
    static const QRegularExpression time(QStringLiteral("[ T]\\d{1,2}:\\d{2}(:\\d{2}([.,]\\d+)?)?( ?[AaPp][Mm])?$"));
    static const QRegularExpression dayFirst(QStringLiteral("^(\\d{1,2})([./-])(\\d{1,2})\\2(\\d{4})$"));
    static const QRegularExpression yearFirst(QStringLiteral("^(\\d{4})([./-])(\\d{1,2})\\2(\\d{1,2})$"));
    QString text = value.trimmed();
    text.remove(time);
    const QLocale locale;
    const QDate local = locale.toDate(text, access::fourDigitYears(locale.dateFormat(QLocale::ShortFormat)));
    if (local.isValid())
        return local;
    QDate date;
    if (const QRegularExpressionMatch m = dayFirst.match(text); m.hasMatch())
        date = QDate(m.captured(4).toInt(), m.captured(3).toInt(), m.captured(1).toInt());
    else if (const QRegularExpressionMatch m = yearFirst.match(text); m.hasMatch())
        date = QDate(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString writeDate(QDate date, const QString &pattern)
{
    QString text;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (c == u'\'') {
            const qsizetype end = pattern.indexOf(u'\'', i + 1);
            if (end == i + 1)
                text += u'\''; // '' is a quote
            else
                text += pattern.mid(i + 1, end < 0 ? -1 : end - i - 1);
            i = end < 0 ? pattern.size() : end + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern.at(i + run) == c)
            ++run;
        if (c == u'd') {
            text += run == 1 ? QString::number(date.day())
                  : run == 2 ? padded(date.day(), 2)
                             : QString::fromUtf16((run == 3 ? ShortDays : Days)[date.dayOfWeek() - 1]);
        } else if (c == u'M') {
            text += run == 1 ? QString::number(date.month())
                  : run == 2 ? padded(date.month(), 2)
                             : QString::fromUtf16((run == 3 ? ShortMonths : Months)[date.month() - 1]);
        } else if (c == u'y') {
            text += run == 2 ? padded(date.year() % 100, 2) : padded(date.year(), 4);
        } else {
            text += QString(run, c);
        }
        i += run;
    }
    return text;
}

QString formatValue(const FieldFormat &format, const QString &value)
{
    switch (format.kind) {
    case ValueKind::AsGiven:
        return value;
    case ValueKind::Date: {
        const std::optional<QDate> date = readDate(value);
        return date ? writeDate(*date, format.pattern.isEmpty() ? QStringLiteral("dd.MM.yyyy") : format.pattern) : value;
    }
    case ValueKind::Number: {
        const std::optional<DecimalNumber> number = DecimalNumber::read(value);
        return number ? writeNumber(number->rounded(format.decimals), format.thousands, format.decimalComma) : value;
    }
    case ValueKind::Words: {
        const std::optional<DecimalNumber> number = DecimalNumber::read(value);
        if (!number)
            return value;
        const DecimalNumber rounded = number->rounded(format.decimals);
        const std::optional<QString> words = format.unit == WordsUnit::Lei ? leiWords(rounded) : decimalWords(rounded);
        return words.value_or(value);
    }
    }
    return value;
}

QString applyCase(TextCase textCase, const QString &text)
{
    switch (textCase) {
    case TextCase::AsWritten:
        return text;
    case TextCase::Upper:
        return text.toUpper();
    case TextCase::Title: {
        QString titled;
        titled.reserve(text.size());
        bool inWord = false;
        for (const QChar c : text) {
            if (c.isLetter()) {
                titled += inWord ? c.toLower() : c.toTitleCase();
                inWord = true;
            } else {
                titled += c;
                inWord = inWord && c.isMark(); // a combining accent belongs to its letter
            }
        }
        return titled;
    }
    }
    return text;
}

QString composeText(const QString &text, const ColumnLookup &lookup)
{
    QString composed;
    composed.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        const bool doubled = i + 1 < text.size() && text.at(i + 1) == c;
        if ((c == u'{' || c == u'}') && doubled) {
            composed += c;
            i += 2;
            continue;
        }
        const qsizetype close = c == u'{' ? text.indexOf(u'}', i + 1) : -1;
        const qsizetype reopened = close < 0 ? -1 : text.indexOf(u'{', i + 1);
        if (close < 0 || (reopened >= 0 && reopened < close)) {
            composed += c;
            ++i;
            continue;
        }
        const std::optional<QString> value = lookup ? lookup(text.mid(i + 1, close - i - 1)) : std::nullopt;
        composed += value ? rightTrimBlanks(*value) : text.mid(i, close - i + 1);
        i = close + 1;
    }
    return composed;
}

} // namespace formulix
