#pragma once
// Whether a page's texts fit the paper they print on: a form laid out in portrait and printed in
// landscape loses the fields past the paper's end, and nothing else would say so.

#include "core/layout/Module1.h"
#include "core/page/PageRenderer.h"

#include <QRectF>
#include <QStringList>

namespace formulix {

// The fields of `layout` whose texts on `page` (composed from it) would not print whole on the
// paper of `geometry`, named as the user knows them (a general field by its text in quotes, a
// database field by its column), each once. A database field without a value on this page
// counts by the place its text would start.
QStringList fieldsOutside(const Module1 &layout, const PageContent &page, const PageGeometry &geometry);

// What the user is told of them, in Romanian: "Campurile ... ies din zona tiparibila ...".
QString fieldsOutsideMessage(const QStringList &fields, PageOrientation orientation);

} // namespace formulix
