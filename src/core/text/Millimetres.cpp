#include "core/text/Millimetres.h"

#include <QLocale>
#include <cmath>

namespace formulix {

QString millimetres(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QStringLiteral("-0"))
        text = QStringLiteral("0");
    return text.replace(u'.', u',');
}

std::optional<double> parseMillimetres(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    QLocale regional = QLocale::system();
    regional.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double value = regional.toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(QString(trimmed).replace(u',', u'.'), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace formulix
