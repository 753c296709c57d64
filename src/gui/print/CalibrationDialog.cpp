#include "gui/print/CalibrationDialog.h"

#include "widgets/Dialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace formulix {

namespace {

struct Seam
{
    QList<std::optional<QStringList>> answers;
};

Seam &seam()
{
    static Seam s;
    return s;
}

const char *const MarkedProperty = "marked";

} // namespace


void CalibrationDialog::queueAnswer(const QStringList &measurements)
{
    seam().answers.append(measurements);
}

void CalibrationDialog::queueCancel()
{
    seam().answers.append(std::nullopt);
}

void CalibrationDialog::reset()
{
    seam() = Seam();
}

std::optional<CalibrationResult> CalibrationDialog::ask(QWidget *parent, const CalibrationSetup &setup)
{
    if (DialogSeam::testMode()) {
        const std::optional<QStringList> answer = seam().answers.isEmpty() ? std::nullopt : seam().answers.takeFirst();
        if (!answer)
            return std::nullopt;
        CalibrationDialog dialog(parent, setup);
        dialog.setMeasurements(*answer);
        return dialog.result();
    }
    CalibrationDialog dialog(parent, setup);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.result();
}

CalibrationDialog::CalibrationDialog(QWidget *parent, const CalibrationSetup &setup)
    : QDialog(parent), m_setup(setup)
{
    setWindowTitle(QStringLiteral("Calibrare"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral("Pe pagina de calibrare tiparita, masurati cu rigla distanta de la marginea din "
                                            "stanga si de la marginea de sus a foii pana la centrul tintelor 1 si 4, in "
                                            "milimetri."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto *grid = new QGridLayout;
    const QPointF intended[2] = {setup.intended1, setup.intended4};
    for (int target = 0; target < 2; ++target) {
        grid->addWidget(new QLabel(QStringLiteral("Tinta %1 (X %2 mm, Y %3 mm):")
                                       .arg(target == 0 ? 1 : 4)
                                       .arg(millimetres(intended[target].x()), millimetres(intended[target].y())),
                                   this),
                        target, 0);
        for (int axis = 0; axis < 2; ++axis) {
            QLineEdit *&field = m_fields[target * 2 + axis];
            field = new QLineEdit(this);
            field->setMaximumWidth(90);
            grid->addWidget(new QLabel(axis == 0 ? QStringLiteral("de la stanga") : QStringLiteral("de sus"), this),
                            target, 1 + axis * 2);
            grid->addWidget(field, target, 2 + axis * 2);
            connect(field, &QLineEdit::textChanged, this, &CalibrationDialog::update);
        }
    }
    layout->addLayout(grid);

    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    m_summary->setTextFormat(Qt::PlainText);
    m_summary->setMinimumWidth(460);
    layout->addWidget(m_summary);

    auto *buttons = new QDialogButtonBox(this);
    m_apply = buttons->addButton(QStringLiteral("Aplica"), QDialogButtonBox::AcceptRole);
    m_apply->setDefault(true);
    buttons->addButton(QStringLiteral("Anulare"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    update();
}

void CalibrationDialog::setMeasurements(const QStringList &texts)
{
    for (int i = 0; i < 4; ++i)
        m_fields[i]->setText(texts.value(i));
}

bool CalibrationDialog::isMarked(int field) const
{
    return m_fields[field]->property(MarkedProperty).toBool();
}

QString CalibrationDialog::summary() const
{
    return m_summary->text();
}

std::optional<double> CalibrationDialog::distance(int field, QString *why) const
{
    const QString text = m_fields[field]->text();
    const std::optional<double> value = parseMillimetres(text);
    const double edge = field % 2 == 0 ? m_setup.paperMm.width() : m_setup.paperMm.height();
    if (!value) {
        *why = text.trimmed().isEmpty() ? QStringLiteral("Scrieti distanta masurata, in milimetri.")
                                        : QStringLiteral("\"%1\" nu este un numar.").arg(text.trimmed());
        return std::nullopt;
    }
    if (*value < 0 || *value > edge) {
        *why = QStringLiteral("Distanta trebuie sa fie pe foaie: intre 0 si %1 mm.").arg(millimetres(edge));
        return std::nullopt;
    }
    return value;
}

void CalibrationDialog::update()
{
    double values[4] = {};
    bool complete = true;
    QString firstFault;
    for (int i = 0; i < 4; ++i) {
        QString why;
        const std::optional<double> value = distance(i, &why);
        // An empty field is not yet wrong; it only keeps "Aplica" off.
        const bool marked = !value && !m_fields[i]->text().trimmed().isEmpty();
        m_fields[i]->setProperty(MarkedProperty, marked);
        m_fields[i]->setStyleSheet(marked ? QStringLiteral("QLineEdit { background: #ffd6d6; }") : QString());
        m_fields[i]->setToolTip(value ? QString() : why);
        if (marked && firstFault.isEmpty())
            firstFault = why;
        complete &= bool(value);
        values[i] = value.value_or(0);
    }
    m_apply->setEnabled(complete);
    if (!complete) {
        m_result.reset();
        m_summary->setText(firstFault.isEmpty() ? QStringLiteral("Scrieti cele patru distante masurate.") : firstFault);
        return;
    }
    CalibrationInput input;
    input.intended1 = m_setup.intended1;
    input.intended4 = m_setup.intended4;
    input.measured1 = QPointF(values[0], values[1]);
    input.measured4 = QPointF(values[2], values[3]);
    input.offsetLeft = m_setup.offsetLeft;
    input.offsetUp = m_setup.offsetUp;
    input.kx = m_setup.kx;
    input.ky = m_setup.ky;
    input.paperHeightMm = m_setup.paperMm.height();
    const CalibrationResult result = computeCalibration(input);
    m_result = result;
    QStringList lines = {
        QStringLiteral("Deplaseaza la stanga: acum %1 mm, calculat %2 mm.").arg(m_setup.offsetLeft).arg(result.offsetLeft),
        QStringLiteral("Deplaseaza in sus: acum %1 mm, calculat %2 mm.").arg(m_setup.offsetUp).arg(result.offsetUp),
        QStringLiteral("Dupa rotunjire textele se abat cu %1 mm pe orizontala si %2 mm pe verticala.")
            .arg(millimetres(std::abs(result.residualMm.x())), millimetres(std::abs(result.residualMm.y()))),
        QStringLiteral("Scara imprimantei: %1 %; inclinare: %2 mm pe inaltimea foii.")
            .arg(millimetres(result.scalePercent, 2), millimetres(result.skewMm)),
    };
    lines += result.hints;
    m_summary->setText(lines.join(u'\n'));
}

} // namespace formulix
