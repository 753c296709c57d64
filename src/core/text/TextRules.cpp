#include "core/text/TextRules.h"

#include <cmath>
#include <limits>

namespace formulix {

double roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5)
        return floor;
    if (diff > 0.5)
        return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

QString leftTrimBlanks(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == u' ')
        ++start;
    return text.mid(start);
}

QString rightTrimBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ')
        --end;
    return text.left(end);
}

QString trimBlanks(const QString &text)
{
    return leftTrimBlanks(rightTrimBlanks(text));
}

namespace {

std::optional<double> roundedNumber(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return roundHalfEven(value);
}

template <typename T>
std::optional<T> toIntegral(const QString &text, const QLocale &locale)
{
    const std::optional<double> value = roundedNumber(text, locale);
    if (!value || *value < std::numeric_limits<T>::min() || *value > std::numeric_limits<T>::max())
        return std::nullopt;
    return static_cast<T>(*value);
}

} // namespace

std::optional<qint16> toInt16(const QString &text, const QLocale &locale)
{
    return toIntegral<qint16>(text, locale);
}

std::optional<quint8> toByte(const QString &text, const QLocale &locale)
{
    return toIntegral<quint8>(text, locale);
}

bool takesDe(qint64 count)
{
    const qint64 rest = count % 100;
    return count >= 20 && (rest == 0 || rest >= 20);
}

QString countOf(qint64 count, const QString &one, const QString &many)
{
    if (count == 1)
        return QStringLiteral("1 %1").arg(one);
    return QStringLiteral("%1 %2%3").arg(count).arg(takesDe(count) ? QStringLiteral("de ") : QString(), many);
}

} // namespace formulix
