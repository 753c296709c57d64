#include "gui/app/frmEcranPrincipal.h"
#include "gui/print/frmPozitie.h"
#include "printer/Printer.h"
#include "core/page/PrinterProfile.h"
#include "core/page/PageComposer.h"
#include "core/page/PngSink.h"
#include "core/text/TextPainter.h"
#include "support/TestSupport.h"
#include "support/WindowTest.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QtTest>

using namespace formulix;
using namespace formulix::test;

namespace {

constexpr double MmPerPoint = 25.4 / 72;

struct Word
{
    QString text;
    QRectF mm; // on the paper, from its top-left corner
};

struct PdfPage
{
    QSizeF mm;
    QList<Word> words;
};

// The words of the first page of a PDF and where they stand, as pdftotext reads them.
PdfPage readWords(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    process.waitForFinished(60000);
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    PdfPage page;
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\"")).match(html);
    page.mm = QSizeF(size.captured(1).toDouble() * MmPerPoint, size.captured(2).toDouble() * MmPerPoint);
    const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        page.words.append({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) * MmPerPoint,
                                                 QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()) * MmPerPoint)});
    }
    return page;
}

// Dark pixels of an image at 10 pixels a millimetre, as a bounding box in mm.
QRectF inkIn(const QImage &image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink.isNull() ? QRectF() : QRectF(ink.x() / 10.0, ink.y() / 10.0, ink.width() / 10.0, ink.height() / 10.0);
}

// The darkness-weighted centre of the first page's ink, in millimetres, finer than a pixel.
QPointF inkCentre(const QString &pdf, QSizeF *pageMm)
{
    constexpr int Dpi = 400;
    const QImage image = renderPdfPage(pdf, 1, Dpi).convertToFormat(QImage::Format_Grayscale8);
    const double ppm = Dpi / 25.4;
    *pageMm = image.size() / ppm;
    double sx = 0, sy = 0, sw = 0;
    for (int y = 0; y < image.height(); ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const double w = 255 - line[x];
            sx += w * (x + 0.5);
            sy += w * (y + 0.5);
            sw += w;
        }
    }
    return sw > 0 ? QPointF(sx, sy) / sw / ppm : QPointF();
}

// The same for the first page of a PDF.
QRectF inkOf(const QString &pdf, QSizeF *pageMm = nullptr)
{
    const QImage image = renderPdfPage(pdf, 1, 254);
    if (pageMm)
        *pageMm = QSizeF(image.width() / 10.0, image.height() / 10.0);
    return inkIn(image);
}

// The words of a page gathered into lines, top to bottom: each line's text and extent.
QList<Word> linesOf(const QList<Word> &words)
{
    QList<Word> lines;
    for (const Word &word : words) {
        auto line = std::find_if(lines.begin(), lines.end(),
                                 [&](const Word &l) { return qAbs(l.mm.top() - word.mm.top()) < 0.5; });
        if (line == lines.end()) {
            lines.append(word);
            continue;
        }
        line->text += u' ' + word.text;
        line->mm = line->mm.united(word.mm);
    }
    std::sort(lines.begin(), lines.end(), [](const Word &a, const Word &b) { return a.mm.top() < b.mm.top(); });
    return lines;
}

// The names of the fonts a PDF embeds, as pdffonts lists them.
QString fontsOf(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdffonts"), {pdf});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The area a PDF printer can print on the page turned so, in millimetres on the paper: where
// printing starts.
QRectF devicePrintable(bool landscape = true)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPageLayout layout = printer.pageLayout();
    layout.setMargins(layout.minimumMargins());
    return layout.paintRect(QPageLayout::Millimeter);
}

} // namespace

