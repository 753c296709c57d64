// "Salveaza Schema" and "Deschide Schema": the layout written to and read from a .tip file.

#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "core/layout/SchemaCodec.h"

#include <QApplication>
#include <QDir>
#include <QUndoStack>

namespace formulix {

namespace {

const QString SchemaFilter = QStringLiteral("(tip file)|*.tip");

} // namespace

void frmEcranPrincipal::mnuSalveazaSch_Click()
{
    CommonDialog1.prepare(SchemaFilter);
    CommonDialog1.ShowSave(this);
    const QString fileName = CommonDialog1.FileName;
    if (fileName.isEmpty())
        return;
    // The file is replaced whole or not at all; what was on disk stays when writing fails. Never
    // over the database or the template the layout is made from.
    QString reason;
    if (const QString input = inputAt(fileName); input != QLatin1String("schema") && !input.isEmpty())
        reason = QStringLiteral("este chiar %1 folosita").arg(input);
    if (!reason.isEmpty() || !saveSchemaFile(fileName, m, &reason)) {
        MessageBox::information(this, applicationTitle(),
                                QStringLiteral("Schema nu a putut fi salvata in fisierul %1: %2. Fisierul a ramas "
                                               "cum era.")
                                    .arg(QDir::toNativeSeparators(fileName), reason));
        return;
    }
    m_schemaFile = fileName;
    m_document->markSaved();
}

bool frmEcranPrincipal::layoutChanged() const
{
    // Undone back to what was saved, the layout is unchanged; a step the file does not keep
    // (the orientation) is no reason to ask either.
    return m_document->hasUnsavedChanges();
}

bool frmEcranPrincipal::confirmLayoutSaved()
{
    if (!layoutChanged())
        return true;
    switch (MessageBox::question(this, applicationTitle(), QStringLiteral("Salvati modificarile schemei?"))) {
    case MessageBox::Answer::Yes:
        mnuSalveazaSch_Click();
        return !layoutChanged(); // a cancelled or failed save keeps everything as it was
    case MessageBox::Answer::No:
        return true;
    case MessageBox::Answer::Cancel:
        break;
    }
    return false;
}

void frmEcranPrincipal::mnuDeschSch_Click()
{
    if (!confirmLayoutSaved())
        return;
    CommonDialog1.prepare(SchemaFilter);
    CommonDialog1.ShowOpen(this);
    const QString fileName = CommonDialog1.FileName;
    if (fileName.isEmpty())
        return;
    const SchemaResult result = loadSchemaFile(fileName);
    const QString shownName = QDir::toNativeSeparators(fileName);
    switch (result.status) {
    case SchemaStatus::CannotOpen:
        return;
    case SchemaStatus::TooManyFields:
        MessageBox::information(this, applicationTitle(),
                                QStringLiteral("Fisierul %1 nu poate fi deschis: schema are mai multe campuri "
                                               "decat se pot defini (%2 generale si %3 din baza de date).")
                                    .arg(shownName)
                                    .arg(Module1::MaxCampuriGen)
                                    .arg(Module1::MaxCampuriBD));
        return;
    case SchemaStatus::Truncated:
        MessageBox::information(this, applicationTitle(),
                                QStringLiteral("Fisierul %1 nu poate fi deschis: schema este incompleta.")
                                    .arg(shownName));
        return;
    case SchemaStatus::Loaded:
        break;
    }

    const PendingEdit edit = beginEdit();
    applySchema(result.schema, m);
    m_schemaFile = fileName;
    m_chosenRecord = 0; // its stored values print until a record is taken
    showWhoPrints();
    MessageBox::information(this, QStringLiteral("Baza de date utilizata"),
                            QStringLiteral("Schema foloseste tabela: ") + result.schema.shownNumeTabela()
                                + QStringLiteral(" din baza de date: ") + result.schema.shownCaleBazaDate());
    Picture1->setToolTip(QStringLiteral("Click dreapta pentru selectie/deselectie"));
    // The fields were replaced: a marker left over one would name another field.
    clearSelection();
    RedeseneazaCampuri();
    recordEdit(edit, QStringLiteral("deschiderea schemei"));
    m_document->markSaved();
}

} // namespace formulix
