#include "gui/editor/FieldPropertiesDialog.h"

#include "core/text/Millimetres.h"
#include "widgets/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace formulix {

namespace {

struct Seam
{
    QList<std::optional<FieldPropertiesDialog::Answer>> answers;
    QList<FieldLook> shown;
};

Seam &seam()
{
    static Seam s;
    return s;
}

// The first choice of the font list: no family of its own, the program's font.
const QString ProgramFont = QStringLiteral("(fontul programului)");
const QString DefaultDatePattern = QStringLiteral("dd.MM.yyyy");

constexpr double MostBoxMm = 2000;
constexpr double MostLineMm = 200;

QComboBox *choices(QWidget *parent, const QStringList &items, const char *name)
{
    auto *box = new QComboBox(parent);
    box->addItems(items);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

// A text box with what its 0 means beside it.
QWidget *withNote(QLineEdit *field, const QString &note, QWidget *parent)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    field->setParent(row);
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000,00")) + 16);
    layout->addWidget(field);
    layout->addWidget(new QLabel(note, row));
    layout->addStretch();
    return row;
}

} // namespace

void FieldPropertiesDialog::queueAnswer(Answer answer)
{
    seam().answers.append(std::move(answer));
}

void FieldPropertiesDialog::queueCancel()
{
    seam().answers.append(std::nullopt);
}

QList<FieldLook> FieldPropertiesDialog::shown()
{
    return seam().shown;
}

void FieldPropertiesDialog::reset()
{
    seam() = Seam();
}

std::optional<FieldLook> FieldPropertiesDialog::ask(QWidget *parent, const FieldLook &look, const QString &field)
{
    seam().shown.append(look);
    if (DialogSeam::testMode()) {
        const std::optional<Answer> answer = seam().answers.isEmpty() ? std::nullopt : seam().answers.takeFirst();
        if (!answer || !*answer)
            return std::nullopt;
        FieldPropertiesDialog dialog(parent, look, field);
        (*answer)(dialog);
        // "OK" cannot be pressed while a distance is wrong: the user can only cancel.
        if (!dialog.okButton()->isEnabled())
            return std::nullopt;
        return dialog.look();
    }
    FieldPropertiesDialog dialog(parent, look, field);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.look();
}

