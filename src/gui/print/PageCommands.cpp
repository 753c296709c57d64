// "Seteaza Pagina" and "Tipareste".

#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "printer/Printer.h"
#include "core/page/PageComposer.h"

namespace formulix {

void frmEcranPrincipal::mnuSeteazaPag_Click()
{
    showWindow(m_frmPozitie, [this] {
        auto *window = new frmPozitie(m);
        connect(window, &frmPozitie::aboutToStore, this, [this] { m_pageEdit = beginEdit(); });
        connect(window, &frmPozitie::stored, this, [this] { recordEdit(m_pageEdit, QStringLiteral("Seteaza Pagina")); });
        return window;
    });
}

void frmEcranPrincipal::CompunePagina()
{
    for (const PrintedText &text : composePage(m).texts)
        Picture3->printText(text);
}

void frmEcranPrincipal::mnuTipareste_Click()
{
    if (refuseSecondJob())
        return;
    Picture3->setSizeMm(Picture1->widthMm(), Picture1->heightMm());
    Picture3->setBackColor(Qt::white);
    CompunePagina();
    QList<PrintedText> texts = Picture3->printedTexts();
    // The record taken last prints with its own values, read again, whatever the layout's texts
    // became since (an undo brings back an older record's).
    const RecordChoice current = currentRecordRead(RecordChoice());
    if (current.kind != RecordChoice::Current) {
        QString error;
        PageContent page;
        const std::unique_ptr<RecordPages> pages = recordPages(current, &error);
        if (!pages || !pages->page(0, &page, &error)) {
            MessageBox::information(this, applicationTitle(), error);
            return;
        }
        texts = page.texts;
    }
    const PageOrientation orientation = pageOrientation();
    const QSizeF pageMm(Picture3->widthMm(), Picture3->heightMm());
    // Without a printer there is no paper to check against: printPage says so.
    if (const std::unique_ptr<PageJob> paper = PageJob::toDefaultPrinter(nullptr)) {
        paper->prepare(orientation);
        if (!goOnOutsidePaper(PageContent(texts), pageMm, paper->printableMm()))
            return;
    }
    const PrintResult result = printPage(texts, pageMm, m.PozStanga, m.PozSus, orientation, applicationTitle());
    if (!result.ok || !result.notice.isEmpty())
        MessageBox::information(this, applicationTitle(), result.ok ? result.notice : result.error);
}

} // namespace formulix