class TestPrint : public WindowTest
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void textsLandAtTheirPlaceOnPaper_data();
    void textsLandAtTheirPlaceOnPaper();
    void textIsCutAtTheCanvasEdge();
    void onlyTheFieldsArePrinted();
    void printingTwiceGivesTheSamePage();
    void stylesPlaceTheTextOnPaper_data();
    void stylesPlaceTheTextOnPaper();
    void stylesChooseTheFace_data();
    void stylesChooseTheFace();
    void pageDialogConvertsAndKeeps_data();
    void pageDialogConvertsAndKeeps();
    void pageDialogShowsTheStoredValues();
    void noDefaultPrinterIsReported();
    void printsThroughTheDefaultQueue_data();
    void printsThroughTheDefaultQueue();
    void profileMovesInkThroughTheQueue_data();
    void profileMovesInkThroughTheQueue();

private:
    void loadTemplate(QSize pixels = QSize(1240, 877));
    void addGeneral(const QString &text, int x, int y, int font = 12) { WindowTest::addGeneral(generalField(text, x, y, font)); }
    void print();

    QString m_pdf;
};

void TestPrint::init()
{
    QVERIFY(openWindow());
    m_pdf = m_dir->filePath("pagina.pdf");
    PrinterSeam::setPdfOutput(m_pdf);
}

void TestPrint::cleanup()
{
    closeWindow();
    PrinterSeam::setPdfOutput(QString());
}

void TestPrint::loadTemplate(QSize pixels)
{
    QVERIFY(loadScan(pixels));
}

void TestPrint::print()
{
    QFile::remove(m_pdf);
    m_window->mnuTipareste->trigger();
    QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(MessageBox::shown().value(0).text));
    QVERIFY(QFile::exists(m_pdf));
}

void TestPrint::textsLandAtTheirPlaceOnPaper_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("up");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QString>("text"); // the first field's, and what it shows
    QTest::addColumn<QString>("shown");
    QTest::newRow("no offsets, landscape") << 0 << 0 << 1 << "Stanga" << "Stanga";
    QTest::newRow("start offsets 20 and 5") << 20 << 5 << 1 << "Stanga" << "Stanga";
    QTest::newRow("negative offsets move right and down") << -10 << -7 << 1 << "Stanga" << "Stanga";
    QTest::newRow("portrait") << 20 << 5 << 2 << "Stanga" << "Stanga";
    QTest::newRow("leading blanks shift, trailing ones vanish") << 0 << 0 << 1 << "   Ion   " << "   Ion";
}

void TestPrint::textsLandAtTheirPlaceOnPaper()
{
    QFETCH(int, left);
    QFETCH(int, up);
    QFETCH(int, orientation);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    loadTemplate(); // 210 x 148.5 mm
    addGeneral(text, 30, 20);
    addGeneral(QStringLiteral("Jos"), 150, 120, 20);
    m_model->PozStanga = qint16(left);
    m_model->PozSus = qint16(up);
    m_model->Orientare = qint16(orientation);
    print();
    const PdfPage page = readWords(m_pdf);
    QCOMPARE(page.mm.width() > page.mm.height(), orientation == 1);

    // Where the printable area lies on this paper, and how the offsets scale.
    const QRectF printable = devicePrintable(orientation == 1);
    const double kx = printable.width() / m_window->Picture1->widthMm(), ky = printable.height() / m_window->Picture1->heightMm();

    QCOMPARE(m_model->CampuriGen.at(1)->Text.shown(), shown);
    QCOMPARE(page.words.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const Camp &camp = *m_model->CampuriGen.at(i + 1);
        const Word &word = page.words[i];
        const QString shownText = camp.Text.shown(), inked = shownText.trimmed();
        QCOMPARE(word.text, inked);
        // Blanks before the text move it right by their width.
        const double blanks = textExtentMm(shownText.left(shownText.indexOf(inked)), QApplication::font(), camp.MarimeFont).width();
        const double x = printable.left() + camp.X - left * kx + blanks;
        const double y = printable.top() + camp.Y - up * ky;
        QVERIFY2(qAbs(word.mm.left() - x) < 0.4, qPrintable(QStringLiteral("x %1, expected %2").arg(word.mm.left()).arg(x)));
        QVERIFY2(qAbs(word.mm.top() - y) < 0.8, qPrintable(QStringLiteral("y %1, expected %2").arg(word.mm.top()).arg(y)));
        // True size: a 20 pt line is about 7 mm high on paper, a 12 pt one about 4.
        const double line = textExtentMm(shownText, QApplication::font(), camp.MarimeFont).height();
        QVERIFY(qAbs(word.mm.height() - line) < line * 0.25);
    }
}

