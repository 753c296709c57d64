#pragma once
// A form handed out as a PDF: one of its pages as the template, at its exact page size, drawn
// no finer than the screen needs and within the pixel budget.

#include "platform/Picture.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace formulix {

bool isPdf(const QByteArray &data);
// How many pages the document has; -1, with a Romanian message naming the file, when it cannot
// be read (damaged, or locked with a password).
int pdfPageCount(const QByteArray &data, const QString &name, QString *error);
// Page `page` (from 0) rendered for `pixelsPerMm` device pixels per millimetre.
std::optional<Picture> renderPdfTemplate(const QByteArray &data, int page, const QString &name, double pixelsPerMm,
                                         QString *error);

} // namespace formulix
