#include "app/CommandLine.h"

#include "app/Application.h"
#include "model/Module1.h"
#include "model/SchemaCodec.h"
#include "platform/PictureLoader.h"
#include "platform/Printer.h"
#include "platform/TextRules.h"
#include "print/RecordPages.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace formulix {

namespace {

struct Options
{
    QString pdf;
    bool print = false;
    QString records = QStringLiteral("all");
    int copies = 1;
    QString templatePath;
    bool portrait = false;
    QString password;
    QString schema;
};

int failWith(int status, const QString &message)
{
    QTextStream(stderr) << "formulix: " << message << '\n';
    return status;
}

QString usage()
{
    return QStringLiteral("folosire: formulix --pdf FISIER.pdf | --print [--records all|N|N-M] [--copies K] "
                          "[--template IMAGINE] [--portrait] [--password PAROLA] SCHEMA.tip");
}

// The options, or nothing with the reason in `error`.
std::optional<Options> parse(const QStringList &arguments, QString *error)
{
    Options options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        auto value = [&](QString *into) {
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("optiunea %1 cere o valoare").arg(argument);
                return false;
            }
            *into = arguments.at(++i);
            return true;
        };
        QString copies;
        if (argument == QLatin1String("--pdf")) {
            if (!value(&options.pdf))
                return std::nullopt;
        } else if (argument == QLatin1String("--print")) {
            options.print = true;
        } else if (argument == QLatin1String("--records")) {
            if (!value(&options.records))
                return std::nullopt;
        } else if (argument == QLatin1String("--copies")) {
            if (!value(&copies))
                return std::nullopt;
            bool ok = false;
            options.copies = copies.toInt(&ok);
            if (!ok || options.copies < 1 || options.copies > 99) {
                *error = QStringLiteral("numarul de copii trebuie sa fie intre 1 si 99, nu %1").arg(copies);
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--template")) {
            if (!value(&options.templatePath))
                return std::nullopt;
        } else if (argument == QLatin1String("--portrait")) {
            options.portrait = true;
        } else if (argument == QLatin1String("--password")) {
            if (!value(&options.password))
                return std::nullopt;
        } else if (argument.startsWith(QLatin1String("--"))) {
            *error = QStringLiteral("optiune necunoscuta: %1").arg(argument);
            return std::nullopt;
        } else if (options.schema.isEmpty()) {
            options.schema = argument;
        } else {
            *error = QStringLiteral("o singura schema, nu si %1").arg(argument);
            return std::nullopt;
        }
    }
    if (options.pdf.isEmpty() == !options.print) {
        *error = QStringLiteral("alegeti fie --pdf FISIER.pdf, fie --print");
        return std::nullopt;
    }
    if (options.schema.isEmpty()) {
        *error = QStringLiteral("lipseste schema (.tip)");
        return std::nullopt;
    }
    return options;
}

// "all", "N" or "N-M" as a choice of records; nothing when it is none of them.
std::optional<RecordChoice> parseRecords(const QString &text, int copies)
{
    RecordChoice choice;
    choice.copies = copies;
    if (text == QLatin1String("all")) {
        choice.kind = RecordChoice::All;
        return choice;
    }
    const QRegularExpressionMatch range =
        QRegularExpression(QStringLiteral("^(\\d{1,9})(?:-(\\d{1,9}))?$")).match(text);
    if (!range.hasMatch())
        return std::nullopt;
    choice.kind = RecordChoice::Range;
    choice.first = range.captured(1).toLongLong();
    choice.last = range.captured(2).isEmpty() ? choice.first : range.captured(2).toLongLong();
    if (choice.first < 1 || choice.last < choice.first)
        return std::nullopt;
    return choice;
}

} // namespace

bool wantsCommandLine(const QStringList &arguments)
{
    return arguments.contains(QStringLiteral("--pdf")) || arguments.contains(QStringLiteral("--print"));
}

int runCommandLine(const QStringList &arguments)
{
    QString error;
    const std::optional<Options> options = parse(arguments, &error);
    if (!options)
        return failWith(RunUsage, error + QLatin1Char('\n') + usage());
    std::optional<RecordChoice> choice = parseRecords(options->records, options->copies);
    if (!choice)
        return failWith(RunUsage, QStringLiteral("--records ia all, N sau N-M (de exemplu 3-5), nu %1").arg(options->records));

    const QString schemaName = QDir::toNativeSeparators(options->schema);
    const SchemaResult loaded = loadSchemaFile(options->schema);
    if (!loaded.ok())
        return failWith(RunSchema, QStringLiteral("schema %1 nu poate fi citita").arg(schemaName));
    Module1 model;
    applySchema(loaded.schema, model);
    model.Orientare = options->portrait ? 2 : 1;
    model.NumeTabela = loaded.schema.shownNumeTabela();
    if (!model.NumeTabela.isEmpty()) {
        model.CaleBazaDate = findSchemaDatabase(loaded.schema.shownCaleBazaDate(), options->schema);
        if (model.CaleBazaDate.isEmpty())
            return failWith(RunDatabase, QStringLiteral("baza de date %1 a schemei nu exista, nici langa schema")
                                             .arg(loaded.schema.shownCaleBazaDate()));
    } else if (choice->kind == RecordChoice::All)
        choice->kind = RecordChoice::Current; // a layout of general fields alone: one page

    std::unique_ptr<PageJob> job = options->print ? PageJob::toDefaultPrinter(&error) : PageJob::toPdf(options->pdf);
    if (!job)
        return failWith(RunOutput, error);
    const PageOrientation orientation = options->portrait ? PageOrientation::Portrait : PageOrientation::Landscape;
    // The page image is the template's size, as on the canvas; without one, the printable area.
    job->prepare(orientation);
    QSizeF pageMm = job->printableMm().size();
    if (!options->templatePath.isEmpty()) {
        const std::optional<Picture> form = loadPicture(options->templatePath, 1.0, &error);
        if (!form)
            return failWith(RunSchema, error);
        pageMm = form->sizeMm;
    }

    RecordPages pages(model, pageMm, options->password);
    if (!pages.open(*choice, &error))
        return failWith(RunDatabase, error);
    pages.setOnePass(true);
    if (!job->begin(orientation, applicationTitle(), &error))
        return failWith(RunOutput, error);
    for (qint64 page = 0; page < pages.pageCount(); ++page) {
        PageContent texts;
        if (!pages.page(page, &texts, &error)) {
            job->cancel(nullptr);
            return failWith(RunDatabase, QStringLiteral("inregistrarea %1: %2").arg(pages.recordOf(page)).arg(error));
        }
        if (!job->addPage(texts, pageMm, model.PozStanga, model.PozSus, nullptr, &error)) {
            job->cancel(nullptr);
            return failWith(RunOutput, error);
        }
    }
    if (!job->finish(&error))
        return failWith(RunOutput, error);
    QTextStream(stdout) << countOf(job->pagesDone(), QStringLiteral("pagina"), QStringLiteral("pagini"))
                        << (options->print ? QStringLiteral(" la imprimanta ") : QStringLiteral(" in "))
                        << job->printerName() << '\n';
    return RunOk;
}

} // namespace formulix
