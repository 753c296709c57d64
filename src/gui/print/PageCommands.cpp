// "Seteaza Pagina" and "Tipareste".

#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "printer/Printer.h"
#include "core/page/PageComposer.h"

namespace formulix {

void composePage(const Module1 &m, PictureBox &page)
{
    // General fields first, then database fields, each table in index order.
    auto print = [&page](const Camp &camp) {
        page.setCurrentX(camp.X);
        page.setCurrentY(camp.Y);
        page.setFontSize(camp.MarimeFont);
        page.printText(camp.Text.shown());
    };
    for (int i = 1; i <= m.usedGen(); ++i)
        print(*m.CampuriGen.at(i));
    for (int i = 1; i <= m.usedBD(); ++i)
        print(*m.CampuriBD.at(i));
}

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
    composePage(m, *Picture3);
}

void frmEcranPrincipal::mnuTipareste_Click()
{
    if (refuseSecondJob())
        return;
    Picture3->setSizeMm(Picture1->widthMm(), Picture1->heightMm());
    Picture3->setBackColor(Qt::white);
    CompunePagina();
    QList<PictureBox::PrintedText> texts = Picture3->printedTexts();
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
    const PageOrientation orientation = m.Orientare == 1 ? PageOrientation::Landscape
        : m.Orientare == 2                               ? PageOrientation::Portrait
                                                         : PageOrientation::Unchanged;
    const PrintResult result = printPage(texts, QSizeF(Picture3->widthMm(), Picture3->heightMm()),
                                         m.PozStanga, m.PozSus, orientation, applicationTitle());
    if (!result.ok || !result.notice.isEmpty())
        MessageBox::information(this, applicationTitle(), result.ok ? result.notice : result.error);
}

} // namespace formulix