void TestPrint::textIsCutAtTheCanvasEdge()
{
    loadTemplate(QSize(600, 300)); // 101.6 x 50.8 mm
    m_model->PozStanga = 0;
    m_model->PozSus = 0;
    addGeneral(QString(30, u'W'), 60, 10, 20);
    // The user is asked first, the field named; "Da" prints it as far as the page goes.
    QFile::remove(m_pdf);
    MessageBox::queueAnswer(MessageBox::Answer::Yes);
    m_window->mnuTipareste->trigger();
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY(MessageBox::shown()[0].question && MessageBox::shown()[0].text.contains(QString(30, u'W')));
    const QRectF ink = inkOf(m_pdf);
    QVERIFY(!ink.isEmpty());
    QVERIFY2(qAbs(ink.right() - (devicePrintable().left() + m_window->Picture1->widthMm())) < 0.6,
             qPrintable(QString::number(ink.right())));
}

void TestPrint::onlyTheFieldsArePrinted()
{
    loadTemplate();
    print(); // the template is never printed: a layout without fields is one blank page
    QCOMPARE(pdfPages(m_pdf), 1);
    QVERIFY(inkOf(m_pdf).isEmpty());

    // A database field prints the text it holds; one never filled prints nothing.
    m_model->NrCampuriBD = 0;
    addDatabase(databaseField(QStringLiteral("Nume"), 30, 30, 0, 0, 12));
    m_model->CampuriBD.at(1)->Text = QStringLiteral("Popescu");
    addDatabase(databaseField(QStringLiteral("CNP"), 30, 60, 0, 0, 12));
    print();
    const PdfPage page = readWords(m_pdf);
    QCOMPARE(page.words.size(), 1);
    QCOMPARE(page.words[0].text, QStringLiteral("Popescu"));
}

void TestPrint::printingTwiceGivesTheSamePage()
{
    loadTemplate();
    addGeneral(QStringLiteral("Școala Gimnazială"), 30, 20);
    addGeneral(QStringLiteral("Director"), 100, 100);
    print();
    const PdfPage first = readWords(m_pdf);
    const QImage firstPicture = m_window->Picture3->image();
    m_model->NrCampuriGen = 1; // fewer fields the second time: nothing of the first page remains
    print();
    m_model->NrCampuriGen = 2;
    print();
    const PdfPage third = readWords(m_pdf);
    QCOMPARE(third.words.size(), first.words.size());
    for (int i = 0; i < first.words.size(); ++i) {
        QCOMPARE(third.words[i].text, first.words[i].text);
        QCOMPARE(third.words[i].mm, first.words[i].mm);
    }
    QCOMPARE(m_window->Picture3->image(), firstPicture);
    QCOMPARE(m_window->Picture3->widthMm(), m_window->Picture1->widthMm());
}

