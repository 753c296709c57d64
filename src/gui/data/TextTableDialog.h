#pragma once
// How a text table loaded in the window is read: its encoding, its separator and whether its
// first line names the columns, shown as guessed (or as last chosen for the file), each
// changeable, with the first rows as they would be read.

#include "core/records/CsvOptions.h"

#include <QDialog>
#include <QList>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace formulix {

class TextTableDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int PreviewRows = 20;
    static constexpr int PreviewColumns = 50;

    // The options for the file at `path`, opening on `options` (those remembered for it), or
    // nothing on "Anulare". What the user left as guessed comes back Auto, so the guess is made
    // again should the file change. In test mode the queued answer, else `options` as they are.
    static std::optional<CsvOptions> ask(QWidget *parent, const QString &path, const CsvOptions &options);

    // Test seam.
    static void queueAnswer(const CsvOptions &options);
    static void queueCancel();
    static QStringList shown(); // the files asked about
    static void reset();

    TextTableDialog(QWidget *parent, const QString &path, const CsvOptions &options);
    // As chosen, each field that differs from the guess for the file; Auto for the rest.
    CsvOptions chosen() const;
    // As shown: every field given.
    CsvOptions shownOptions() const;

    QComboBox *encodingBox() const { return m_encoding; }
    QRadioButton *separatorButton(char separator) const; // ',', ';', '\t'; 0 for "altul"
    QLineEdit *otherSeparator() const { return m_other; }
    QCheckBox *headerBox() const { return m_header; }
    QTableWidget *preview() const { return m_preview; }
    QLabel *warning() const { return m_warning; }
    QPushButton *okButton() const { return m_ok; }

private:
    void showOptions(const CsvOptions &options);
    void updatePreview();

    QString m_path;
    CsvOptions m_guess; // every field given, as guessed; Auto where the file could not be read
    QComboBox *m_encoding = nullptr;
    QButtonGroup *m_separators = nullptr;
    QLineEdit *m_other = nullptr;
    QCheckBox *m_header = nullptr;
    QTableWidget *m_preview = nullptr;
    QLabel *m_warning = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace formulix
