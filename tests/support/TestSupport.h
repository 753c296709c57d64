#pragma once
// Helpers shared by the test programs.

#include <QDir>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <functional>

class QImage;
class QWidget;

namespace formulix {
class frmEcranPrincipal;
}

namespace formulix::test {

// The pixel inside `widget` of a point given in millimetres from its top-left corner.
QPoint mmToPixel(const QWidget *widget, QPointF mm);

// A whole file's bytes (empty when it cannot be read), and writing them over a file.
QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &bytes);

// Runs `work` as a user who may not read `path`: the file's permissions taken away and, in a test
// run as root (whom permissions do not stop), `work` run as the user nobody. False, with why,
// when that cannot be arranged.
bool withoutReadPermission(const QString &path, const std::function<void()> &work, QString *why);
// Makes a FIFO at `path` and runs `work`, which opens it, on a thread of its own. An open of a
// FIFO waits for a writer: when `work` still runs after five seconds, a writer lets it go and
// false is returned.
bool endsWithoutWaitingOnFifo(const QString &path, const std::function<void()> &work);

// The folder of real Access-written databases beside the project, or an empty string (with
// the reason in `why`) when it is not there.
QString sharedMdbDir(QString *why = nullptr);

// The test print queue (a cups-pdf queue the test script makes the default for one test):
// why a test cannot use it, or "" when it can.
QString testQueueUnavailable();
// The PDFs the queue has written so far.
QStringList queuedPdfs();
// The first PDF the queue writes after `before` for which `ready` holds, once it is closed; ""
// after two minutes.
QString waitForQueuedPdf(const QStringList &before, const std::function<bool(const QString &)> &ready);

// A PDF read by poppler's tools: its page count, one page's text as laid out, one page drawn
// at `dpi` (null when it cannot be).
int pdfPages(const QString &pdf);
QString pdfPageText(const QString &pdf, int page);
QImage renderPdfPage(const QString &pdf, int page, int dpi);

// The main window driven as a user drives it, through the dialog seams.
void loadTemplate(frmEcranPrincipal &window, const QString &path);
void openSchema(frmEcranPrincipal &window, const QString &path);
void loadDatabase(frmEcranPrincipal &window, const QString &path);
// A click on the table's name in the panel's list; false when it is not listed.
bool chooseTable(frmEcranPrincipal &window, const QString &name);

} // namespace formulix::test
