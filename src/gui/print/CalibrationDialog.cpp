#include "gui/print/CalibrationDialog.h"

#include "widgets/Dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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
// Wrapped texts get this width, so that the dialog's height follows from them exactly.
constexpr int TextWidthEm = 44;
constexpr double MaxDeviationMm = 50;

QString ownerItem(const QString &printer)
{
    return printer.isEmpty() ? QStringLiteral("Fisiere PDF si PNG") : printer;
}

QString corner(int number)
{
    static const char *const names[] = {"stanga sus", "dreapta sus", "stanga jos", "dreapta jos", "centru"};
    return QStringLiteral("%1 (%2)").arg(number).arg(QLatin1String(names[number - 1]));
}

QString percent(double value)
{
    return millimetres(value, 2);
}

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

std::optional<PrinterProfile> CalibrationDialog::ask(QWidget *parent, const CalibrationSetup &setup)
{
    CalibrationDialog dialog(parent, setup);
    if (DialogSeam::testMode()) {
        const std::optional<QStringList> answer = seam().answers.isEmpty() ? std::nullopt : seam().answers.takeFirst();
        if (!answer)
            return std::nullopt;
        dialog.setMeasurements(*answer);
        dialog.apply();
        return dialog.saved();
    }
    dialog.exec();
    return dialog.saved();
}

CalibrationDialog::CalibrationDialog(QWidget *parent, const CalibrationSetup &setup)
    : QDialog(parent), m_setup(setup)
{
    setWindowTitle(QStringLiteral("Calibrare"));
    const int textWidth = fontMetrics().averageCharWidth() * TextWidthEm * 2;
    const auto wrappedLabel = [this, textWidth](const QString &text = QString()) {
        auto *label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setFixedWidth(textWidth);
        return label;
    };
    auto *layout = new QVBoxLayout(this);
    // The dialog takes the size its contents ask for, and follows them as the results grow.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(wrappedLabel(
        QStringLiteral("Tipariti pagina de calibrare pe hartie simpla, la imprimanta aleasa. Masurati cu rigla, la fiecare "
                       "tinta, distanta de la marginea din stanga si de la marginea de sus a foii pana la centrul crucii "
                       "(sau cat este crucea de departe de locul scris sub ea) si scrieti-le mai jos, in milimetri. "
                       "Corectia calculata se aplica apoi la fiecare tiparire pe aceasta imprimanta, oricare ar fi "
                       "formularul; deplasarile din Seteaza Pagina raman ale schemei.")));

    auto *printerRow = new QHBoxLayout;
    printerRow->addWidget(new QLabel(QStringLiteral("Imprimanta:"), this));
    m_printer = new QComboBox(this);
    QStringList owners = setup.printers;
    if (!owners.contains(setup.printer))
        owners.prepend(setup.printer);
    for (const QString &owner : std::as_const(owners))
        m_printer->addItem(ownerItem(owner), owner);
    m_printer->setCurrentIndex(int(owners.indexOf(setup.printer)));
    printerRow->addWidget(m_printer, 1);
    auto *sheet = new QPushButton(QStringLiteral("Tipareste pagina de calibrare"), this);
    auto *check = new QPushButton(QStringLiteral("Tipareste pagina de verificare"), this);
    sheet->setAutoDefault(false);
    check->setAutoDefault(false);
    sheet->setEnabled(bool(setup.printSheet));
    check->setEnabled(bool(setup.printSheet));
    layout->addLayout(printerRow);
    auto *sheetRow = new QHBoxLayout;
    sheetRow->addWidget(sheet);
    sheetRow->addWidget(check);
    sheetRow->addStretch();
    layout->addLayout(sheetRow);
    m_stored = wrappedLabel();
    layout->addWidget(m_stored);

    m_fromEdges = new QRadioButton(QStringLiteral("Distanta de la marginile foii"), this);
    m_deviations = new QRadioButton(QStringLiteral("Abaterea fata de locul scris (la dreapta si in jos pozitiv)"), this);
    m_fromEdges->setChecked(true);
    layout->addWidget(m_fromEdges);
    layout->addWidget(m_deviations);

    auto *grid = new QGridLayout;
    const QStringList headers = {QStringLiteral("Tinta"), QStringLiteral("Locul scris"), QStringLiteral("X (mm)"),
                                 QStringLiteral("Y (mm)"), QStringLiteral("Abatere ramasa")};
    for (int column = 0; column < headers.size(); ++column)
        grid->addWidget(new QLabel(headers.at(column), this), 0, column);
    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000,00")) + 16;
    for (int target = 0; target < Targets; ++target) {
        grid->addWidget(new QLabel(corner(target + 1), this), target + 1, 0);
        m_places[target] = new QLabel(this);
        grid->addWidget(m_places[target], target + 1, 1);
        for (int axis = 0; axis < 2; ++axis) {
            QLineEdit *&field = m_fields[target * 2 + axis];
            field = new QLineEdit(this);
            field->setFixedWidth(fieldWidth);
            grid->addWidget(field, target + 1, 2 + axis);
            connect(field, &QLineEdit::textChanged, this, &CalibrationDialog::update);
        }
        m_residuals[target] = new QLabel(this);
        m_residuals[target]->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00,00 mm")));
        grid->addWidget(m_residuals[target], target + 1, 4);
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);

    m_summary = wrappedLabel();
    layout->addWidget(m_summary);

    auto *buttons = new QDialogButtonBox(this);
    m_apply = buttons->addButton(QStringLiteral("Aplica"), QDialogButtonBox::ApplyRole);
    m_clear = buttons->addButton(QStringLiteral("Sterge corectia"), QDialogButtonBox::ResetRole);
    QPushButton *close = buttons->addButton(QStringLiteral("Inchide"), QDialogButtonBox::RejectRole);
    m_apply->setAutoDefault(false);
    m_clear->setAutoDefault(false);
    close->setAutoDefault(false);
    connect(m_apply, &QPushButton::clicked, this, &CalibrationDialog::apply);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        ProfileStore::save(printer(), PrinterProfile());
        m_saved = PrinterProfile();
        printerChanged();
        m_summary->setText(QStringLiteral("Corectia pentru %1 a fost stearsa.").arg(profileOwnerShown(printer())));
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(m_printer, &QComboBox::currentIndexChanged, this, &CalibrationDialog::printerChanged);
    connect(m_deviations, &QRadioButton::toggled, this, &CalibrationDialog::update);
    connect(sheet, &QPushButton::clicked, this, [this] { m_setup.printSheet(printer(), false); });
    connect(check, &QPushButton::clicked, this, [this] { m_setup.printSheet(printer(), true); });
    printerChanged();
}

