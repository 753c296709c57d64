#include "core/page/PrinterProfile.h"

#include "core/text/Millimetres.h"

#include <QSettings>
#include <QUrl>
#include <QtMath>

#include <array>
#include <cmath>
#include <memory>

namespace formulix {

namespace {

bool isLandscape(QSizeF paperMm)
{
    return paperMm.width() > paperMm.height();
}

// A landscape page onto the sheet upright: a quarter turn to the left, the page's top-left
// corner on the sheet's bottom-left.
QTransform pageToSheet(QSizeF paperMm)
{
    return QTransform(0, -1, 1, 0, 0, paperMm.width());
}

QTransform mapOf(const PrinterProfile &profile)
{
    const double turn = qDegreesToRadians(profile.rotationDegrees);
    const double c = std::cos(turn), s = std::sin(turn);
    return QTransform(c * profile.scaleX, s * profile.scaleX, -s * profile.scaleY, c * profile.scaleY,
                      profile.shiftXMm, profile.shiftYMm);
}

// A map of the form R · diag · p + shift taken apart again.
PrinterProfile profileOf(const QTransform &map)
{
    PrinterProfile profile;
    profile.scaleX = std::hypot(map.m11(), map.m12());
    profile.scaleY = std::hypot(map.m21(), map.m22());
    profile.rotationDegrees = qRadiansToDegrees(std::atan2(map.m12(), map.m11()));
    profile.shiftXMm = map.dx();
    profile.shiftYMm = map.dy();
    return profile;
}

QString fixed(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    if (QString(text).remove(u'-').remove(u'0').remove(u'.').isEmpty())
        text.remove(u'-');
    return text.replace(u'.', u',');
}

// To 1 / perUnit, divided back so that 3.5 is 3.5 and not 3.5000000000000004.
double roundTo(double value, double perUnit)
{
    const double rounded = std::round(value * perUnit) / perUnit;
    return rounded == 0 ? 0 : rounded; // no -0 to show or store
}

// Solves the 5 x 5 system in place; false when it is singular against its own scale.
bool solve(std::array<std::array<double, 6>, 5> &m, std::array<double, 5> &x)
{
    double largest = 0;
    for (const auto &row : m)
        for (int c = 0; c < 5; ++c)
            largest = std::max(largest, std::abs(row[c]));
    for (int col = 0; col < 5; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 5; ++r)
            if (std::abs(m[r][col]) > std::abs(m[pivot][col]))
                pivot = r;
        if (std::abs(m[pivot][col]) <= largest * 1e-12)
            return false;
        std::swap(m[col], m[pivot]);
        for (int r = 0; r < 5; ++r) {
            if (r == col)
                continue;
            const double f = m[r][col] / m[col][col];
            for (int c = col; c < 6; ++c)
                m[r][c] -= f * m[col][c];
        }
    }
    for (int r = 0; r < 5; ++r)
        x[r] = m[r][5] / m[r][r];
    return true;
}

} // namespace

QTransform PrinterProfile::printerMap(QSizeF paperMm) const
{
    if (!isLandscape(paperMm))
        return mapOf(*this);
    const QTransform turn = pageToSheet(paperMm);
    return turn * mapOf(*this) * turn.inverted();
}

QTransform PrinterProfile::correction(QSizeF paperMm) const
{
    return printerMap(paperMm).inverted();
}

PrinterProfile PrinterProfile::fromPage(const PrinterProfile &onPage, QSizeF paperMm)
{
    if (!isLandscape(paperMm))
        return onPage;
    const QTransform turn = pageToSheet(paperMm);
    return profileOf(turn.inverted() * mapOf(onPage) * turn);
}

PrinterProfile PrinterProfile::onPage(QSizeF paperMm) const
{
    return isLandscape(paperMm) ? profileOf(printerMap(paperMm)) : *this;
}

PrinterProfile PrinterProfile::rounded() const
{
    PrinterProfile r;
    r.shiftXMm = roundTo(shiftXMm, 10);
    r.shiftYMm = roundTo(shiftYMm, 10);
    r.scaleX = roundTo(scaleX, 10000);
    r.scaleY = roundTo(scaleY, 10000);
    r.rotationDegrees = roundTo(rotationDegrees, 1000);
    return r;
}

