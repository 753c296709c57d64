// The module that reads PDF forms with poppler (see platform/PdfModule.h).
#include "core/pictures/PdfModule.h"

#include <poppler-qt6.h>
// The page dictionary itself, for what the Qt interface does not read.
#include <PDFDoc.h>
#include <Page.h>
#include <Stream.h>

#include <cmath>
#include <memory>

namespace formulix {

namespace {

// poppler says what it finds wrong on stderr; the user is told in a message box instead.
void quiet(const QString &, const QVariant &) {}

class PopplerDocument final : public PdfDocument
{
public:
    PopplerDocument(std::unique_ptr<Poppler::Document> document, const QByteArray &data)
        : m_document(std::move(document)), m_data(data)
    {
        m_document->setRenderHint(Poppler::Document::Antialiasing);
        m_document->setRenderHint(Poppler::Document::TextAntialiasing);
        m_document->setPaperColor(Qt::white);
        // Written out, or inside a compressed object stream: elsewhere a page has none.
        m_mayHaveUnits = m_data.contains("UserUnit") || m_data.contains("/ObjStm");
    }

    int pageCount() const override { return m_document->numPages(); }

    QSizeF pageSizePoints(int page) const override
    {
        const std::unique_ptr<Poppler::Page> sheet = m_document->page(page);
        return sheet ? sheet->pageSizeF() * userUnit(page) : QSizeF();
    }

    QImage render(int page, double dpiX, double dpiY) const override
    {
        const std::unique_ptr<Poppler::Page> sheet = m_document->page(page);
        const double unit = userUnit(page);
        return sheet ? sheet->renderToImage(dpiX * unit, dpiY * unit) : QImage();
    }

private:
    // A page's /UserUnit: how many points one unit of its boxes and drawing is (PDF 1.6), for
    // forms drawn larger than the 5 m that units of a point allow. poppler draws in units and
    // leaves the factor to us.
    double userUnit(int page) const
    {
        if (!m_mayHaveUnits)
            return 1;
        if (!m_pages)
            m_pages = std::make_unique<PDFDoc>(new MemStream(m_data.constData(), 0, m_data.size(), Object(objNull)));
        if (!m_pages->isOk() || page < 0 || page >= m_pages->getNumPages())
            return 1;
        ::Page *sheet = m_pages->getPage(page + 1);
        if (!sheet)
            return 1;
        const Object unit = m_pages->getXRef()->fetch(sheet->getRef()).dictLookup("UserUnit");
        return unit.isNum() && std::isfinite(unit.getNum()) && unit.getNum() > 0 ? unit.getNum() : 1;
    }

    std::unique_ptr<Poppler::Document> m_document;
    QByteArray m_data; // the bytes both readers read from
    bool m_mayHaveUnits = false;
    mutable std::unique_ptr<PDFDoc> m_pages;
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
    return new PopplerDocument(std::move(document), data);
}
