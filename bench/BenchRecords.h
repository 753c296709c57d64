#pragma once
// The records the job benchmarks print: a table of pupils and a layout of 20 fields over it (10
// general, 10 from the table, six of them one-digit ranges of the personal number).

#include "core/layout/Module1.h"
#include "support/Jet4Writer.h"

#include <QSizeF>
#include <QStringList>

namespace formulix::bench {

inline const QString Table = QStringLiteral("Elevi");
inline const QSizeF PageMm(297, 210);

inline bool writeTable(const QString &path, int rows)
{
    using namespace formulix::test;
    Jet4Writer writer(path);
    writer.beginTable(Table, {{QStringLiteral("Nume"), Jet4Type::Text, 60},
                              {QStringLiteral("CNP"), Jet4Type::Text, 13},
                              {QStringLiteral("Localitate"), Jet4Type::Text, 60},
                              {QStringLiteral("Clasa"), Jet4Type::Text, 10},
                              {QStringLiteral("Observatii"), Jet4Type::Text, 255}});
    const QStringList places = {QStringLiteral("Cluj-Napoca"), QStringLiteral("Iași"), QStringLiteral("Timișoara"),
                                QStringLiteral("Brașov")};
    // A long column no field shows: a job that kept the rows it read would grow by it.
    const QString remark = QStringLiteral("Observatie lunga ").repeated(14);
    for (int i = 0; i < rows; ++i)
        writer.addRow({QStringLiteral("Elev Numărul %1").arg(i + 1), QStringLiteral("5%1").arg(100000000000LL + i),
                       places.at(i % 4), QStringLiteral("VIII %1").arg(QChar(u'A' + i % 4)), remark});
    return writer.finish();
}

inline Module1 layout(const QString &database)
{
    Module1 m;
    m.CaleBazaDate = database;
    m.NumeTabela = Table;
    for (int i = 1; i <= 10; ++i) {
        Camp &camp = *m.CampuriGen.at(i);
        camp.Text = QStringLiteral("Text general %1").arg(i);
        camp.MarimeFont = 10;
        camp.X = qint16(20 + (i % 2) * 130);
        camp.Y = qint16(15 + i * 9);
    }
    m.NrCampuriGen = 10;
    const QStringList columns = {"Nume", "Localitate", "Clasa", "CNP"};
    for (int i = 1; i <= 10; ++i) {
        Camp &camp = *m.CampuriBD.at(i);
        camp.NumeCamp = columns.at(qMin(i - 1, 3));
        camp.MarimeFont = 12;
        camp.X = qint16(i <= 4 ? 40 : 60 + (i - 4) * 6);
        camp.Y = qint16(i <= 4 ? 130 + i * 10 : 185);
        if (i > 4) { // one digit a box
            camp.RangMin = quint8(i - 4);
            camp.RangMax = quint8(i - 4);
        }
    }
    m.NrCampuriBD = 10;
    return m;
}

} // namespace formulix::bench