QString PrinterProfile::described() const
{
    const PrinterProfile r = rounded();
    if (r.isIdentity())
        return QStringLiteral("fara corectie");
    const auto shift = [](double mm, const char *plus, const char *minus) {
        return QStringLiteral("%1 mm %2").arg(fixed(std::abs(mm), 1), QLatin1String(mm < 0 ? minus : plus));
    };
    return QStringLiteral("deplasare %1 si %2; scara %3 pe orizontala si %4 pe verticala; rotire %5 grade%6")
        .arg(shift(r.shiftXMm, "la dreapta", "la stanga"), shift(r.shiftYMm, "in jos", "in sus"),
             fixed(r.scaleX, 4), fixed(r.scaleY, 4), fixed(std::abs(r.rotationDegrees), 3),
             r.rotationDegrees == 0  ? QString()
             : r.rotationDegrees > 0 ? QStringLiteral(" in sensul acelor de ceasornic")
                                     : QStringLiteral(" invers acelor de ceasornic"));
}

ProfileFit fitProfile(const QList<QPointF> &intendedMm, const QList<QPointF> &measuredMm)
{
    ProfileFit fit;
    const qsizetype count = std::min(intendedMm.size(), measuredMm.size());
    if (count < 3) {
        fit.error = QStringLiteral("Sunt necesare cel putin trei tinte masurate.");
        return fit;
    }
    // Gauss-Newton from no error at all, the shift taken as the mean miss: the turn is small, so
    // a few steps reach the least-squares profile.
    double p[5] = {0, 0, 1, 1, 0}; // shift x, shift y, scale x, scale y, turn (radians)
    for (qsizetype i = 0; i < count; ++i) {
        p[0] += (measuredMm[i].x() - intendedMm[i].x()) / double(count);
        p[1] += (measuredMm[i].y() - intendedMm[i].y()) / double(count);
    }
    for (int step = 0; step < 50; ++step) {
        std::array<std::array<double, 6>, 5> normal{};
        const double c = std::cos(p[4]), s = std::sin(p[4]);
        for (qsizetype i = 0; i < count; ++i) {
            const double x = intendedMm[i].x(), y = intendedMm[i].y();
            const double fx = c * p[2] * x - s * p[3] * y + p[0], fy = s * p[2] * x + c * p[3] * y + p[1];
            const double rows[2][6] = {{1, 0, c * x, -s * y, -s * p[2] * x - c * p[3] * y, measuredMm[i].x() - fx},
                                       {0, 1, s * x, c * y, c * p[2] * x - s * p[3] * y, measuredMm[i].y() - fy}};
            for (const auto &row : rows)
                for (int a = 0; a < 5; ++a)
                    for (int b = 0; b < 6; ++b)
                        normal[a][b] += row[a] * row[b];
        }
        std::array<double, 5> delta{};
        if (!solve(normal, delta)) {
            fit.error = QStringLiteral("Tintele masurate stau pe o singura linie: masurati si celelalte tinte.");
            return fit;
        }
        double moved = 0;
        for (int k = 0; k < 5; ++k) {
            p[k] += delta[k];
            moved = std::max(moved, std::abs(delta[k]) * (k < 2 ? 1 : 300)); // in mm across a sheet
        }
        if (moved < 1e-9)
            break;
    }
    fit.onPage = {p[0], p[1], p[2], p[3], qRadiansToDegrees(p[4])};
    const QTransform map = mapOf(fit.onPage);
    for (qsizetype i = 0; i < count; ++i) {
        const QPointF miss = measuredMm[i] - map.map(intendedMm[i]);
        fit.residuals.append(miss);
        fit.worstResidualMm = std::max(fit.worstResidualMm, std::hypot(miss.x(), miss.y()));
    }
    if (!std::isfinite(fit.worstResidualMm)) {
        fit.error = QStringLiteral("Masuratorile nu se potrivesc cu nicio asezare a paginii: verificati-le.");
        return fit;
    }
    if (std::abs(fit.onPage.rotationDegrees) > PrinterProfile::MaxRotationDegrees) {
        fit.error = QStringLiteral("Pagina iese rotita cu %1 grade, mai mult decat %2: asezati hartia drept in tava, "
                                   "tipariti din nou pagina de calibrare si verificati masuratorile.")
                        .arg(fixed(std::abs(fit.onPage.rotationDegrees), 2))
                        .arg(PrinterProfile::MaxRotationDegrees);
        return fit;
    }
    const auto scaleOk = [](double scale) { return scale >= PrinterProfile::MinScale && scale <= PrinterProfile::MaxScale; };
    if (!scaleOk(fit.onPage.scaleX) || !scaleOk(fit.onPage.scaleY)) {
        fit.error = QStringLiteral("Scara masurata, %1 pe orizontala si %2 pe verticala, este prea departe de 1: "
                                   "verificati masuratorile si tipariti la 100 %, fara \"fit to page\".")
                        .arg(fixed(fit.onPage.scaleX, 4), fixed(fit.onPage.scaleY, 4));
        return fit;
    }
    fit.ok = true;
    return fit;
}

