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
    // The records and the block keep everything today; should a later member be missed, it is said.
    if (const QStringList lost = schemaLosses(m, fileName); !lost.isEmpty())
        MessageBox::information(this, applicationTitle(),
                                QStringLiteral("Schema a fost salvata in fisierul %1, dar nu pastreaza exact: %2.")
                                    .arg(QDir::toNativeSeparators(fileName), lost.join(QStringLiteral("; "))));
}

bool frmEcranPrincipal::layoutChanged() const
{
    // Undone back to what was saved, the layout is unchanged.
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
    if (!result.schema.ignoredBlock.isEmpty())
        MessageBox::information(this, applicationTitle(),
                                QStringLiteral("Schema %1 a fost deschisa fara stilurile campurilor, macheta si orientarea "
                                               "salvate cu ea: %2.")
                                    .arg(shownName, result.schema.ignoredBlock));
    Picture1->setToolTip(QStringLiteral("Click dreapta pentru selectie/deselectie"));
    // The fields were replaced: a marker left over one would name another field.
    clearSelection();
    RedeseneazaCampuri();
    recordEdit(edit, QStringLiteral("Deschide Schema"));
    m_document->markSaved();
    offerSchemaTemplate(result.schema);
}

void frmEcranPrincipal::offerSchemaTemplate(const Schema &schema)
{
    const Module1::TemplateMemory &saved = schema.templ;
    if (saved.file.isEmpty() && schema.templateRelative.isEmpty())
        return;
    const QString found = findSchemaTemplate(schema, m_schemaFile);
    if (found.isEmpty()) {
        MessageBox::information(this, applicationTitle(),
                                QStringLiteral("Macheta salvata cu schema, %1, nu a fost gasita; a ramas macheta de pana acum.")
                                    .arg(QDir::toNativeSeparators(saved.file.isEmpty() ? schema.templateRelative : saved.file)));
        return;
    }
    // Already there as it was saved: nothing to ask.
    if (m.templ.file == found && m.templ.page == saved.page && m.templ.scale == saved.scale)
        return;
    if (MessageBox::question(this, applicationTitle(), QStringLiteral("Incarc macheta salvata cu schema?"))
        != MessageBox::Answer::Yes)
        return;
    if (loadTemplateFile(found, saved.page, saved.scale))
        RedeseneazaCampuri();
}

} // namespace formulix
