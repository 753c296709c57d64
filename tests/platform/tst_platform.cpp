#include "widgets/Dialogs.h"
#include "widgets/PictureBox.h"
#include "core/text/TextRules.h"

#include <QApplication>
#include <QPainter>
#include <QtTest>

using namespace formulix;

namespace {

const QLocale Romanian(QLocale::Romanian, QLocale::Romania);
const QLocale English(QLocale::English, QLocale::UnitedStates);

// The bounding box of every non-white pixel, in millimetres of the box.
QRectF inkMm(const PictureBox &box)
{
    const QImage &image = box.image();
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(line[x]) < 128) {
                left = qMin(left, x);
                right = qMax(right, x);
                top = qMin(top, y);
                bottom = qMax(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    const double pxPerMm = box.pixelsPerMm() * image.devicePixelRatio();
    return QRectF(left / pxPerMm, top / pxPerMm, (right - left + 1) / pxPerMm, (bottom - top + 1) / pxPerMm);
}

QImage imageAtDpi(int width, int height, double dpi)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(int(std::lround(dpi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(dpi / 0.0254)));
    return image;
}

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void convertsTypedNumbers_data();
    void convertsTypedNumbers();
    void countsSayTheirNoun_data();
    void countsSayTheirNoun();
    void fixedStringsKeepTheirWidth_data();
    void fixedStringsKeepTheirWidth();
    void printedTextSitsAtItsCornerUntilWiped();
};

void TestPlatform::convertsTypedNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("int16"); // -100000: fails
    QTest::addColumn<int>("byte");  // -1: fails
    const int fails = -100000;
    QTest::newRow("whole") << "8" << Romanian << 8 << 8;
    QTest::newRow("blanks around") << "  12 \t" << Romanian << 12 << 12;
    QTest::newRow("decimal comma 12,5") << "12,5" << Romanian << 12 << 12;
    QTest::newRow("decimal comma 13,5") << "13,5" << Romanian << 14 << 14;
    QTest::newRow("halves to even: 0,5") << "0,5" << Romanian << 0 << 0;
    QTest::newRow("halves to even: -0,5") << "-0,5" << Romanian << 0 << 0;
    QTest::newRow("halves to even: -1,5") << "-1,5" << Romanian << -2 << -1;
    QTest::newRow("halves to even: -2,5") << "-2,5" << Romanian << -2 << -1;
    QTest::newRow("just below a half") << "12,49" << Romanian << 12 << 12;
    QTest::newRow("just above a half") << "12,51" << Romanian << 13 << 13;
    QTest::newRow("decimal point in English") << "12.5" << English << 12 << 12;
    QTest::newRow("decimal point is no decimal in Romanian") << "12.5" << Romanian << fails << -1;
    QTest::newRow("int16 lower bound") << "-32768" << Romanian << -32768 << -1;
    QTest::newRow("int16 past upper bound") << "32768" << Romanian << fails << -1;
    QTest::newRow("rounds past upper bound") << "32767,5" << Romanian << fails << -1;
    QTest::newRow("byte upper bound") << "255" << Romanian << 255 << 255;
    QTest::newRow("byte past upper bound") << "256" << Romanian << 256 << -1;
    QTest::newRow("small negative rounds to zero") << "-0,4" << Romanian << 0 << 0;
    QTest::newRow("negative") << "-10" << Romanian << -10 << -1;
    QTest::newRow("empty") << "" << Romanian << fails << -1;
    QTest::newRow("blanks only") << "   " << Romanian << fails << -1;
    QTest::newRow("letters") << "abc" << Romanian << fails << -1;
    QTest::newRow("trailing letters") << "12a" << Romanian << fails << -1;
    QTest::newRow("infinity") << "inf" << English << fails << -1;
    QTest::newRow("not a number") << "nan" << English << fails << -1;
    QTest::newRow("huge") << "1e300" << English << fails << -1;
}

