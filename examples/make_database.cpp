// Writes the example database elevi.mdb: the table Elevi with ten pupils (name, personal
// number, birth date, locality) for the example schema; and the same pupils as a spreadsheet
// saves them, elevi.csv beside it (UTF-8, semicolons, dates as the record window shows them). The people are made up; their
// personal numbers follow the real rules, check digit included, and match their birth dates.
#include "support/Jet4Writer.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QTextStream>

using namespace formulix::test;

namespace {

struct Pupil
{
    const char *name;
    bool girl;
    QDate born;
    int county; // two-digit county code
    const char *locality;
};

QString personalNumber(const Pupil &pupil, int serial)
{
    const int sex = (pupil.born.year() >= 2000 ? 5 : 1) + (pupil.girl ? 1 : 0);
    QString digits = QStringLiteral("%1%2%3%4%5%6")
                         .arg(sex)
                         .arg(pupil.born.year() % 100, 2, 10, QLatin1Char('0'))
                         .arg(pupil.born.month(), 2, 10, QLatin1Char('0'))
                         .arg(pupil.born.day(), 2, 10, QLatin1Char('0'))
                         .arg(pupil.county, 2, 10, QLatin1Char('0'))
                         .arg(serial, 3, 10, QLatin1Char('0'));
    static const int weights[12] = {2, 7, 9, 1, 4, 6, 3, 5, 8, 2, 7, 9};
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += digits.at(i).digitValue() * weights[i];
    const int check = sum % 11 == 10 ? 1 : sum % 11;
    return digits + QString::number(check);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("elevi.mdb");
    const Pupil pupils[] = {
        {"Popescu Andrei", false, {2010, 3, 14}, 12, "Cluj-Napoca"},
        {"Ionescu Maria", true, {2010, 7, 2}, 12, "Florești"},
        {"Dumitrescu Ștefan", false, {2009, 11, 23}, 12, "Cluj-Napoca"},
        {"Constantinescu Ana-Maria", true, {2010, 1, 30}, 5, "Oradea"},
        {"Munteanu Radu", false, {2010, 5, 9}, 12, "Apahida"},
        {"Țurcanu Ioana", true, {2010, 9, 17}, 24, "Baia Mare"},
        {"Stoica Mihai", false, {2010, 2, 5}, 12, "Gilău"},
        {"Georgescu Elena", true, {2009, 12, 12}, 26, "Târgu Mureș"},
        {"Marinescu Vlad", false, {2010, 6, 21}, 12, "Cluj-Napoca"},
        {"Păunescu Irina", true, {2010, 4, 3}, 6, "Bistrița"},
    };
    Jet4Writer writer(out);
    writer.beginTable(QStringLiteral("Elevi"), {{QStringLiteral("Nume"), Jet4Type::Text, 60},
                                                {QStringLiteral("CNP"), Jet4Type::Text, 13},
                                                {QStringLiteral("DataNasterii"), Jet4Type::DateTime},
                                                {QStringLiteral("Localitate"), Jet4Type::Text, 50}});
    int serial = 101;
    QString csv = QStringLiteral("Nume;CNP;DataNasterii;Localitate\r\n");
    for (const Pupil &pupil : pupils) {
        const QString number = personalNumber(pupil, serial++);
        writer.addRow({QString::fromUtf8(pupil.name), number, Jet4Value::fromDateTime(pupil.born.startOfDay()),
                       QString::fromUtf8(pupil.locality)});
        csv += QStringLiteral("%1;%2;%3;%4\r\n")
                   .arg(QString::fromUtf8(pupil.name), number, pupil.born.toString(QStringLiteral("dd.MM.yyyy")),
                        QString::fromUtf8(pupil.locality));
    }
    QString csvPath = out;
    csvPath.replace(QStringLiteral(".mdb"), QStringLiteral(".csv"));
    QFile table(csvPath);
    if (!table.open(QIODevice::WriteOnly) || table.write(csv.toUtf8()) < 0) {
        QTextStream(stderr) << "cannot write " << csvPath << "\n";
        return 1;
    }
    QString error;
    if (!writer.finish(&error)) {
        QTextStream(stderr) << "cannot write " << out << ": " << error << "\n";
        return 1;
    }
    return 0;
}