FieldPropertiesDialog::FieldPropertiesDialog(QWidget *parent, const FieldLook &look, const QString &field)
    : QDialog(parent)
{
    setWindowTitle(field.isEmpty() ? QStringLiteral("Proprietati Camp")
                                   : QStringLiteral("Proprietati Camp - %1").arg(field));
    auto *layout = new QVBoxLayout(this);
    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    layout->addLayout(columns);
    columns->addLayout(left);

    auto *letters = new QGroupBox(QStringLiteral("Litera"), this);
    auto *lettersForm = new QFormLayout(letters);
    m_family = new QFontComboBox(letters);
    m_family->setObjectName(QStringLiteral("family"));
    m_family->setEditable(false); // the system's fonts only
    m_family->insertItem(0, ProgramFont);
    lettersForm->addRow(QStringLiteral("Font:"), m_family);
    auto *weight = new QHBoxLayout;
    m_bold = new QCheckBox(QStringLiteral("Ingrosat"), letters);
    m_bold->setObjectName(QStringLiteral("bold"));
    m_italic = new QCheckBox(QStringLiteral("Inclinat"), letters);
    m_italic->setObjectName(QStringLiteral("italic"));
    weight->addWidget(m_bold);
    weight->addWidget(m_italic);
    weight->addStretch();
    lettersForm->addRow(QString(), weight);
    // The field's size as the panels take it: a whole number of points that fits a byte.
    m_size = new QSpinBox(letters);
    m_size->setObjectName(QStringLiteral("size"));
    m_size->setRange(0, 255);
    lettersForm->addRow(QStringLiteral("Marime (puncte):"), m_size);
    m_case = choices(letters,
                     {QStringLiteral("asa cum e scris"), QStringLiteral("MAJUSCULE"),
                      QStringLiteral("Fiecare Cuvant cu Majuscula")},
                     "case");
    lettersForm->addRow(QStringLiteral("Litere:"), m_case);
    left->addWidget(letters);

    auto *place = new QGroupBox(QStringLiteral("Asezare"), this);
    auto *placeForm = new QFormLayout(place);
    m_align = choices(place, {QStringLiteral("stanga"), QStringLiteral("centru"), QStringLiteral("dreapta")}, "align");
    m_align->setToolTip(QStringLiteral("Fara caseta, textul incepe, are mijlocul sau se termina la X; cu caseta, "
                                       "se aliniaza in caseta care incepe la X."));
    placeForm->addRow(QStringLiteral("Aliniere:"), m_align);
    m_box = new QLineEdit(place);
    m_box->setObjectName(QStringLiteral("box"));
    placeForm->addRow(QStringLiteral("Latimea casetei (mm):"), withNote(m_box, QStringLiteral("0 = fara caseta"), place));
    m_fit = choices(place,
                    {QStringLiteral("niciuna"), QStringLiteral("micsoreaza pana la marimea minima"),
                     QStringLiteral("rupe pe randuri")},
                    "fit");
    placeForm->addRow(QStringLiteral("Daca nu incape:"), m_fit);
    m_minPoints = new QDoubleSpinBox(place);
    m_minPoints->setObjectName(QStringLiteral("minPoints"));
    m_minPoints->setRange(1, 255);
    m_minPoints->setDecimals(1);
    m_minPoints->setSingleStep(0.5);
    placeForm->addRow(QStringLiteral("Marimea minima (puncte):"), m_minPoints);
    m_lineHeight = new QLineEdit(place);
    m_lineHeight->setObjectName(QStringLiteral("lineHeight"));
    placeForm->addRow(QStringLiteral("Inaltimea randului (mm):"),
                      withNote(m_lineHeight, QStringLiteral("0 = a fontului"), place));
    left->addWidget(place);
    left->addStretch();

    auto *value = new QGroupBox(QStringLiteral("Valoarea"), this);
    auto *valueForm = new QFormLayout(value);
    m_kind = choices(value,
                     {QStringLiteral("asa cum e"), QStringLiteral("data"), QStringLiteral("numar"),
                      QStringLiteral("in cuvinte")},
                     "kind");
    valueForm->addRow(QStringLiteral("Scrie valoarea:"), m_kind);
    m_pattern = choices(value,
                        {DefaultDatePattern, QStringLiteral("d MMMM yyyy"), QStringLiteral("dd"), QStringLiteral("MM"),
                         QStringLiteral("yyyy")},
                        "pattern");
    m_pattern->setEditable(true);
    m_pattern->setInsertPolicy(QComboBox::NoInsert);
    m_pattern->lineEdit()->setPlaceholderText(DefaultDatePattern);
    valueForm->addRow(QStringLiteral("Forma datei:"), m_pattern);
    valueForm->addRow(QString(), new QLabel(QStringLiteral("zi: dd, luna: MM sau MMMM, an: yyyy"), value));
    m_decimals = new QSpinBox(value);
    m_decimals->setObjectName(QStringLiteral("decimals"));
    m_decimals->setRange(-1, 9);
    m_decimals->setSpecialValueText(QStringLiteral("ca in valoare"));
    valueForm->addRow(QStringLiteral("Zecimale:"), m_decimals);
    m_thousands = new QCheckBox(QStringLiteral("separator de mii (1.250)"), value);
    m_thousands->setObjectName(QStringLiteral("thousands"));
    valueForm->addRow(QString(), m_thousands);
    m_decimalComma = new QCheckBox(QStringLiteral("virgula zecimala (9,50)"), value);
    m_decimalComma->setObjectName(QStringLiteral("decimalComma"));
    valueForm->addRow(QString(), m_decimalComma);
    m_unit = choices(value, {QStringLiteral("niciuna"), QStringLiteral("lei")}, "unit");
    valueForm->addRow(QStringLiteral("Unitate:"), m_unit);
    auto *right = new QVBoxLayout;
    right->addWidget(value);
    right->addStretch();
    columns->addLayout(right);

    m_ok = addOkCancel(this, layout);

    // A number of a few digits needs no row's whole width.
    for (QAbstractSpinBox *box : std::initializer_list<QAbstractSpinBox *>{m_size, m_minPoints, m_decimals})
        box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    setLook(look);
    for (QComboBox *box : {m_fit, m_kind})
        connect(box, &QComboBox::currentIndexChanged, this, &FieldPropertiesDialog::updateControls);
    for (QLineEdit *field : {m_box, m_lineHeight})
        connect(field, &QLineEdit::textChanged, this, &FieldPropertiesDialog::updateControls);
    // Chosen by the user, a date needs a form to be written in.
    connect(m_kind, &QComboBox::activated, this, [this](int kind) {
        if (ValueKind(kind) == ValueKind::Date && m_pattern->currentText().trimmed().isEmpty())
            m_pattern->setEditText(DefaultDatePattern);
    });
}