void TestPrint::stylesPlaceTheTextOnPaper_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("align"); // TextAlign
    QTest::addColumn<double>("box");
    QTest::addColumn<int>("fit"); // TextFit
    QTest::addColumn<double>("extra"); // Shrink: the smallest size; Wrap: the line height
    QTest::addColumn<QStringList>("lines");
    const int L = int(TextAlign::Left), C = int(TextAlign::Centre), R = int(TextAlign::Right);
    const int none = int(TextFit::None), shrink = int(TextFit::Shrink), wrap = int(TextFit::Wrap);
    const QString grade = QStringLiteral("9,50 (noua virgula cincizeci)");
    QTest::newRow("right about X") << grade << R << 0.0 << none << 0.0 << QStringList{grade};
    QTest::newRow("centred about X") << grade << C << 0.0 << none << 0.0 << QStringList{grade};
    QTest::newRow("right in a box") << "Popescu" << R << 70.0 << none << 0.0 << QStringList{"Popescu"};
    QTest::newRow("centred in a box") << "POPESCU ION" << C << 70.0 << none << 0.0 << QStringList{"POPESCU ION"};
    QTest::newRow("shrunk into its box") << grade << L << 40.0 << shrink << 4.0 << QStringList{grade};
    QTest::newRow("shrunk, right in its box") << grade << R << 40.0 << shrink << 4.0 << QStringList{grade};
    QTest::newRow("shrunk to its smallest, runs over") << grade << R << 20.0 << shrink << 9.0 << QStringList{grade};
    QTest::newRow("an address wrapped on its lines")
        << "Str. Mihai Eminescu nr. 12, bl. A3, ap. 14, Iasi" << L << 45.0 << wrap << 6.0
        << QStringList{"Str. Mihai Eminescu", "nr. 12, bl. A3, ap. 14,", "Iasi"};
    QTest::newRow("wrapped and centred, line breaks kept")
        << "Liceul Teoretic\nDimitrie Cantemir din Iasi" << C << 50.0 << wrap << 7.0
        << QStringList{"Liceul Teoretic", "Dimitrie Cantemir din", "Iasi"};
    QTest::newRow("an overlong word broken") << "0123456789012345678901234567890123456789" << L << 30.0 << wrap
                                             << 0.0 << QStringList{"01234567890", "12345678901", "23456789012", "3456789"};
}

// Each style places its lines on the PDF where it says, to 0.2 mm; the page image of the same
// page has its ink where the PDF has, to 2 pixels.
void TestPrint::stylesPlaceTheTextOnPaper()
{
    QFETCH(QString, text);
    QFETCH(int, align);
    QFETCH(double, box);
    QFETCH(int, fit);
    QFETCH(double, extra);
    QFETCH(QStringList, lines);
    loadTemplate();
    m_model->PozStanga = 0;
    m_model->PozSus = 0;
    const int x = box > 0 ? 40 : 120, y = 30;
    Camp camp = generalField(QStringLiteral("x"), x, y, 12);
    camp.Text = text;
    camp.style.align = TextAlign(align);
    camp.style.boxWidthMm = box;
    camp.style.fit = TextFit(fit);
    (camp.style.fit == TextFit::Shrink ? camp.style.minPoints : camp.style.lineHeightMm) = extra;
    WindowTest::addGeneral(camp);
    print();
    const QRectF printable = devicePrintable();
    const QList<Word> found = linesOf(readWords(m_pdf).words);
    QStringList texts;
    for (const Word &line : found)
        texts.append(line.text);
    QVERIFY2(texts == lines, qPrintable(texts.join(QStringLiteral(" | "))));
    const double left = printable.left() + x, top = printable.top() + y;
    const double right = box > 0 ? left + box : left;
    const bool overrun = TextFit(fit) == TextFit::Shrink && extra > 6;
    for (int i = 0; i < found.size(); ++i) {
        const QRectF at = found[i].mm;
        const QString where = QStringLiteral("line %1 from %2 to %3 mm, the point at %4").arg(i + 1).arg(at.left()).arg(at.right()).arg(left);
        if (overrun)
            QVERIFY2(qAbs(at.left() - left) < 0.2 && at.right() > right + 5, qPrintable(where));
        else if (TextAlign(align) == TextAlign::Left)
            QVERIFY2(qAbs(at.left() - left) < 0.2, qPrintable(where));
        else if (TextAlign(align) == TextAlign::Right)
            QVERIFY2(qAbs(at.right() - right) < 0.2, qPrintable(where));
        else
            QVERIFY2(qAbs(at.center().x() - (left + right) / 2) < 0.2, qPrintable(where));
        if (box > 0 && !overrun)
            QVERIFY2(at.left() > left - 0.2 && at.right() < right + 0.2, qPrintable(where));
        if (TextFit(fit) == TextFit::Shrink && !overrun)
            QVERIFY2(at.width() > box * 0.95, qPrintable(where)); // no smaller than it must
        if (i > 0 && extra > 0 && TextFit(fit) == TextFit::Wrap)
            QVERIFY2(qAbs(at.top() - found[i - 1].mm.top() - extra) < 0.2, qPrintable(where));
    }
    QVERIFY(qAbs(found.first().mm.top() - top) < 0.8);

    // The page as an image of the same paper: its ink where the PDF's is.
    const QString folder = m_dir->filePath(QStringLiteral("imagine"));
    QVERIFY(QDir().mkpath(folder));
    const QSizeF pageMm(m_window->Picture1->widthMm(), m_window->Picture1->heightMm());
    PngSink sink(folder, 1, {readWords(m_pdf).mm, printable}, 254);
    QVERIFY(sink.begin(PageOrientation::Landscape, QString(), nullptr));
    QVERIFY(sink.addPage(composePage(*m_model), pageMm, 0, 0, nullptr, nullptr) && sink.finish(nullptr));
    const QRectF image = inkIn(QImage(folder + QStringLiteral("/0001.png"))), paper = inkOf(m_pdf);
    QVERIFY2(qAbs(image.left() - paper.left()) <= 0.2 && qAbs(image.right() - paper.right()) <= 0.2
                 && qAbs(image.top() - paper.top()) <= 0.2 && qAbs(image.bottom() - paper.bottom()) <= 0.2,
             qPrintable(QStringLiteral("image ink %1..%2, PDF ink %3..%4").arg(image.left()).arg(image.right())
                            .arg(paper.left()).arg(paper.right())));
}

