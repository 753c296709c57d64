#pragma once
// "Calibrare...": for the printer chosen, the user prints the calibration sheet, types where its
// five targets landed, sees the printer's shift, scale and turn fitted to them with what each
// target still misses by, and "Aplica" keeps that as the printer's profile. The confirmation
// sheet, printed with it, shows whether it holds.

#include "core/page/Calibration.h"

#include <QDialog>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace formulix {

struct CalibrationSetup
{
    QStringList printers; // the profiles' owners offered: printer names, and "" for files
    QString printer;      // the one chosen at first
    // The paper an owner prints the sheet on, in the orientation it is printed in.
    std::function<PaperArea(const QString &printer)> paperOf;
    // Prints the calibration sheet (or, `confirmation`, the sheet corrected by the profile).
    std::function<void(const QString &printer, bool confirmation)> printSheet;
};

class CalibrationDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int Targets = 5;

    // Shows the dialog; the profile "Aplica" saved last, nothing when none was. In test mode the
    // queued measurements are typed into the dialog instead, and "Aplica" pressed when it can be.
    static std::optional<PrinterProfile> ask(QWidget *parent, const CalibrationSetup &setup);
    // Test seam: the ten texts, X and Y of each target in order; or a cancel.
    static void queueAnswer(const QStringList &measurements);
    static void queueCancel();
    static void reset();

    CalibrationDialog(QWidget *parent, const CalibrationSetup &setup);
    // Types the measurements, as the user would (X and Y of target 1, then 2...).
    void setMeasurements(const QStringList &texts);
    // The measurements given as how far each target is from its written place, not from the
    // sheet's edges.
    void setDeviationsMode(bool deviations);
    void choosePrinter(const QString &printer);
    QString printer() const;
    PaperArea paper() const { return m_paper; }
    // The fit while every field holds a measurement.
    const std::optional<ProfileFit> &fit() const { return m_fit; }
    // A field that holds no usable measurement is marked (and says why in its tooltip).
    bool isMarked(int field) const;
    QString summary() const;
    QPushButton *applyButton() const { return m_apply; }
    // "Aplica": the fitted profile kept for the printer; false when there is none to keep.
    bool apply();
    std::optional<PrinterProfile> saved() const { return m_saved; }

private:
    void printerChanged();
    void update();
    std::optional<double> measurement(int field, QString *why) const;

    CalibrationSetup m_setup;
    PaperArea m_paper;
    QList<CalibrationTarget> m_targets;
    QComboBox *m_printer = nullptr;
    QLabel *m_stored = nullptr;
    QRadioButton *m_fromEdges = nullptr;
    QRadioButton *m_deviations = nullptr;
    QLabel *m_places[Targets] = {};
    QLineEdit *m_fields[2 * Targets] = {};
    QLabel *m_residuals[Targets] = {};
    QLabel *m_summary = nullptr;
    QPushButton *m_apply = nullptr;
    QPushButton *m_clear = nullptr;
    std::optional<ProfileFit> m_fit;
    std::optional<PrinterProfile> m_saved;
};

} // namespace formulix
