// "Incarca baza de date", choosing a table, and "Selecteaza Inregistrare".

#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "core/files/FileSafety.h"
#include "core/records/CsvSource.h"
#include "core/records/ColumnMatch.h"
#include "core/records/RecordSources.h"
#include "gui/data/TextTableDialog.h"
#include "widgets/Units.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>

namespace formulix {

void frmEcranPrincipal::mnuIncarcaBaza_Click()
{
    CommonDialog1.prepare(sourceFileFilter());
    CommonDialog1.ShowOpen(this);
    const QString fileName = CommonDialog1.FileName;
    if (fileName.isEmpty() || !isSourceFileName(fileName))
        return;
    // A text table is read as the user says, remembered for the file; "Anulare" loads nothing.
    // What is no file to read (a FIFO, a folder) goes on to be told why.
    if (isTextTable(fileName) && notRegularFile(fileName).isEmpty()) {
        const CsvOptions remembered = rememberedCsvOptions(fileName);
        const std::optional<CsvOptions> chosen = TextTableDialog::ask(this, fileName, remembered);
        if (!chosen)
            return;
        if (*chosen != remembered)
            rememberCsvOptions(fileName, *chosen);
    }

    const QString previousName = Data1->DatabaseName, previousSource = Data1->RecordSource;
    Data1->DatabaseName = fileName;
    Data1->RecordSource.clear();
    QString reason;
    const bool opened = Data1->Refresh(&reason);
    if (Data1->cancelled()) {
        // Stopped by the user: the database and the table chosen before stay.
        Data1->DatabaseName = previousName;
        Data1->RecordSource = previousSource;
        return;
    }

    m.CaleBazaDate = fileName;
    Frame1->hide();
    mm::move(Frame2, 0, 0);
    mm::resize(Frame2, mm::width(m_client), mm::height(Frame1));
    Frame2->show();

    // Only the new file's tables are listed: a name left from another file would not open.
    m_fillingLists = true;
    List1->clear();
    m_fillingLists = false;
    // The engine's reason, naming the file, unless the user was told already (a password).
    if (!opened) {
        if (!Data1->failureShown())
            MessageBox::information(this, applicationTitle(), reason);
        return;
    }
    m_fillingLists = true;
    List1->addItems(Data1->database()->tableNames());
    m_fillingLists = false;
    MessageBox::information(this, applicationTitle(),
                            QStringLiteral("Selectati tabela din care preluati date!"));
}

void frmEcranPrincipal::List1_Click()
{
    if (!List1->currentItem())
        return;
    const QString table = List1->currentItem()->text();
    const QString previous = Data1->RecordSource;
    Data1->RecordSource = table;
    QString reason;
    const bool opened = Data1->Refresh(&reason);
    if (Data1->cancelled()) {
        // Stopped by the user: the table chosen before stays, with its columns.
        Data1->RecordSource = previous;
        const QList<QListWidgetItem *> before = List1->findItems(previous, Qt::MatchExactly);
        m_fillingLists = true;
        List1->setCurrentItem(before.isEmpty() ? nullptr : before.constFirst());
        m_fillingLists = false;
        return;
    }
    m_fillingLists = true;
    List2->clear();
    m_fillingLists = false;
    m.NumeTabela = table;
    if (!m.NumeTabela.isEmpty()) {
        mnuSelInreg->setEnabled(true);
        Picture1->setFocus();
    }
    // The file may have changed since its tables were listed: list those it has now.
    if (const RecordSource *database = Data1->database(); database && database->tableNames() != tableList()) {
        m_fillingLists = true;
        List1->clear();
        List1->addItems(database->tableNames());
        const QList<QListWidgetItem *> chosen = List1->findItems(table, Qt::MatchExactly);
        if (!chosen.isEmpty())
            List1->setCurrentItem(chosen.constFirst());
        m_fillingLists = false;
    }
    if (!opened) {
        if (!Data1->failureShown())
            MessageBox::information(this, applicationTitle(), reason);
        return;
    }
    PermiteCampuriBD = true;
    mnuDefCampBazaDate->setEnabled(PermiteCampuriBD);
    mnuIncarcaBaza->setEnabled(false);
    m_fillingLists = true;
    List2->addItems(Data1->recordset()->columnNames());
    m_fillingLists = false;
    TabelaAleasa = true;
    m_chosenRecord = 0;
    showWhoPrints();
    printRecordsAction->setEnabled(TabelaAleasa);
    AsteaptaCampBD = false;
}

QStringList frmEcranPrincipal::tableList() const
{
    QStringList names;
    for (int i = 0; i < List1->count(); ++i)
        names.append(List1->item(i)->text());
    return names;
}

void frmEcranPrincipal::mnuSelInreg_Click()
{
    showWindow(m_frmSelectie, [this] { return new frmSelectie(*this); });
}

} // namespace formulix

namespace formulix {

void frmEcranPrincipal::recordTaken(qint64 number, const QString &label)
{
    m_chosenRecord = number;
    m_chosenLabel = label;
    showWhoPrints();
}

void frmEcranPrincipal::showWhoPrints()
{
    QString text;
    if (m_chosenRecord > 0 && TabelaAleasa)
        text = m_chosenLabel.isEmpty() ? QStringLiteral("Inregistrarea %1").arg(m_chosenRecord)
                                       : QStringLiteral("Inregistrarea %1: %2").arg(m_chosenRecord).arg(m_chosenLabel);
    else if (!m_schemaFile.isEmpty())
        text = QStringLiteral("Valori salvate in schema");
    else if (TabelaAleasa)
        text = QStringLiteral("Nicio inregistrare aleasa");
    // Fields whose column the table lacks print nothing: the user sees which.
    if (const RecordCursor *rows = TabelaAleasa ? Data1->recordset() : nullptr) {
        if (const QStringList missing = missingColumns(m, rows->columnNames()); !missing.isEmpty())
            text += QStringLiteral(". Campuri fara coloana in tabela %1: %2").arg(m.NumeTabela, missing.join(QStringLiteral(", ")));
    }
    recordStatus->setText(text);
}

} // namespace formulix
