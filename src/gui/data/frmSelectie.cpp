#include "gui/data/frmSelectie.h"

#include "gui/app/Application.h"
#include "gui/app/frmEcranPrincipal.h"
#include "widgets/ActivationTracker.h"
#include "widgets/DataControl.h"
#include "widgets/DataGrid.h"
#include "widgets/Dialogs.h"
#include "widgets/Units.h"
#include "core/page/PageComposer.h"
#include "core/records/RecordSource.h"
#include "core/page/FieldText.h"

#include <QAction>
#include <QApplication>
#include <QDir>

namespace formulix {

frmSelectie::frmSelectie(frmEcranPrincipal &main) : QWidget(nullptr, Qt::Window), m_main(main)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Tabel cu inregistrari"));
    const double dpi = logicalDpi(this);
    resize(twipsToPixels(10635, dpi), twipsToPixels(5595, dpi));

    Data1 = new DataControl(this);
    mm::resize(Data1, 80, 7);
    DBGrid1 = new DataGrid(Data1, this);
    DBGrid1->setCaption(QStringLiteral("Selectati inregistrarea dorita"));

    connect(Data1, &DataControl::reposition, this, &frmSelectie::Data1_Reposition);
    ActivationTracker::registerWindow(this);
    connect(&ActivationTracker::instance(), &ActivationTracker::activated, this, [this](QWidget *window) {
        if (window == this)
            Form_Activate();
    });
}

void frmSelectie::Form_Activate()
{
    Data1->DatabaseName = m_main.m.CaleBazaDate;
    Data1->RecordSource = m_main.m.NumeTabela;
    // The password the main window was given, so a protected database is not asked for again.
    Data1->Password = m_main.Data1->Password;
    // The table is opened anew at every activation, so the first record is current again.
    QString reason;
    if (!Data1->Refresh(&reason)) {
        // Stopped by the user: the rows shown before stay.
        if (Data1->cancelled()) {
            if (!Data1->recordset())
                Data1->setCaption(QStringLiteral("Record: 0"));
            return;
        }
        const QString message = Data1->database()
            ? QStringLiteral("Tabela %1 din baza de date %2 nu poate fi deschisa.")
                  .arg(m_main.m.NumeTabela, QDir::toNativeSeparators(m_main.m.CaleBazaDate))
            : QStringLiteral("Baza de date %1 nu poate fi deschisa.").arg(QDir::toNativeSeparators(m_main.m.CaleBazaDate));
        Data1->setCaption(QStringLiteral("Record: 0"));
        MessageBox::information(this, applicationTitle(), message);
    }
}

void frmSelectie::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmSelectie::Form_Resize()
{
    const double width = mm::width(this);
    const double height = mm::height(this);
    const double controlHeight = mm::height(Data1);
    mm::move(DBGrid1, 0, 0);
    // A window lower than the data control leaves no room for the grid rather than a negative one.
    mm::resize(DBGrid1, width, qMax(0.0, height - controlHeight - 5));
    mm::move(Data1, (width - mm::width(Data1)) / 2, height - controlHeight);
}

void frmSelectie::Data1_Reposition()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    Data1->setCaption(QStringLiteral("Record: %1").arg(Data1->absolutePosition() + 1));
    PreiaInregistrarea();
}

void frmSelectie::PreiaInregistrarea()
{
    PictureBox *canvas = m_main.Picture1;
    Module1 &m = m_main.m;
    if (const qint64 row = Data1->absolutePosition(); row >= 0) {
        // The record named by its first text: a name rather than a number or a code of digits.
        QString label;
        const RecordCursor *rows = Data1->recordset();
        for (int c = 0; rows && label.isEmpty() && c < rows->columnNames().size(); ++c) {
            const QString value = rows->text(row, c).simplified();
            if (std::any_of(value.begin(), value.end(), [](QChar ch) { return ch.isLetter(); }))
                label = value;
        }
        m_main.recordTaken(row + 1, label);
    }
    canvas->setPicture(m_main.Picture2->picture());
    // A composed text shows the record's values, as it prints.
    const ColumnLookup columns = [this](const QString &column) { return Data1->value(column); };
    for (int i = 1; i <= m.usedGen(); ++i)
        canvas->printText(printedField(*m.CampuriGen.at(i), generalText(*m.CampuriGen.at(i), columns)));

    for (int i = 1; i <= m.usedBD(); ++i) {
        Camp &camp = *m.CampuriBD.at(i);
        // Without a current record or such a column the field keeps its text and is not drawn.
        const std::optional<QString> value = Data1->value(trimBlanks(columnName(camp)));
        if (!value)
            continue;
        const std::optional<QString> shown = takeRecordValue(camp, *value);
        if (!shown)
            continue;
        canvas->printText(printedField(camp, *shown));
    }
}

} // namespace formulix
