#pragma once
// The PDF reader lives in a module of its own, opened the first time a PDF form is loaded: the
// library it needs pulls in some fifteen more, which every start of the program would otherwise
// pay for. Both sides are built together, so a C++ interface crosses between them.

#include <QByteArray>
#include <QImage>
#include <QSizeF>

namespace formulix {

class PdfDocument
{
public:
    virtual ~PdfDocument() = default;
    virtual int pageCount() const = 0;
    // The page's size in points; invalid when there is no such page.
    virtual QSizeF pageSizePoints(int page) const = 0;
    // Drawn on white at the given resolution; null when it cannot be drawn.
    virtual QImage render(int page, double dpiX, double dpiY) const = 0;
};

enum class PdfOpening { Opened, Damaged, Locked };

// What the module exports, under the name PdfModuleEntry.
using PdfOpenFunction = PdfDocument *(*)(const QByteArray &data, PdfOpening *outcome);
constexpr const char *PdfModuleEntry = "formulixOpenPdf";

} // namespace formulix
