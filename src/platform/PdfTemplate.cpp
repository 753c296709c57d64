#include "platform/PdfTemplate.h"

#include "platform/PdfModule.h"
#include "platform/PictureLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <cmath>
#include <memory>

namespace formulix {

namespace {

constexpr double MmPerPoint = 25.4 / 72;

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

// The module is looked for where the install puts it beside the program; a program run from the
// build tree that made it (the tests and benchmarks) takes the one built there, an installed one
// never does.
PdfOpenFunction pdfModule()
{
    static const PdfOpenFunction open = [] {
        const QString programDir = QCoreApplication::applicationDirPath();
        QStringList places{QDir(programDir).filePath(QStringLiteral(FORMULIX_PDF_MODULE_RELATIVE))};
        const QString buildTree = QStringLiteral(FORMULIX_BUILD_TREE);
        if (programDir == buildTree || programDir.startsWith(buildTree + u'/'))
            places.append(buildTree + QStringLiteral("/formulix_pdf"));
        for (const QString &place : places) {
            QLibrary module(place);
            if (const auto entry = reinterpret_cast<PdfOpenFunction>(module.resolve(PdfModuleEntry)))
                return entry; // stays loaded: QLibrary does not unload on destruction
        }
        return PdfOpenFunction(nullptr);
    }();
    return open;
}

std::unique_ptr<PdfDocument> openDocument(const QByteArray &data, const QString &name, QString *error)
{
    const PdfOpenFunction open = pdfModule();
    if (!open) {
        fail(error, QStringLiteral("Documentul %1 nu poate fi citit: modulul PDF al programului lipseste din instalare. "
                                   "Reinstalati Formulix sau incarcati formularul scanat ca imagine.").arg(name));
        return nullptr;
    }
    PdfOpening outcome = PdfOpening::Damaged;
    std::unique_ptr<PdfDocument> document(open(data, &outcome));
    if (outcome == PdfOpening::Locked) {
        fail(error, QStringLiteral("Documentul %1 este protejat prin parola; salvati formularul fara parola si "
                                   "incarcati-l din nou.").arg(name));
        return nullptr;
    }
    if (!document || outcome != PdfOpening::Opened) {
        fail(error, QStringLiteral("Fisierul %1 este deteriorat sau incomplet: documentul PDF nu poate fi citit.").arg(name));
        return nullptr;
    }
    if (document->pageCount() < 1) {
        fail(error, QStringLiteral("Documentul %1 nu are nicio pagina.").arg(name));
        return nullptr;
    }
    return document;
}

} // namespace

bool isPdf(const QByteArray &data)
{
    // Readers take the header anywhere in the first kilobyte.
    return data.left(1024).contains("%PDF-");
}

int pdfPageCount(const QByteArray &data, const QString &name, QString *error)
{
    const std::unique_ptr<PdfDocument> document = openDocument(data, name, error);
    return document ? document->pageCount() : -1;
}

std::optional<Picture> renderPdfTemplate(const QByteArray &data, int page, const QString &name, double pixelsPerMm,
                                         QString *error)
{
    const std::unique_ptr<PdfDocument> document = openDocument(data, name, error);
    if (!document)
        return std::nullopt;
    const QSizeF points = document->pageSizePoints(page);
    if (!points.isValid()) {
        fail(error, QStringLiteral("Documentul %1 nu are pagina %2.").arg(name).arg(page + 1));
        return std::nullopt;
    }
    const QSizeF sizeMm = points * MmPerPoint;
    if (!(sizeMm.width() >= MinTemplateSideMm && sizeMm.height() >= MinTemplateSideMm
          && sizeMm.width() <= MaxTemplateSideMm && sizeMm.height() <= MaxTemplateSideMm)) {
        fail(error, QStringLiteral("Pagina %1 din %2 masoara %3 x %4 mm; o macheta masoara intre %5 si %6 mm pe "
                                   "fiecare latura.")
                        .arg(page + 1)
                        .arg(name)
                        .arg(std::lround(sizeMm.width()))
                        .arg(std::lround(sizeMm.height()))
                        .arg(MinTemplateSideMm)
                        .arg(MaxTemplateSideMm));
        return std::nullopt;
    }
    const QSize pixels = withinPixelBudget(pictureDevicePixels(sizeMm, pixelsPerMm));
    const double dpiX = pixels.width() / (sizeMm.width() / 25.4), dpiY = pixels.height() / (sizeMm.height() / 25.4);
    QImage image = document->render(page, dpiX, dpiY);
    if (image.isNull()) {
        fail(error, QStringLiteral("Pagina %1 din %2 nu poate fi desenata.").arg(page + 1).arg(name));
        return std::nullopt;
    }
    return Picture{image.convertToFormat(QImage::Format_RGB32), sizeMm};
}

} // namespace formulix