void TestPlatform::convertsTypedNumbers()
{
    QFETCH(QString, text);
    QFETCH(QLocale, locale);
    QFETCH(int, int16);
    QFETCH(int, byte);
    const std::optional<qint16> asInt16 = toInt16(text, locale);
    QCOMPARE(asInt16.has_value(), int16 != -100000);
    if (asInt16)
        QCOMPARE(int(*asInt16), int16);
    const std::optional<quint8> asByte = toByte(text, locale);
    QCOMPARE(asByte.has_value(), byte != -1);
    if (asByte)
        QCOMPARE(int(*asByte), byte);
}

void TestPlatform::countsSayTheirNoun_data()
{
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QString>("said");
    QTest::newRow("1") << 1LL << "1 pagina";
    QTest::newRow("2") << 2LL << "2 pagini";
    QTest::newRow("19") << 19LL << "19 pagini";
    QTest::newRow("20") << 20LL << "20 de pagini";
    QTest::newRow("101") << 101LL << "101 pagini";
    QTest::newRow("119") << 119LL << "119 pagini";
    QTest::newRow("120") << 120LL << "120 de pagini";
    QTest::newRow("1000") << 1000LL << "1000 de pagini";
}

void TestPlatform::countsSayTheirNoun()
{
    QFETCH(qint64, count);
    QFETCH(QString, said);
    QCOMPARE(countOf(count, QStringLiteral("pagina"), QStringLiteral("pagini")), said);
}

// Cutting at the width and diacritics are checked through the editor, which stores what is typed.
void TestPlatform::fixedStringsKeepTheirWidth_data()
{
    QTest::addColumn<QString>("assigned");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("shown");
    QTest::newRow("short padded with blanks") << "ABC" << QString("ABC").leftJustified(50, u' ') << "ABC";
    QTest::newRow("leading blanks stay") << "  A " << QString("  A").leftJustified(50, u' ') << "  A";
    QTest::newRow("empty is all blanks") << "" << QString(50, u' ') << "";
}

void TestPlatform::fixedStringsKeepTheirWidth()
{
    QFETCH(QString, assigned);
    QFETCH(QString, raw);
    QFETCH(QString, shown);
    FixedString<50> member;
    QCOMPARE(member.raw(), QString(50, QChar(u'\0')));
    QCOMPARE(member.shown(), QString());
    member = assigned;
    QCOMPARE(member.raw(), raw);
    QCOMPARE(member.shown(), shown);
}

// Printed text starts at its top-left corner and stays, through repaints, until the picture or
// the background is set again.
void TestPlatform::printedTextSitsAtItsCornerUntilWiped()
{
    PictureBox box;
    box.setBackColor(Qt::white);
    box.setSizeMm(100, 60);
    box.setFontSize(20);
    box.setCurrentX(30);
    box.setCurrentY(15);
    box.printText(QStringLiteral("H"));
    const QRectF ink = inkMm(box);
    const double height = box.textHeightMm(QStringLiteral("H"));
    // The glyph starts at the left of its line and below the line's top, within one line height.
    QVERIFY2(ink.left() >= 30 - 0.3 && ink.left() < 31.5, qPrintable(QString::number(ink.left())));
    QVERIFY2(ink.top() >= 15 - 0.3 && ink.bottom() <= 15 + height, qPrintable(QString::number(ink.top())));
    // A 20 pt capital is about 5 mm tall.
    QVERIFY2(ink.height() > 4.0 && ink.height() < 6.5, qPrintable(QString::number(ink.height())));
    // The next print starts a line lower, at the left margin.
    QCOMPARE(box.currentX(), 0.0);
    QCOMPARE(box.currentY(), 15 + height);
    box.repaint();
    QCOMPARE(inkMm(box), ink);

    box.setPicture(Picture::fromImage(imageAtDpi(400, 300, 96)));
    box.printText(QStringLiteral("Ion"));
    QVERIFY(!inkMm(box).isEmpty());
    box.setPicture(box.picture()); // the same picture again wipes the text too
    QVERIFY(inkMm(box).isEmpty());
    box.printText(QStringLiteral("Ion"));
    QVERIFY(!inkMm(box).isEmpty());
    box.setBackColor(Qt::white);
    QVERIFY(inkMm(box).isEmpty());
    QVERIFY(box.printedTexts().isEmpty());
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    DialogSeam::setTestMode(true);
    TestPlatform test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
