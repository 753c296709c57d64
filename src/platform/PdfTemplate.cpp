#include "platform/PdfTemplate.h"

#include "platform/PictureLoader.h"

#include <poppler-qt6.h>

#include <cmath>

namespace formulix {

namespace {

constexpr double MmPerPoint = 25.4 / 72;

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

// poppler says what it finds wrong on stderr; the user is told in a message box instead.
void quiet(const QString &, const QVariant &) {}

std::unique_ptr<Poppler::Document> openDocument(const QByteArray &data, const QString &name, QString *error)
{
    static const bool silenced = (Poppler::setDebugErrorFunction(quiet, QVariant()), true);
    Q_UNUSED(silenced);
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(data);
    if (!document) {
        fail(error, QStringLiteral("Fisierul %1 este deteriorat sau incomplet: documentul PDF nu poate fi citit.").arg(name));
        return nullptr;
    }
    if (document->isLocked()) {
        fail(error, QStringLiteral("Documentul %1 este protejat prin parola; salvati formularul fara parola si "
                                   "incarcati-l din nou.").arg(name));
        return nullptr;
    }
    if (document->numPages() < 1) {
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
    const std::unique_ptr<Poppler::Document> document = openDocument(data, name, error);
    return document ? document->numPages() : -1;
}

std::optional<Picture> renderPdfTemplate(const QByteArray &data, int page, const QString &name, double pixelsPerMm,
                                         QString *error)
{
    const std::unique_ptr<Poppler::Document> document = openDocument(data, name, error);
    if (!document)
        return std::nullopt;
    const std::unique_ptr<Poppler::Page> sheet = document->page(page);
    if (!sheet) {
        fail(error, QStringLiteral("Documentul %1 nu are pagina %2.").arg(name).arg(page + 1));
        return std::nullopt;
    }
    const QSizeF sizeMm = sheet->pageSizeF() * MmPerPoint;
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
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    document->setPaperColor(Qt::white);
    QImage image = sheet->renderToImage(dpiX, dpiY);
    if (image.isNull()) {
        fail(error, QStringLiteral("Pagina %1 din %2 nu poate fi desenata.").arg(page + 1).arg(name));
        return std::nullopt;
    }
    return Picture{image.convertToFormat(QImage::Format_RGB32), sizeMm};
}

} // namespace formulix
