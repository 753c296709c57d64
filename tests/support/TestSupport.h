#pragma once
// Helpers shared by the test programs.

#include <QDir>
#include <QPoint>
#include <QPointF>
#include <QString>

class QWidget;

namespace formulix::test {

// The pixel inside `widget` of a point given in millimetres from its top-left corner.
QPoint mmToPixel(const QWidget *widget, QPointF mm);

// A whole file's bytes (empty when it cannot be read), and writing them over a file.
QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);

// The folder of real Access-written databases beside the project, or an empty string (with
// the reason in `why`) when it is not there.
QString sharedMdbDir(QString *why = nullptr);

} // namespace formulix::test
