#include "core/records/CsvOptions.h"

#include <QFileInfo>
#include <QSettings>
#include <QUrl>

namespace formulix {

namespace {

struct Named
{
    CsvOptions::Encoding encoding;
    const char *name;
    const char *caption;
};

constexpr Named Encodings[] = {
    {CsvOptions::Encoding::Utf8, "utf-8", "UTF-8"},
    {CsvOptions::Encoding::Utf16, "utf-16", "UTF-16"},
    {CsvOptions::Encoding::Windows1250, "windows-1250", "Windows-1250"},
    {CsvOptions::Encoding::Iso88592, "iso-8859-2", "ISO-8859-2"},
};

const QString Auto = QStringLiteral("auto");

// A path's slashes would make groups of it, and a settings key folds some characters: the key is
// the path percent-encoded, '_' for '%' (and '_' itself encoded, so no two paths share a key).
QString keyOf(const QString &path)
{
    const QByteArray escaped = QUrl::toPercentEncoding(QFileInfo(path).absoluteFilePath(), QByteArray(), "_");
    return QStringLiteral("TabeleText/") + QString::fromLatin1(QByteArray(escaped).replace('%', '_'));
}

CsvOptions &override()
{
    static CsvOptions options;
    return options;
}

std::function<void(const QString &, const QString &)> &sink()
{
    static std::function<void(const QString &, const QString &)> call;
    return call;
}

} // namespace

CsvOptions CsvOptions::overriddenBy(const CsvOptions &over) const
{
    CsvOptions result = *this;
    if (over.encoding != Encoding::Auto)
        result.encoding = over.encoding;
    if (over.separator)
        result.separator = over.separator;
    if (over.header != Header::Auto)
        result.header = over.header;
    return result;
}

QString encodingName(CsvOptions::Encoding encoding)
{
    for (const Named &named : Encodings) {
        if (named.encoding == encoding)
            return QString::fromLatin1(named.name);
    }
    return QString();
}

std::optional<CsvOptions::Encoding> encodingNamed(const QString &name)
{
    for (const Named &named : Encodings) {
        if (name.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.encoding;
    }
    return std::nullopt;
}

QString encodingCaption(CsvOptions::Encoding encoding)
{
    for (const Named &named : Encodings) {
        if (named.encoding == encoding)
            return QString::fromLatin1(named.caption);
    }
    return QString();
}

bool isSeparator(char c)
{
    return c == '\t' || (c >= ' ' && c < 0x7F && c != '"');
}

CsvOptions rememberedCsvOptions(QSettings &settings, const QString &path)
{
    const QStringList fields = settings.value(keyOf(path)).toStringList();
    CsvOptions options;
    if (fields.size() != 3)
        return options;
    options.encoding = encodingNamed(fields.at(0)).value_or(CsvOptions::Encoding::Auto);
    const QString separator = fields.at(1);
    if (separator == QLatin1String("tab"))
        options.separator = '\t';
    else if (separator.size() == 1 && separator.at(0).unicode() < 0x80 && isSeparator(char(separator.at(0).unicode())))
        options.separator = char(separator.at(0).unicode());
    options.header = fields.at(2) == QLatin1String("da")   ? CsvOptions::Header::Yes
                   : fields.at(2) == QLatin1String("nu") ? CsvOptions::Header::No
                                                         : CsvOptions::Header::Auto;
    return options;
}

void rememberCsvOptions(QSettings &settings, const QString &path, const CsvOptions &options)
{
    if (options == CsvOptions()) {
        settings.remove(keyOf(path));
        return;
    }
    const QString encoding = encodingName(options.encoding);
    const QString separator = options.separator == '\t' ? QStringLiteral("tab")
                            : options.separator         ? QString(QLatin1Char(options.separator))
                                                        : Auto;
    const QString header = options.header == CsvOptions::Header::Yes  ? QStringLiteral("da")
                         : options.header == CsvOptions::Header::No ? QStringLiteral("nu")
                                                                    : Auto;
    settings.setValue(keyOf(path), QStringList{encoding.isEmpty() ? Auto : encoding, separator, header});
}

CsvOptions rememberedCsvOptions(const QString &path)
{
    QSettings settings(QStringLiteral("Formulix"), QStringLiteral("Formulix"));
    return rememberedCsvOptions(settings, path);
}

void rememberCsvOptions(const QString &path, const CsvOptions &options)
{
    QSettings settings(QStringLiteral("Formulix"), QStringLiteral("Formulix"));
    rememberCsvOptions(settings, path, options);
}

void setCsvOverride(const CsvOptions &options)
{
    override() = options;
}

CsvOptions csvOptionsFor(const QString &path)
{
    return rememberedCsvOptions(path).overriddenBy(override());
}

void setCsvWarningSink(std::function<void(const QString &, const QString &)> call)
{
    sink() = std::move(call);
}

void warnAboutCsv(const QString &path, const QString &warning)
{
    if (sink())
        sink()(path, warning);
}

} // namespace formulix