void TestPrint::stylesChooseTheFace_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QString>("font"); // what pdffonts names beside the plain field's; empty: nothing more
    QTest::newRow("bold") << "" << true << false << "-Bold";
    QTest::newRow("italic") << "" << false << true << "-Oblique";
    QTest::newRow("a family") << "DejaVu Serif" << false << false << "DejaVuSerif";
    QTest::newRow("a family, bold and italic") << "DejaVu Serif" << true << true << "DejaVuSerif-BoldItalic";
    QTest::newRow("a family not installed: the program's font") << "Nu Exista Asa Ceva" << false << false << "";
}

void TestPrint::stylesChooseTheFace()
{
    QFETCH(QString, family);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(QString, font);
    loadTemplate();
    m_model->PozStanga = 0;
    addGeneral(QStringLiteral("Simplu"), 20, 20);
    Camp styled = generalField(QStringLiteral("Stilat"), 20, 60, 12);
    styled.style.family = family;
    styled.style.bold = bold;
    styled.style.italic = italic;
    WindowTest::addGeneral(styled);
    print();
    QCOMPARE(readWords(m_pdf).words.size(), 2);
    // The table's rows after its two heading lines, one an embedded font.
    QStringList fonts = fontsOf(m_pdf).split(u'\n', Qt::SkipEmptyParts).mid(2);
    QVERIFY2(fonts.size() == (font.isEmpty() ? 1 : 2), qPrintable(fonts.join(u'\n')));
    QVERIFY2(fonts.join(u'\n').contains(font), qPrintable(fonts.join(u'\n')));
}

void TestPrint::pageDialogConvertsAndKeeps_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("up");
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<int>("storedLeft");
    QTest::addColumn<int>("storedUp");
    QTest::newRow("zero and portrait") << "0" << "0" << true << 0 << 0;
    QTest::newRow("halves to even") << "12,5" << "13,5" << false << 12 << 14;
    QTest::newRow("negative, blanks around") << " -10 " << "-3" << false << -10 << -3;
    QTest::newRow("empty keeps the value") << "" << "7" << true << 20 << 7;
    QTest::newRow("above 16 bits keeps the value") << "40000" << "abc" << false << 20 << 5;
}

