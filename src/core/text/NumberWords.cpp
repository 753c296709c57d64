#include "core/text/NumberWords.h"

#include "core/text/TextRules.h"

#include <QStringList>

namespace formulix {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Blanks that group thousands: the space and the no-break spaces a spreadsheet writes.
bool isGroupBlank(QChar c)
{
    return c == u' ' || c == QChar(0x00A0) || c == QChar(0x202F);
}

QString withoutLeadingZeros(const QString &digits)
{
    qsizetype start = 0;
    while (start + 1 < digits.size() && digits.at(start) == u'0')
        ++start;
    return digits.isEmpty() ? QStringLiteral("0") : digits.mid(start);
}

const char16_t *const Units[] = {u"zero", u"unu", u"doi", u"trei", u"patru", u"cinci", u"șase", u"șapte", u"opt", u"nouă"};
const char16_t *const Teens[] = {u"zece", u"unsprezece", u"doisprezece", u"treisprezece", u"paisprezece",
                                 u"cincisprezece", u"șaisprezece", u"șaptesprezece", u"optsprezece", u"nouăsprezece"};
const char16_t *const Tens[] = {u"", u"", u"douăzeci", u"treizeci", u"patruzeci",
                                u"cincizeci", u"șaizeci", u"șaptezeci", u"optzeci", u"nouăzeci"};

// A unit digit, `lone` when it is the whole number ("un leu", but "douăzeci și unu de lei").
QString unitWord(int unit, Counted counted, bool lone)
{
    const bool feminine = counted == Counted::Feminine;
    if (unit == 1) {
        if (!lone || counted == Counted::Nothing)
            return feminine ? QStringLiteral("una") : QStringLiteral("unu");
        return feminine ? QStringLiteral("o") : QStringLiteral("un");
    }
    if (unit == 2)
        return feminine || counted == Counted::Neuter ? QStringLiteral("două") : QStringLiteral("doi");
    return QString::fromUtf16(Units[unit]);
}

// 1..999: hundreds, then tens and units.
QString groupWords(int number, Counted counted, bool lone)
{
    QStringList words;
    const int hundreds = number / 100, rest = number % 100;
    if (hundreds == 1)
        words << QStringLiteral("o sută");
    else if (hundreds == 2)
        words << QStringLiteral("două sute");
    else if (hundreds > 2)
        words << QString::fromUtf16(Units[hundreds]) + QStringLiteral(" sute");
    lone = lone && hundreds == 0;
    if (rest >= 20) {
        QString tens = QString::fromUtf16(Tens[rest / 10]);
        if (rest % 10)
            tens += QStringLiteral(" și ") + unitWord(rest % 10, counted, false);
        words << tens;
    } else if (rest == 12 && (counted == Counted::Feminine || counted == Counted::Neuter)) {
        words << QStringLiteral("douăsprezece");
    } else if (rest >= 10) {
        words << QString::fromUtf16(Teens[rest - 10]);
    } else if (rest > 0) {
        words << unitWord(rest, counted, lone);
    }
    return words.join(u' ');
}

// A group of thousands or millions with its noun: "o mie", "douăzeci și una de mii".
QString scaleWords(int count, Counted gender, const QString &one, const QString &many)
{
    if (count == 1)
        return gender == Counted::Feminine ? QStringLiteral("o ") + one : QStringLiteral("un ") + one;
    return groupWords(count, gender, true) + (takesDe(count) ? QStringLiteral(" de ") : QStringLiteral(" ")) + many;
}

} // namespace

std::optional<DecimalNumber> DecimalNumber::read(const QString &text)
{
    QStringView s = QStringView(text).trimmed();
    DecimalNumber number;
    if (!s.isEmpty() && (s.front() == u'-' || s.front() == QChar(0x2212) || s.front() == u'+')) {
        number.negative = s.front() != u'+';
        s = s.mid(1);
    }
    const qsizetype dots = s.count(u'.'), commas = s.count(u',');
    QChar decimal, group;
    if (dots && commas) {
        decimal = s.lastIndexOf(u'.') > s.lastIndexOf(u',') ? u'.' : u',';
        group = decimal == u'.' ? u',' : u'.';
        if (s.count(decimal) > 1)
            return std::nullopt;
    } else if (dots + commas == 1) {
        decimal = dots ? u'.' : u',';
    } else if (dots + commas > 1) {
        group = dots ? u'.' : u',';
    }
    QStringView whole = s;
    if (!decimal.isNull()) {
        const qsizetype at = s.indexOf(decimal);
        whole = s.left(at);
        const QStringView fraction = s.mid(at + 1);
        if (fraction.isEmpty() || !std::all_of(fraction.begin(), fraction.end(), isDigit))
            return std::nullopt;
        number.fraction = fraction.toString();
    }
    QString digits;
    int run = 0;
    bool grouped = false;
    for (const QChar c : whole) {
        if (isDigit(c)) {
            digits += c;
            ++run;
        } else if ((c == group && !group.isNull()) || isGroupBlank(c)) {
            if (grouped ? run != 3 : run < 1 || run > 3)
                return std::nullopt;
            grouped = true;
            run = 0;
        } else {
            return std::nullopt;
        }
    }
    if ((grouped && run != 3) || (digits.isEmpty() && number.fraction.isEmpty()))
        return std::nullopt;
    number.whole = withoutLeadingZeros(digits);
    return number;
}

