#pragma once
// Numbers in Romanian words, as certificates and receipts write grades and sums in full: with the
// forms of one and two that agree with what is counted ("un leu", "o mie", "două sute", "doi
// lei") and "de" before the noun from 20 on ("douăzeci de lei", but "o sută unu lei").

#include <QString>
#include <optional>

namespace formulix {

// A number as the decimal digits it was written with, so that rounding and words work on what the
// record holds, never on a binary fraction near it (2.675 is not 2.67499...).
struct DecimalNumber
{
    bool negative = false;
    QString whole = QStringLiteral("0"); // digits, without leading zeros
    QString fraction;                    // digits after the decimal separator, as many as given

    // A number as records and users write it: "9.5", "9,5", "-3", "1.234,56", "1,234.56",
    // "1 234,56". With both separators the later one is the decimal separator; one separator
    // that occurs once is the decimal separator ("9.125" is nine and an eighth, never 9125);
    // one that occurs more often, or a blank, groups thousands and must stand between groups of
    // three digits. Nothing for anything else.
    static std::optional<DecimalNumber> read(const QString &text);

    // To `decimals` places, a half to the even neighbour as the program rounds everywhere
    // (9.125 -> 9.12, 9.135 -> 9.14); shorter fractions are padded with zeros. A result of zero
    // has no sign.
    DecimalNumber rounded(int decimals) const;

    bool isZero() const;
};

// What the words count: nothing (counting), or a noun whose gender the forms of one and two
// follow. Neuter nouns take "un" in the singular and "două" in the plural ("un milion", "două
// milioane").
enum class Counted : quint8 { Nothing, Masculine, Feminine, Neuter };

// The largest number written in words: 999 999 999.
inline constexpr quint32 MaxWordsNumber = 999'999'999;

// A whole number up to MaxWordsNumber in words: "zero", "unu", "doisprezece", "douăzeci și unu",
// "o sută unu", "două mii", "douăzeci și una de mii", "un milion". Before a noun the lone one is
// "un"/"o" and two agrees with it: numberWords(2, Counted::Feminine) is "două".
QString numberWords(quint32 number, Counted counted = Counted::Nothing);

// A count and its noun: "zero lei", "un leu", "doi lei", "douăzeci și doi de lei".
QString countWords(quint32 number, Counted counted, const QString &one, const QString &many);

// A number in words, the decimals after "virgulă" read as a number with their leading zeros
// each said: "nouă virgulă cincizeci" (9.50), "nouă virgulă zero cinci" (9.05). Decimals that
// are all zeros are not said ("10.00" is "zece"). Nothing past MaxWordsNumber, or with more than
// nine decimals after their leading zeros.
std::optional<QString> decimalWords(const DecimalNumber &number);

// An amount of lei and bani, the decimals taken as bani (rounded to two first):
// "o sută douăzeci și trei de lei și cincizeci de bani", "un leu", "cincizeci de bani" (no lei
// said when there are only bani). Nothing past MaxWordsNumber lei.
std::optional<QString> leiWords(const DecimalNumber &amount);

} // namespace formulix