void TestPrint::pageDialogConvertsAndKeeps()
{
    QFETCH(QString, left);
    QFETCH(QString, up);
    QFETCH(bool, portrait);
    QFETCH(int, storedLeft);
    QFETCH(int, storedUp);
    loadTemplate();
    m_window->mnuSeteazaPag->trigger();
    frmPozitie *dialog = m_window->pageWindow();
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Seteaza pozitie"));
    dialog->Text1->setText(left);
    dialog->Text2->setText(up);
    (portrait ? dialog->Option2 : dialog->Option1)->setChecked(true);
    dialog->Command1->click();
    QCOMPARE(int(m_model->PozStanga), storedLeft);
    QCOMPARE(int(m_model->PozSus), storedUp);
    QCOMPARE(int(m_model->Orientare), portrait ? 2 : 1);
    QTRY_VERIFY(!m_window->pageWindow());
}

void TestPrint::pageDialogShowsTheStoredValues()
{
    loadTemplate();
    m_window->mnuSeteazaPag->trigger();
    frmPozitie *dialog = m_window->pageWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QCOMPARE(dialog->Text1->text(), QStringLiteral("20"));
    QCOMPARE(dialog->Text2->text(), QStringLiteral("5"));
    QVERIFY(dialog->Option1->isChecked() && !dialog->Option2->isChecked());

    // Typed but not confirmed: coming back shows the stored values again.
    dialog->Text1->setText(QStringLiteral("99"));
    m_model->PozSus = -4;
    m_model->Orientare = 3; // neither button
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QTRY_COMPARE(dialog->Text1->text(), QStringLiteral("20"));
    QCOMPARE(dialog->Text2->text(), QStringLiteral("-4"));
    QVERIFY(!dialog->Option1->isChecked() && !dialog->Option2->isChecked());

    // Closed with its close box it stores nothing.
    dialog->Text1->setText(QStringLiteral("1"));
    dialog->close();
    QCOMPARE(m_model->PozStanga, qint16(20));
}

void TestPrint::noDefaultPrinterIsReported()
{
    if (qEnvironmentVariableIsEmpty("FORMULIX_EXPECT_NO_PRINTER"))
        QSKIP("runs on its own, with no print server to ask");
    PrinterSeam::setPdfOutput(QString());
    loadTemplate();
    addGeneral(QStringLiteral("Ion"), 10, 10);
    const Camp before = *m_model->CampuriGen.at(1);
    m_window->mnuTipareste->trigger();
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY(MessageBox::shown()[0].text.contains(QStringLiteral("imprimanta implicita")));
    QCOMPARE(*m_model->CampuriGen.at(1), before);
}

void TestPrint::printsThroughTheDefaultQueue_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("up");
    QTest::addColumn<int>("orientation");
    QTest::newRow("portrait, 0/0") << 0 << 0 << 2;
    QTest::newRow("portrait, 20/5") << 20 << 5 << 2;
    QTest::newRow("landscape, 0/0") << 0 << 0 << 1;
    QTest::newRow("landscape, 20/5") << 20 << 5 << 1;
}

