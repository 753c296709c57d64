#pragma once
// How a text table is read: its encoding, its separator and whether its first line names the
// columns, each either given or left to the guess. The choice made for a file in the window is
// remembered for it (by its absolute path) and taken by every later read of it; a run of the
// command line may set one for every file it reads.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QSettings;

namespace formulix {

struct CsvOptions
{
    enum class Encoding { Auto, Utf8, Utf16, Windows1250, Iso88592 };
    enum class Header { Auto, Yes, No };

    Encoding encoding = Encoding::Auto;
    char separator = 0; // an ASCII character; 0 for the guess
    Header header = Header::Auto;

    bool operator==(const CsvOptions &) const = default;

    // Each given field of `over` in place of this one's.
    CsvOptions overriddenBy(const CsvOptions &over) const;
};

// "utf-8", "utf-16", "windows-1250", "iso-8859-2"; empty for Auto.
QString encodingName(CsvOptions::Encoding encoding);
// The encoding a name gives (any case), or nothing.
std::optional<CsvOptions::Encoding> encodingNamed(const QString &name);
// What the dialog lists: "UTF-8", "UTF-16", "Windows-1250", "ISO-8859-2".
QString encodingCaption(CsvOptions::Encoding encoding);

// A separator may be any printable ASCII character but the quote, which opens a field.
bool isSeparator(char c);

// The options remembered for the file at `path` (each field Auto when none was).
CsvOptions rememberedCsvOptions(const QString &path);
// Remembers `options` for the file; all Auto forgets it.
void rememberCsvOptions(const QString &path, const CsvOptions &options);
// The same on a given settings file (a test writes those of another process).
CsvOptions rememberedCsvOptions(QSettings &settings, const QString &path);
void rememberCsvOptions(QSettings &settings, const QString &path, const CsvOptions &options);

// The options for every file this process reads, over the remembered ones (the command line's).
void setCsvOverride(const CsvOptions &options);
// What a file opened without options of its own is read with.
CsvOptions csvOptionsFor(const QString &path);

// Told once a read of a file ends, when some of its rows had more cells than the table has
// columns (the cells past them are not read). The window's dialog shows the same in its
// preview; the command line writes it on stderr.
void setCsvWarningSink(std::function<void(const QString &path, const QString &warning)> sink);
void warnAboutCsv(const QString &path, const QString &warning);

} // namespace formulix
