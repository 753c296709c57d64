// Draws the example template: a blank school-leaving certificate, A4 landscape, as a 150 dpi
// scan would show it. Field positions of the example schema match the boxes drawn here.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

namespace {

constexpr double Dpi = 150;
constexpr double PxPerMm = Dpi / 25.4;

QPointF at(double xMm, double yMm) { return {xMm * PxPerMm, yMm * PxPerMm}; }
QRectF box(double x, double y, double w, double h) { return {at(x, y), at(x + w, y + h)}; }

void label(QPainter &p, double xMm, double yMm, const QString &text, double points, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(int(points * Dpi / 72));
    font.setBold(bold);
    p.setFont(font);
    p.drawText(at(xMm, yMm), text);
}

void line(QPainter &p, double x1, double x2, double y)
{
    p.drawLine(at(x1, y), at(x2, y));
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("certificat.jpg");
    QImage image(int(297 * PxPerMm), int(210 * PxPerMm), QImage::Format_RGB32);
    image.fill(QColor(252, 250, 240));
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor ink(40, 60, 120);
        p.setPen(QPen(ink, 6));
        p.drawRect(box(8, 8, 281, 194));
        p.setPen(QPen(ink, 2));
        p.drawRect(box(11, 11, 275, 188));

        p.setPen(ink);
        label(p, 20, 24, QStringLiteral("ROMÂNIA"), 12, true);
        label(p, 20, 30, QStringLiteral("MINISTERUL EDUCAȚIEI"), 10);
        label(p, 230, 24, QStringLiteral("Seria A  Nr."), 10);
        line(p, 253, 280, 25);
        label(p, 92, 44, QStringLiteral("CERTIFICAT DE ABSOLVIRE"), 26, true);

        label(p, 20, 65, QStringLiteral("Unitatea de învățământ"), 11);
        line(p, 80, 275, 66);
        label(p, 20, 85, QStringLiteral("Numele și prenumele"), 11);
        line(p, 80, 275, 86);
        label(p, 20, 105, QStringLiteral("Data nașterii"), 11);
        line(p, 80, 150, 106);
        label(p, 20, 125, QStringLiteral("Cod numeric personal"), 11);
        p.setPen(QPen(ink, 2));
        for (int i = 0; i < 13; ++i)
            p.drawRect(box(80 + 8 * i, 117, 8, 10));
        p.setPen(ink);
        label(p, 20, 145, QStringLiteral("Localitatea"), 11);
        line(p, 80, 200, 146);

        label(p, 40, 180, QStringLiteral("L.S."), 11);
        label(p, 190, 175, QStringLiteral("Director,"), 11);
        line(p, 190, 275, 190);
    }
    image.setDotsPerMeterX(int(Dpi / 0.0254 + 0.5));
    image.setDotsPerMeterY(int(Dpi / 0.0254 + 0.5));
    if (!image.save(out, "JPEG", 85)) {
        QTextStream(stderr) << "cannot write " << out << "\n";
        return 1;
    }
    return 0;
}