void TestPrint::printsThroughTheDefaultQueue()
{
    QFETCH(int, left);
    QFETCH(int, up);
    QFETCH(int, orientation);
    if (const QString why = test::testQueueUnavailable(); !why.isEmpty())
        QSKIP(qPrintable(why));
    loadTemplate();
    addGeneral(QStringLiteral("Formulix"), 50, 40, 20);
    m_model->PozStanga = qint16(left);
    m_model->PozSus = qint16(up);
    m_model->Orientare = qint16(orientation);
    // The same page into a PDF of our own: where its letters' ink starts, against the line.
    print();
    QSizeF ownPage;
    const QRectF ownInk = inkOf(m_pdf, &ownPage);
    const double kx = ownPage.width() / m_window->Picture1->widthMm();
    const double ky = ownPage.height() / m_window->Picture1->heightMm();
    const QPointF bearing = ownInk.topLeft() - QPointF(50 - left * kx, 40 - up * ky);

    const QStringList before = test::queuedPdfs();
    PrinterSeam::setPdfOutput(QString()); // the normal path, through the print server
    m_window->mnuTipareste->trigger();
    QVERIFY(MessageBox::shown().isEmpty());
    const QString pdf = test::waitForQueuedPdf(before, [](const QString &) { return true; });
    QVERIFY(!pdf.isEmpty());
    QSizeF paper;
    QRectF ink = inkOf(pdf, &paper);
    QFile::remove(pdf);
    QVERIFY(!ink.isEmpty());
    if (orientation == 1 && paper.width() < paper.height()) {
        // The queue's sheet stays upright and the landscape page turns on it a quarter to the
        // left: the page's top-left corner is the sheet's bottom-left.
        ink = QRectF(paper.height() - ink.bottom(), ink.left(), ink.height(), ink.width());
        paper.transpose();
    }
    // The queue prints to the sheet's edges: the geometry holds against the sheet itself.
    QCOMPARE(paper.width() > paper.height(), orientation == 1);
    const QPointF expected = QPointF(50 - left * kx, 40 - up * ky) + bearing;
    QVERIFY2(qAbs(ink.left() - expected.x()) < 0.3 && qAbs(ink.top() - expected.y()) < 0.3,
             qPrintable(QStringLiteral("ink at %1, %2; expected %3, %4")
                            .arg(ink.left()).arg(ink.top()).arg(expected.x()).arg(expected.y())));
}

void TestPrint::profileMovesInkThroughTheQueue_data()
{
    QTest::addColumn<int>("orientation");
    QTest::newRow("portrait") << 2;
    QTest::newRow("landscape") << 1;
}

// The queue's profile moves the ink back by its shift, on the sheet as the queue writes it.
void TestPrint::profileMovesInkThroughTheQueue()
{
    QFETCH(int, orientation);
    if (const QString why = test::testQueueUnavailable(); !why.isEmpty())
        QSKIP(qPrintable(why));
    ProfileStore::setSettingsFile(m_dir->filePath(QStringLiteral("profile.ini")));
    const auto kept = qScopeGuard([] { ProfileStore::setSettingsFile(QString()); });
    loadTemplate();
    addGeneral(QStringLiteral("Formulix"), 50, 40, 20);
    m_model->PozStanga = 0;
    m_model->PozSus = 0;
    m_model->Orientare = qint16(orientation);
    PrinterSeam::setPdfOutput(QString());
    QSizeF sheet;
    const auto printed = [&]() -> QPointF {
        const QStringList before = test::queuedPdfs();
        m_window->mnuTipareste->trigger();
        const QString pdf = test::waitForQueuedPdf(before, [](const QString &) { return true; });
        if (pdf.isEmpty())
            return {};
        const QPointF centre = inkCentre(pdf, &sheet);
        QFile::remove(pdf);
        return centre;
    };
    const QPointF plain = printed();
    const PrinterProfile profile{3.5, -2.0, 1, 1, 0};
    ProfileStore::save(QStringLiteral("FormulixTest"), profile);
    const QPointF corrected = printed();
    QVERIFY(MessageBox::shown().isEmpty());
    QVERIFY(!plain.isNull() && !corrected.isNull());
    // A profile is kept on the sheet upright: there the ink moves back by its shift, whichever
    // way the page is turned on it. A sheet written turned is the page itself.
    const QPointF expected = sheet.width() < sheet.height() ? QPointF(-3.5, 2.0) : QPointF(-2.0, -3.5);
    const QPointF moved = corrected - plain;
    qInfo("moved %.3f %.3f on %.0f x %.0f", moved.x(), moved.y(), sheet.width(), sheet.height());
    QVERIFY2(std::hypot(moved.x() - expected.x(), moved.y() - expected.y()) <= 0.2,
             qPrintable(QStringLiteral("moved by %1, %2 on a sheet of %3 x %4 mm")
                            .arg(moved.x()).arg(moved.y()).arg(sheet.width()).arg(sheet.height())));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Romanian, QLocale::Romania));
    DialogSeam::setTestMode(true);
    TestPrint test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_print.moc"