namespace {

QString &settingsFile()
{
    static QString path;
    return path;
}

std::unique_ptr<QSettings> settings()
{
    if (settingsFile().isEmpty())
        return std::make_unique<QSettings>(QStringLiteral("Formulix"), QStringLiteral("Formulix"));
    return std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat);
}

const QString PrintersGroup = QStringLiteral("ProfileImprimante");
const QString FilesGroup = QStringLiteral("ProfilFisiere");

// A printer's name as one settings group: no "/" of it makes a group of its own.
QString groupOf(const QString &printer)
{
    if (printer.isEmpty())
        return FilesGroup;
    return PrintersGroup + u'/' + QString::fromLatin1(QUrl::toPercentEncoding(printer));
}

const char *const Keys[] = {"deplasareX", "deplasareY", "scaraX", "scaraY", "rotire"};

} // namespace

PrinterProfile ProfileStore::load(const QString &printer)
{
    const std::unique_ptr<QSettings> store = settings();
    store->beginGroup(groupOf(printer));
    PrinterProfile profile;
    double *fields[] = {&profile.shiftXMm, &profile.shiftYMm, &profile.scaleX, &profile.scaleY, &profile.rotationDegrees};
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        const double value = store->value(QLatin1String(Keys[i])).toDouble(&ok);
        if (ok && std::isfinite(value))
            *fields[i] = value;
    }
    // A hand-edited file past the limits is not trusted.
    const auto scaleOk = [](double scale) { return scale >= PrinterProfile::MinScale && scale <= PrinterProfile::MaxScale; };
    if (!scaleOk(profile.scaleX) || !scaleOk(profile.scaleY)
        || std::abs(profile.rotationDegrees) > PrinterProfile::MaxRotationDegrees || std::abs(profile.shiftXMm) > 100
        || std::abs(profile.shiftYMm) > 100)
        return PrinterProfile();
    return profile;
}

void ProfileStore::save(const QString &printer, const PrinterProfile &profile)
{
    const std::unique_ptr<QSettings> store = settings();
    if (profile.rounded().isIdentity()) {
        store->remove(groupOf(printer));
        return;
    }
    store->beginGroup(groupOf(printer));
    const double fields[] = {profile.shiftXMm, profile.shiftYMm, profile.scaleX, profile.scaleY, profile.rotationDegrees};
    for (int i = 0; i < 5; ++i)
        store->setValue(QLatin1String(Keys[i]), fields[i]);
}

QStringList ProfileStore::printers()
{
    const std::unique_ptr<QSettings> store = settings();
    store->beginGroup(PrintersGroup);
    QStringList names;
    for (const QString &group : store->childGroups())
        names.append(QUrl::fromPercentEncoding(group.toLatin1()));
    return names;
}

void ProfileStore::setSettingsFile(const QString &path)
{
    settingsFile() = path;
}

QString profileOwnerShown(const QString &printer)
{
    return printer.isEmpty() ? QStringLiteral("fisierele PDF si PNG") : QStringLiteral("imprimanta %1").arg(printer);
}

} // namespace formulix
