// Writes the example schema for certificat.jpg: the school and the director as general fields,
// a pupil's name, birth date, locality and the 13 digits of the personal number (one box each)
// from the table Elevi of elevi.mdb.
#include "core/layout/SchemaCodec.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace formulix;

namespace {

void addGeneral(Module1 &m, const QString &text, int x, int y, int font)
{
    Camp &camp = *m.CampuriGen.at(++m.NrCampuriGen);
    camp.Text = text;
    camp.X = qint16(x);
    camp.Y = qint16(y);
    camp.MarimeFont = quint8(font);
}

void addDatabase(Module1 &m, const QString &column, int x, int y, int font, int from = 0, int to = 0)
{
    Camp &camp = *m.CampuriBD.at(++m.NrCampuriBD);
    camp.NumeCamp = column;
    camp.X = qint16(x);
    camp.Y = qint16(y);
    camp.MarimeFont = quint8(font);
    camp.RangMin = quint8(from);
    camp.RangMax = quint8(to);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("certificat.tip");
    Module1 m;
    m.CaleBazaDate = QStringLiteral("examples/elevi.mdb");
    m.NumeTabela = QStringLiteral("Elevi");
    addGeneral(m, QStringLiteral("Școala Gimnazială „Mihai Eminescu” Cluj-Napoca"), 82, 60, 12);
    addGeneral(m, QStringLiteral("prof. Maria Ionescu"), 195, 183, 11);
    addDatabase(m, QStringLiteral("Nume"), 82, 80, 12);
    addDatabase(m, QStringLiteral("DataNasterii"), 82, 100, 12);
    // One digit in each box of the personal number: boxes are 8 mm wide from 80 mm on.
    for (int digit = 1; digit <= 13; ++digit)
        addDatabase(m, QStringLiteral("CNP"), 82 + 8 * (digit - 1), 119, 12, digit, digit);
    addDatabase(m, QStringLiteral("Localitate"), 82, 140, 12);
    QString error;
    if (!saveSchemaFile(out, m, &error)) {
        QTextStream(stderr) << "cannot write " << out << ": " << error << "\n";
        return 1;
    }
    return 0;
}
