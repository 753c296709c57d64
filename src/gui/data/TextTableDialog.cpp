#include "gui/data/TextTableDialog.h"

#include "core/records/CsvReader.h"
#include "widgets/Dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>

namespace formulix {

namespace {

struct Seam
{
    QList<std::optional<CsvOptions>> answers;
    QStringList shown;
};

Seam &seam()
{
    static Seam s;
    return s;
}

constexpr int ShownCharacters = 200; // of a cell in the preview

} // namespace

void TextTableDialog::queueAnswer(const CsvOptions &options)
{
    seam().answers.append(options);
}

void TextTableDialog::queueCancel()
{
    seam().answers.append(std::nullopt);
}

QStringList TextTableDialog::shown()
{
    return seam().shown;
}

void TextTableDialog::reset()
{
    seam() = Seam();
}

std::optional<CsvOptions> TextTableDialog::ask(QWidget *parent, const QString &path, const CsvOptions &options)
{
    seam().shown.append(path);
    if (DialogSeam::testMode())
        return seam().answers.isEmpty() ? std::optional<CsvOptions>(options) : seam().answers.takeFirst();
    TextTableDialog dialog(parent, path, options);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

TextTableDialog::TextTableDialog(QWidget *parent, const QString &path, const CsvOptions &options)
    : QDialog(parent), m_path(path)
{
    setWindowTitle(QStringLiteral("Tabel text"));
    auto *layout = new QVBoxLayout(this);
    auto *file = new QLabel(QStringLiteral("Fisierul %1").arg(QDir::toNativeSeparators(path)), this);
    file->setTextFormat(Qt::PlainText);
    layout->addWidget(file);

    auto *form = new QFormLayout;
    m_encoding = new QComboBox(this);
    using Encoding = CsvOptions::Encoding;
    for (const Encoding encoding : {Encoding::Utf8, Encoding::Utf16, Encoding::Windows1250, Encoding::Iso88592})
        m_encoding->addItem(encodingCaption(encoding), int(encoding));
    form->addRow(QStringLiteral("Codificare:"), m_encoding);

    auto *separators = new QHBoxLayout;
    m_separators = new QButtonGroup(this);
    const std::pair<char, QString> named[] = {{',', QStringLiteral("virgula")},
                                              {';', QStringLiteral("punct si virgula")},
                                              {'\t', QStringLiteral("tab")},
                                              {0, QStringLiteral("altul:")}};
    for (const auto &[separator, caption] : named) {
        auto *button = new QRadioButton(caption, this);
        m_separators->addButton(button, separator);
        separators->addWidget(button);
    }
    m_other = new QLineEdit(this);
    m_other->setMaxLength(1);
    m_other->setMaximumWidth(m_other->fontMetrics().horizontalAdvance(QStringLiteral("MMM")) + 12);
    // One printable ASCII character but the quote, which opens a field.
    m_other->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[ !#-~]")), m_other));
    separators->addWidget(m_other);
    separators->addStretch();
    form->addRow(QStringLiteral("Separator:"), separators);
    layout->addLayout(form);
    m_header = new QCheckBox(QStringLiteral("prima linie contine numele coloanelor"), this);
    layout->addWidget(m_header);

    m_preview = new QTableWidget(this);
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->setMinimumSize(560, 260);
    layout->addWidget(m_preview, 1);
    m_warning = new QLabel(this);
    m_warning->setTextFormat(Qt::PlainText);
    m_warning->setWordWrap(true);
    layout->addWidget(m_warning);

    m_ok = addOkCancel(this, layout);

    // The guess alone, to tell what the user changed; then what the file is read with now.
    CsvReader reader;
    if (reader.open(path, CsvOptions(), nullptr))
        m_guess = reader.options();
    CsvReader remembered;
    CsvOptions start = remembered.open(path, options, nullptr) ? remembered.options() : m_guess.overriddenBy(options);
    start = CsvOptions{Encoding::Utf8, ',', CsvOptions::Header::Yes}.overriddenBy(start);
    showOptions(start);

    connect(m_encoding, &QComboBox::currentIndexChanged, this, &TextTableDialog::updatePreview);
    connect(m_separators, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            updatePreview();
    });
    connect(m_other, &QLineEdit::textChanged, this, [this] {
        if (!m_other->text().isEmpty() && m_separators->checkedId() != 0)
            m_separators->button(0)->setChecked(true); // which shows the preview
        else if (m_separators->checkedId() == 0)
            updatePreview();
    });
    connect(m_header, &QCheckBox::toggled, this, &TextTableDialog::updatePreview);
    updatePreview();
}

QRadioButton *TextTableDialog::separatorButton(char separator) const
{
    return qobject_cast<QRadioButton *>(m_separators->button(separator));
}

void TextTableDialog::showOptions(const CsvOptions &options)
{
    m_encoding->setCurrentIndex(m_encoding->findData(int(options.encoding)));
    if (QAbstractButton *button = m_separators->button(options.separator)) {
        button->setChecked(true);
    } else {
        m_other->setText(QString(QLatin1Char(options.separator)));
        m_separators->button(0)->setChecked(true);
    }
    m_header->setChecked(options.header != CsvOptions::Header::No);
}

CsvOptions TextTableDialog::shownOptions() const
{
    CsvOptions options;
    options.encoding = CsvOptions::Encoding(m_encoding->currentData().toInt());
    const int id = m_separators->checkedId();
    options.separator = id > 0 ? char(id) : m_other->text().isEmpty() ? 0 : char(m_other->text().at(0).unicode());
    options.header = m_header->isChecked() ? CsvOptions::Header::Yes : CsvOptions::Header::No;
    return options;
}

CsvOptions TextTableDialog::chosen() const
{
    const CsvOptions shown = shownOptions();
    CsvOptions changed;
    if (shown.encoding != m_guess.encoding)
        changed.encoding = shown.encoding;
    if (shown.separator != m_guess.separator)
        changed.separator = shown.separator;
    if (shown.header != m_guess.header)
        changed.header = shown.header;
    return changed;
}

void TextTableDialog::updatePreview()
{
    const CsvOptions options = shownOptions();
    m_preview->clear();
    m_preview->setRowCount(0);
    m_preview->setColumnCount(0);
    m_ok->setEnabled(options.separator != 0);
    if (!options.separator) {
        m_warning->setText(QStringLiteral("Scrieti caracterul care separa celulele."));
        return;
    }
    CsvReader reader;
    QString error;
    if (!reader.open(m_path, options, &error)) {
        m_warning->setText(error);
        return;
    }
    const QStringList &columns = reader.columnNames();
    const int shownColumns = int(std::min<qsizetype>(columns.size(), PreviewColumns));
    m_preview->setColumnCount(shownColumns);
    m_preview->setHorizontalHeaderLabels(columns.mid(0, shownColumns));
    // The rows sampled for the guess are read, so that the warning names the long ones among
    // them; the first of them are shown.
    std::string text;
    std::vector<quint32> ends;
    for (int row = 0; row < CsvReader::SampleRows; ++row) {
        text.clear();
        ends.clear();
        if (!reader.readRow(text, ends))
            break;
        if (row >= PreviewRows)
            continue;
        m_preview->insertRow(row);
        for (int column = 0; column < shownColumns; ++column) {
            const quint32 from = column == 0 ? 0 : ends[std::size_t(column) - 1], to = ends[std::size_t(column)];
            const QString cell = QString::fromUtf8(text.data() + from, qsizetype(to - from));
            m_preview->setItem(row, column, new QTableWidgetItem(cell.left(ShownCharacters)));
        }
    }
    m_preview->resizeColumnsToContents();
    QStringList warnings;
    if (columns.size() > shownColumns)
        warnings << QStringLiteral("Se vad primele %1 coloane din %2.").arg(shownColumns).arg(columns.size());
    if (!reader.failure().isEmpty())
        warnings << reader.failure();
    if (const QString warning = reader.longRowsWarning(); !warning.isEmpty())
        warnings << warning;
    m_warning->setText(warnings.join(u'\n'));
}

} // namespace formulix
