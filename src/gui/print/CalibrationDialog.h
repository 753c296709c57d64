#pragma once
// "Calibrare...": the user types where targets 1 and 4 of the calibration sheet landed on the
// paper; the dialog shows the offsets that put them in place beside the current ones, what
// rounding leaves, and whether the printer scales or turns the print.

#include "core/page/Calibration.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace formulix {

struct CalibrationSetup
{
    QPointF intended1, intended4; // targets 1 and 4 on the canvas
    int offsetLeft = 0, offsetUp = 0;
    double kx = 1, ky = 1;
    QSizeF paperMm{210, 297}; // in the orientation the sheet prints in
};

class CalibrationDialog : public QDialog
{
    Q_OBJECT
public:
    // The offsets to store on "Aplica", nothing on "Anulare". In test mode the queued
    // measurements are typed into the dialog instead, and it answers as "Aplica" would.
    static std::optional<CalibrationResult> ask(QWidget *parent, const CalibrationSetup &setup);
    // Test seam: the four texts of target 1 left, top, target 4 left, top; or a cancel.
    static void queueAnswer(const QStringList &measurements);
    static void queueCancel();
    static void reset();

    CalibrationDialog(QWidget *parent, const CalibrationSetup &setup);
    // Types the four measurements, as the user would.
    void setMeasurements(const QStringList &texts);
    // The result while every field holds a distance on the paper.
    std::optional<CalibrationResult> result() const { return m_result; }
    // A field that holds no usable distance is marked (and says why in its tooltip).
    bool isMarked(int field) const;
    QString summary() const;
    QPushButton *applyButton() const { return m_apply; }

private:
    void update();
    std::optional<double> distance(int field, QString *why) const;

    CalibrationSetup m_setup;
    QLineEdit *m_fields[4] = {};
    QLabel *m_summary = nullptr;
    QPushButton *m_apply = nullptr;
    std::optional<CalibrationResult> m_result;
};


} // namespace formulix