QString CalibrationDialog::printer() const
{
    return m_printer->currentData().toString();
}

void CalibrationDialog::choosePrinter(const QString &printer)
{
    const int index = m_printer->findData(printer);
    if (index >= 0)
        m_printer->setCurrentIndex(index);
}

void CalibrationDialog::setDeviationsMode(bool deviations)
{
    (deviations ? m_deviations : m_fromEdges)->setChecked(true);
}

void CalibrationDialog::printerChanged()
{
    m_paper = m_setup.paperOf ? m_setup.paperOf(printer()) : PaperArea{{210, 297}, QRectF(0, 0, 210, 297)};
    m_targets = calibrationTargets(m_paper);
    for (int target = 0; target < Targets; ++target) {
        const QPointF place = m_targets.at(target).positionMm;
        m_places[target]->setText(QStringLiteral("X %1 mm, Y %2 mm").arg(millimetres(place.x()), millimetres(place.y())));
    }
    const PrinterProfile stored = ProfileStore::load(printer());
    m_stored->setText(QStringLiteral("Corectia salvata pentru %1: %2.")
                          .arg(profileOwnerShown(printer()), stored.onPage(m_paper.paperMm).described()));
    m_clear->setEnabled(!stored.isIdentity());
    update();
}

void CalibrationDialog::setMeasurements(const QStringList &texts)
{
    for (int i = 0; i < 2 * Targets; ++i)
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

std::optional<double> CalibrationDialog::measurement(int field, QString *why) const
{
    const QString text = m_fields[field]->text();
    const std::optional<double> value = parseMillimetres(text);
    if (!value) {
        *why = text.trimmed().isEmpty() ? QStringLiteral("Scrieti masuratoarea, in milimetri.")
                                        : QStringLiteral("\"%1\" nu este un numar.").arg(text.trimmed());
        return std::nullopt;
    }
    if (m_deviations->isChecked()) {
        if (std::abs(*value) > MaxDeviationMm) {
            *why = QStringLiteral("O abatere de peste %1 mm nu este a imprimantei: verificati masuratoarea.").arg(MaxDeviationMm);
            return std::nullopt;
        }
        return value;
    }
    const double edge = field % 2 == 0 ? m_paper.paperMm.width() : m_paper.paperMm.height();
    if (*value < 0 || *value > edge) {
        *why = QStringLiteral("Distanta trebuie sa fie pe foaie: intre 0 si %1 mm.").arg(millimetres(edge));
        return std::nullopt;
    }
    return value;
}

void CalibrationDialog::update()
{
    QList<QPointF> intended, measured;
    bool complete = true;
    QString firstFault;
    for (int target = 0; target < Targets; ++target) {
        double values[2] = {};
        for (int axis = 0; axis < 2; ++axis) {
            QLineEdit *field = m_fields[target * 2 + axis];
            QString why;
            const std::optional<double> value = measurement(target * 2 + axis, &why);
            // An empty field is not yet wrong; it only keeps "Aplica" off.
            const bool marked = !value && !field->text().trimmed().isEmpty();
            field->setProperty(MarkedProperty, marked);
            field->setStyleSheet(marked ? QStringLiteral("QLineEdit { background: #ffd6d6; }") : QString());
            field->setToolTip(value ? QString() : why);
            if (marked && firstFault.isEmpty())
                firstFault = QStringLiteral("Tinta %1: %2").arg(target + 1).arg(why);
            complete &= bool(value);
            values[axis] = value.value_or(0);
        }
        const QPointF place = m_targets.at(target).positionMm;
        intended.append(place);
        measured.append(m_deviations->isChecked() ? place + QPointF(values[0], values[1]) : QPointF(values[0], values[1]));
        m_residuals[target]->clear();
        m_residuals[target]->setStyleSheet(QString());
    }
    m_fit.reset();
    m_apply->setEnabled(false);
    if (!complete) {
        m_summary->setText(firstFault.isEmpty() ? QStringLiteral("Scrieti cele zece masuratori, X si Y pentru fiecare tinta.")
                                                : firstFault);
        return;
    }
    const ProfileFit fit = fitProfile(intended, measured);
    m_fit = fit;
    if (!fit.ok) {
        m_summary->setText(fit.error);
        return;
    }
    int worst = 0;
    for (int target = 0; target < Targets; ++target) {
        const QPointF miss = fit.residuals.at(target);
        const double length = std::hypot(miss.x(), miss.y());
        m_residuals[target]->setText(QStringLiteral("%1 mm").arg(millimetres(length, 2)));
        if (length > SuspectResidualMm)
            m_residuals[target]->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
        if (length > std::hypot(fit.residuals.at(worst).x(), fit.residuals.at(worst).y()))
            worst = target;
    }
    QStringList lines = {
        QStringLiteral("Ce face imprimanta cu pagina: %1.").arg(fit.onPage.described()),
        QStringLiteral("Dupa corectie, tintele se abat cel mult %1 mm de la masuratori (tinta %2).")
            .arg(millimetres(fit.worstResidualMm, 2))
            .arg(worst + 1),
    };
    if (fit.worstResidualMm > SuspectResidualMm)
        lines << QStringLiteral("Tinta %1 nu se potriveste cu celelalte: verificati masuratoarea ei inainte de Aplica.").arg(worst + 1);
    const double scale = std::max(std::abs(fit.onPage.scaleX - 1), std::abs(fit.onPage.scaleY - 1)) * 100;
    if (scale > 0.5)
        lines << QStringLiteral("Imprimanta schimba marimea paginii cu pana la %1 %: corectia o aduce la loc, dar verificati "
                                "si optiunea \"fit to page\" (potrivire in pagina) din setarile ei.")
                     .arg(percent(scale));
    if (std::abs(fit.onPage.rotationDegrees) > 0.2)
        lines << QStringLiteral("Foaia intra putin stramb: corectia o indreapta daca hartia se aseaza la fel de fiecare "
                                "data; strangeti ghidajul hartiei din tava.");
    lines << QStringLiteral("Aplica pastreaza corectia pentru %1.").arg(profileOwnerShown(printer()));
    m_summary->setText(lines.join(u'\n'));
    m_apply->setEnabled(true);
}

bool CalibrationDialog::apply()
{
    if (!m_fit || !m_fit->ok)
        return false;
    // Rounded as the user read it, on this page; kept upright as it is then.
    const PrinterProfile profile = PrinterProfile::fromPage(m_fit->onPage.rounded(), m_paper.paperMm);
    ProfileStore::save(printer(), profile);
    m_saved = profile;
    const QString summary = m_summary->text();
    printerChanged();
    m_summary->setText(summary + QStringLiteral("\nCorectia a fost salvata. Tipariti pagina de verificare: centrul fiecarei "
                                                "tinte trebuie sa cada la locul scris sub ea."));
    return true;
}

} // namespace formulix