bool DecimalNumber::isZero() const
{
    const auto zero = [](QChar c) { return c == u'0'; };
    return std::all_of(whole.begin(), whole.end(), zero) && std::all_of(fraction.begin(), fraction.end(), zero);
}

DecimalNumber DecimalNumber::rounded(int decimals) const
{
    if (decimals < 0)
        return *this;
    DecimalNumber result = *this;
    if (fraction.size() <= decimals) {
        result.fraction = fraction + QString(decimals - fraction.size(), u'0');
        return result;
    }
    QString kept = whole + fraction.left(decimals);
    const QStringView rest = QStringView(fraction).mid(decimals);
    bool up = rest.front() > u'5';
    if (rest.front() == u'5') {
        const QStringView after = rest.mid(1);
        up = std::any_of(after.begin(), after.end(), [](QChar c) { return c != u'0'; })
          || (kept.back().unicode() - u'0') % 2 == 1;
    }
    if (up) {
        qsizetype i = kept.size() - 1;
        for (; i >= 0 && kept.at(i) == u'9'; --i)
            kept[i] = u'0';
        if (i < 0)
            kept.prepend(u'1');
        else
            kept[i] = QChar(kept.at(i).unicode() + 1);
    }
    result.whole = withoutLeadingZeros(kept.left(kept.size() - decimals));
    result.fraction = kept.right(decimals);
    if (result.isZero())
        result.negative = false;
    return result;
}

QString numberWords(quint32 number, Counted counted)
{
    if (number == 0)
        return QStringLiteral("zero");
    QStringList words;
    const int millions = int(number / 1'000'000), thousands = int(number / 1000 % 1000), rest = int(number % 1000);
    if (millions)
        words << scaleWords(millions, Counted::Neuter, QStringLiteral("milion"), QStringLiteral("milioane"));
    if (thousands)
        words << scaleWords(thousands, Counted::Feminine, QStringLiteral("mie"), QStringLiteral("mii"));
    if (rest)
        words << groupWords(rest, counted, millions == 0 && thousands == 0);
    return words.join(u' ');
}

QString countWords(quint32 number, Counted counted, const QString &one, const QString &many)
{
    return numberWords(number, counted) + (takesDe(number) ? QStringLiteral(" de ") : QStringLiteral(" "))
         + (number == 1 ? one : many);
}

std::optional<QString> decimalWords(const DecimalNumber &number)
{
    if (number.whole.size() > 9)
        return std::nullopt;
    QString words = numberWords(number.whole.toUInt());
    qsizetype zeros = 0;
    while (zeros < number.fraction.size() && number.fraction.at(zeros) == u'0')
        ++zeros;
    if (zeros < number.fraction.size()) {
        const QString digits = number.fraction.mid(zeros);
        if (digits.size() > 9)
            return std::nullopt;
        words += QStringLiteral(" virgulă");
        for (qsizetype i = 0; i < zeros; ++i)
            words += QStringLiteral(" zero");
        words += u' ' + numberWords(digits.toUInt());
    }
    return number.negative ? QStringLiteral("minus ") + words : words;
}

std::optional<QString> leiWords(const DecimalNumber &amount)
{
    const DecimalNumber exact = amount.rounded(2);
    if (exact.whole.size() > 9)
        return std::nullopt;
    const quint32 lei = exact.whole.toUInt(), bani = exact.fraction.toUInt();
    QStringList words;
    if (lei > 0 || bani == 0)
        words << countWords(lei, Counted::Masculine, QStringLiteral("leu"), QStringLiteral("lei"));
    if (bani > 0)
        words << countWords(bani, Counted::Masculine, QStringLiteral("ban"), QStringLiteral("bani"));
    const QString said = words.join(QStringLiteral(" și "));
    return exact.negative ? QStringLiteral("minus ") + said : said;
}

} // namespace formulix
