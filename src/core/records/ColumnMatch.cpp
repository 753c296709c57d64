#include "core/records/ColumnMatch.h"

#include "core/layout/Module1.h"
#include "core/text/TextRules.h"

#include <QHash>
#include <QSet>

namespace formulix {

namespace {

// Comma below and cedilla as one letter, blanks at the ends dropped.
QString folded(const QString &name)
{
    QString text = trimBlanks(name);
    for (QChar &c : text) {
        switch (c.unicode()) {
        case 0x0218: c = QChar(0x015E); break; // Ș → Ş
        case 0x0219: c = QChar(0x015F); break; // ș → ş
        case 0x021A: c = QChar(0x0162); break; // Ț → Ţ
        case 0x021B: c = QChar(0x0163); break; // ț → ţ
        default: break;
        }
    }
    return text;
}

} // namespace

int findColumn(const QStringList &columns, const QString &stored)
{
    if (const int exact = int(columns.indexOf(stored)); exact >= 0)
        return exact;
    const QString trimmed = trimBlanks(stored);
    for (int c = 0; c < columns.size(); ++c) {
        if (trimBlanks(columns.at(c)) == trimmed)
            return c;
    }
    const QString wanted = folded(stored);
    if (wanted.isEmpty())
        return -1;
    for (int c = 0; c < columns.size(); ++c) {
        if (folded(columns.at(c)) == wanted)
            return c;
    }
    constexpr int Kept = decltype(Camp::NumeCamp)::Width;
    int found = -1;
    for (int c = 0; c < columns.size(); ++c) {
        if (columns.at(c).size() > Kept && folded(columns.at(c).left(Kept)) == wanted) {
            if (found >= 0)
                return -1; // two columns begin alike: neither is surely the one
            found = c;
        }
    }
    return found;
}

QStringList headerNames(const QStringList &cells)
{
    // The names taken, folded as they compare, and for each name repeated the next number to try.
    QSet<QString> taken;
    QHash<QString, int> nextNumber;
    QStringList names;
    names.reserve(cells.size());
    for (qsizetype i = 0; i < cells.size(); ++i) {
        QString name = cells[i].trimmed();
        if (name.isEmpty())
            name = QStringLiteral("Coloana %1").arg(i + 1);
        QString folded = name.toCaseFolded();
        if (taken.contains(folded)) {
            const QString base = name;
            int &n = nextNumber.insert(folded, nextNumber.value(folded, 2)).value();
            do {
                name = QStringLiteral("%1_%2").arg(base).arg(n++);
                folded = name.toCaseFolded();
            } while (taken.contains(folded));
        }
        taken.insert(folded);
        names.append(name);
    }
    return names;
}

QStringList missingColumns(const Module1 &layout, const QStringList &columns)
{
    QStringList missing;
    for (int i = 1; i <= layout.usedBD(); ++i) {
        const Camp &camp = *layout.CampuriBD.at(i);
        const QString column = columnName(camp);
        if (findColumn(columns, column) < 0 && !missing.contains(column))
            missing.append(column);
    }
    return missing;
}

} // namespace formulix