void FieldPropertiesDialog::setLook(const FieldLook &look)
{
    m_shown = look;
    const FieldStyle &style = look.style;
    if (style.family.isEmpty()) {
        m_family->setCurrentIndex(0);
    } else {
        // A family this system lacks (the layout was made elsewhere) is kept as it is.
        int index = m_family->findText(style.family);
        if (index < 0) {
            m_family->insertItem(1, style.family);
            index = 1;
        }
        m_family->setCurrentIndex(index);
    }
    m_bold->setChecked(style.bold);
    m_italic->setChecked(style.italic);
    m_size->setValue(look.size);
    m_case->setCurrentIndex(int(style.textCase));
    m_align->setCurrentIndex(int(style.align));
    m_shownBox = millimetres(style.boxWidthMm, 2);
    m_box->setText(m_shownBox);
    m_fit->setCurrentIndex(int(style.fit));
    m_minPoints->setValue(style.minPoints);
    m_shownMinPoints = m_minPoints->value();
    m_shownLine = millimetres(style.lineHeightMm, 2);
    m_lineHeight->setText(m_shownLine);
    const FieldFormat &format = style.format;
    m_kind->setCurrentIndex(int(format.kind));
    m_pattern->setEditText(format.pattern);
    m_decimals->setValue(format.decimals);
    m_shownDecimals = m_decimals->value();
    m_thousands->setChecked(format.thousands);
    m_decimalComma->setChecked(format.decimalComma);
    m_unit->setCurrentIndex(int(format.unit));
    updateControls();
}

FieldLook FieldPropertiesDialog::look() const
{
    FieldLook look = m_shown;
    FieldStyle &style = look.style;
    // A choice the controls could not show (a value out of their range) stays as it was.
    const auto chosen = [](const QComboBox *box, auto shown) {
        return box->currentIndex() < 0 ? shown : decltype(shown)(box->currentIndex());
    };
    style.family = m_family->currentText() == ProgramFont ? QString() : m_family->currentText();
    style.bold = m_bold->isChecked();
    style.italic = m_italic->isChecked();
    look.size = quint8(m_size->value());
    style.textCase = chosen(m_case, style.textCase);
    style.align = chosen(m_align, style.align);
    if (m_box->text() != m_shownBox)
        style.boxWidthMm = distance(m_box, MostBoxMm).value_or(style.boxWidthMm);
    style.fit = chosen(m_fit, style.fit);
    // Spin boxes round and bound what they show: one left as shown keeps the exact value.
    if (m_minPoints->value() != m_shownMinPoints)
        style.minPoints = m_minPoints->value();
    if (m_lineHeight->text() != m_shownLine)
        style.lineHeightMm = distance(m_lineHeight, MostLineMm).value_or(style.lineHeightMm);
    FieldFormat &format = style.format;
    format.kind = chosen(m_kind, format.kind);
    format.pattern = m_pattern->currentText().trimmed();
    if (m_decimals->value() != m_shownDecimals)
        format.decimals = qint8(m_decimals->value());
    format.thousands = m_thousands->isChecked();
    format.decimalComma = m_decimalComma->isChecked();
    format.unit = chosen(m_unit, format.unit);
    return look;
}

std::optional<double> FieldPropertiesDialog::distance(QLineEdit *field, double most) const
{
    const std::optional<double> value = parseMillimetres(field->text());
    if (value && *value >= 0 && *value <= most)
        return value;
    return std::nullopt;
}

void FieldPropertiesDialog::updateControls()
{
    const auto check = [this](QLineEdit *field, double most, bool applies) {
        const bool wrong = applies && !distance(field, most);
        field->setStyleSheet(wrong ? QStringLiteral("QLineEdit { background: #ffd6d6; }") : QString());
        field->setToolTip(wrong ? QStringLiteral("Scrieti o distanta in milimetri, intre 0 si %1.").arg(millimetres(most))
                                : QString());
        return !wrong;
    };
    const bool boxed = distance(m_box, MostBoxMm).value_or(0) > 0;
    const auto fit = TextFit(m_fit->currentIndex());
    m_fit->setEnabled(boxed);
    m_minPoints->setEnabled(boxed && fit == TextFit::Shrink);
    m_lineHeight->setEnabled(boxed && fit == TextFit::Wrap);
    const auto kind = ValueKind(m_kind->currentIndex());
    m_pattern->setEnabled(kind == ValueKind::Date);
    m_decimals->setEnabled(kind == ValueKind::Number || kind == ValueKind::Words);
    m_thousands->setEnabled(kind == ValueKind::Number);
    m_decimalComma->setEnabled(kind == ValueKind::Number);
    m_unit->setEnabled(kind == ValueKind::Words);
    const bool boxRight = check(m_box, MostBoxMm, true);
    const bool lineRight = check(m_lineHeight, MostLineMm, m_lineHeight->isEnabled());
    m_ok->setEnabled(boxRight && lineRight);
}

} // namespace formulix
