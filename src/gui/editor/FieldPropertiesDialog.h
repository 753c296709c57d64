#pragma once
// "Proprietati Camp": how one field's text looks (font, size, alignment, box, fitting, case) and
// how its value is written (as given, a date, a number, in words).

#include "core/layout/FieldStyle.h"

#include <QDialog>
#include <QList>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace formulix {

// What the dialog edits: the field's style and its size in points (the field's MarimeFont).
struct FieldLook
{
    FieldStyle style;
    quint8 size = 0;

    bool operator==(const FieldLook &other) const = default;
};

class FieldPropertiesDialog : public QDialog
{
    Q_OBJECT
public:
    // The look after "OK", nothing on "Anulare". `field` names the field in the title. In test
    // mode the queued answer works the dialog instead and "OK" is pressed after it.
    static std::optional<FieldLook> ask(QWidget *parent, const FieldLook &look, const QString &field);

    // Test seam: `answer` gets the dialog as it opens on the field and sets it as the user would.
    using Answer = std::function<void(FieldPropertiesDialog &)>;
    static void queueAnswer(Answer answer);
    static void queueCancel();
    static QList<FieldLook> shown(); // the look each dialog opened on
    static void reset();

    FieldPropertiesDialog(QWidget *parent, const FieldLook &look, const QString &field);

    void setLook(const FieldLook &look);
    // As the controls say now; a distance left as shown keeps its exact value.
    FieldLook look() const;
    QPushButton *okButton() const { return m_ok; }

private:
    void updateControls(); // what applies is enabled, a wrong distance marked
    // A distance in millimetres from 0 to `most`: nothing, the field marked, when it is not one.
    std::optional<double> distance(QLineEdit *field, double most) const;

    FieldLook m_shown; // as setLook showed it
    QString m_shownBox, m_shownLine;
    double m_shownMinPoints = 0;
    int m_shownDecimals = 0;
    QFontComboBox *m_family = nullptr;
    QCheckBox *m_bold = nullptr;
    QCheckBox *m_italic = nullptr;
    QSpinBox *m_size = nullptr;
    QComboBox *m_align = nullptr;
    QLineEdit *m_box = nullptr;
    QComboBox *m_fit = nullptr;
    QDoubleSpinBox *m_minPoints = nullptr;
    QLineEdit *m_lineHeight = nullptr;
    QComboBox *m_case = nullptr;
    QComboBox *m_kind = nullptr;
    QComboBox *m_pattern = nullptr;
    QSpinBox *m_decimals = nullptr;
    QCheckBox *m_thousands = nullptr;
    QCheckBox *m_decimalComma = nullptr;
    QComboBox *m_unit = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace formulix
