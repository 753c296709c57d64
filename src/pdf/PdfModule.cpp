// The module that reads PDF forms with poppler (see platform/PdfModule.h).
#include "platform/PdfModule.h"

#include <poppler-qt6.h>

#include <memory>

namespace formulix {

namespace {

// poppler says what it finds wrong on stderr; the user is told in a message box instead.
void quiet(const QString &, const QVariant &) {}

class PopplerDocument final : public PdfDocument
{
public:
    explicit PopplerDocument(std::unique_ptr<Poppler::Document> document) : m_document(std::move(document))
    {
        m_document->setRenderHint(Poppler::Document::Antialiasing);
        m_document->setRenderHint(Poppler::Document::TextAntialiasing);
        m_document->setPaperColor(Qt::white);
    }

    int pageCount() const override { return m_document->numPages(); }

    QSizeF pageSizePoints(int page) const override
    {
        const std::unique_ptr<Poppler::Page> sheet = m_document->page(page);
        return sheet ? sheet->pageSizeF() : QSizeF();
    }

    QImage render(int page, double dpiX, double dpiY) const override
    {
        const std::unique_ptr<Poppler::Page> sheet = m_document->page(page);
        return sheet ? sheet->renderToImage(dpiX, dpiY) : QImage();
    }

private:
    std::unique_ptr<Poppler::Document> m_document;
};

} // namespace

} // namespace formulix

extern "C" Q_DECL_EXPORT formulix::PdfDocument *formulixOpenPdf(const QByteArray &data, formulix::PdfOpening *outcome)
{
    using namespace formulix;
    static const bool silenced = (Poppler::setDebugErrorFunction(quiet, QVariant()), true);
    Q_UNUSED(silenced);
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(data);
    if (!document) {
        *outcome = PdfOpening::Damaged;
        return nullptr;
    }
    if (document->isLocked()) {
        *outcome = PdfOpening::Locked;
        return nullptr;
    }
    *outcome = PdfOpening::Opened;
    return new PopplerDocument(std::move(document));
}
