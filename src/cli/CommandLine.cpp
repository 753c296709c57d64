#include "cli/CommandLine.h"

#include "core/Product.h"
#include "core/layout/Module1.h"
#include "core/layout/SchemaCodec.h"
#include "core/records/CsvOptions.h"
#include "core/files/FileSafety.h"
#include "core/pictures/PictureLoader.h"
#include "printer/Printer.h"
#include "core/text/TextRules.h"
#include "core/page/PageFit.h"
#include "core/page/PageLoop.h"
#include "core/page/PngSink.h"
#include "core/page/RecordPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <optional>

namespace formulix {

namespace {

// Which options a run needs: one output, any of the rest; "--help" and "--version" answer alone.
enum class Kind { Output, Optional, Answer };

struct Option
{
    const char *name;
    const char *value; // what the usage calls its value; nullptr for a flag
    Kind kind;
    const char *help;
};

// Every option, in the order the usage line and "--help" show them, both made from this table.
// A new flag is one row here, read in the run with Given::has.
const Option Table[] = {
    {"--pdf", "FISIER.pdf", Kind::Output, "scrie paginile in fisierul PDF dat"},
    {"--print", nullptr, Kind::Output, "trimite paginile la imprimanta implicita"},
    {"--png", "FOLDER", Kind::Output, "scrie fiecare pagina ca imagine PNG in folderul dat (0001.png, 0002.png...)"},
    {"--records", "all|N|N-M", Kind::Optional, "toate inregistrarile (implicit), a N-a sau de la a N-a la a M-a"},
    {"--copies", "K", Kind::Optional, "fiecare pagina in K exemplare, de la 1 la 99 (implicit 1)"},
    {"--template", "IMAGINE", Kind::Optional,
     "pagina ia marimea machetei, ca pe ecran (fara ea, a machetei salvate cu schema, altfel zona tiparibila a "
     "hartiei)"},
    {"--portrait", nullptr, Kind::Optional, "orientare portret (implicit cea salvata cu schema, altfel peisaj)"},
    {"--landscape", nullptr, Kind::Optional, "orientare peisaj, oricare ar fi cea salvata cu schema"},
    {"--printer", "NUME", Kind::Optional,
     "imprimanta: --print tipareste la ea; paginile iau corectia ei (Fisiere > Calibrare...), si in PDF sau PNG"},
    {"--no-profile", nullptr, Kind::Optional, "fara corectia imprimantei (implicit: a imprimantei, a fisierelor la PDF si PNG)"},
    {"--password", "PAROLA", Kind::Optional, "parola bazei de date"},
    {"--dpi", "N", Kind::Optional, "rezolutia imaginilor PNG, de la 72 la 1200 de puncte pe inch (implicit 300)"},
    {"--force", nullptr, Kind::Optional,
     "inlocuieste si un fisier PDF care poate fi doar citit, si imaginile PNG aflate deja in folder"},
    {"--keep-partial", nullptr, Kind::Optional,
     "pastreaza paginile terminate ale unei lucrari oprite intr-un fisier separat"},
    {"--allow-missing", nullptr, Kind::Optional,
     "tipareste si cand unele campuri nu au coloana in tabela (raman goale)"},
    {"--csv-encoding", "COD", Kind::Optional,
     "codificarea tabelului text (.csv, .txt): utf-8, utf-16, windows-1250 sau iso-8859-2"},
    {"--csv-separator", "SEP", Kind::Optional, "separatorul celulelor tabelului text: , sau ; sau tab sau alt caracter"},
    {"--help", nullptr, Kind::Answer, "arata acest text"},
    {"--version", nullptr, Kind::Answer, "arata versiunea programului"},
};

const Option *findOption(const QString &name)
{
    for (const Option &option : Table) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

// The options as given.
struct Given
{
    QHash<QString, QString> values; // by option name; a flag's value is empty
    QString schema;
    int copies = 1;
    int dpi = PngSink::DefaultDpi;

    bool has(const char *name) const
    {
        Q_ASSERT(findOption(QLatin1String(name)));
        return values.contains(QLatin1String(name));
    }
    QString value(const char *name, const QString &otherwise = QString()) const
    {
        Q_ASSERT(findOption(QLatin1String(name)));
        return values.value(QLatin1String(name), otherwise);
    }
};

int failWith(int status, const QString &message)
{
    QTextStream(stderr) << "formulix: " << message << '\n';
    return status;
}

QString shown(const Option &option)
{
    return option.value ? QStringLiteral("%1 %2").arg(QLatin1String(option.name), QLatin1String(option.value))
                        : QString::fromLatin1(option.name);
}

QString usage()
{
    QStringList outputs;
    QStringList optional;
    for (const Option &option : Table) {
        if (option.kind == Kind::Output)
            outputs << shown(option);
        else if (option.kind == Kind::Optional)
            optional << u'[' + shown(option) + u']';
    }
    return QStringLiteral("folosire: formulix %1 %2 SCHEMA.tip").arg(outputs.join(QStringLiteral(" | ")), optional.join(u' '));
}

QString version()
{
    return applicationTitle() + QStringLiteral(" " FORMULIX_VERSION);
}

QString help()
{
    QStringList answers;
    qsizetype width = 0;
    for (const Option &option : Table) {
        width = std::max(width, shown(option).size());
        if (option.kind == Kind::Answer)
            answers << shown(option);
    }
    QString text = usage() + QStringLiteral("\n          formulix ") + answers.join(QStringLiteral(" | "))
        + QStringLiteral("\n\nTipareste fara fereastra, si fara ecran, cate o pagina pentru fiecare inregistrare\n"
                         "a tabelei schemei (.tip), intr-un fisier PDF, la imprimanta implicita sau ca\n"
                         "imagini PNG intr-un folder, cate un fisier pe pagina.\n"
                         "Fara optiuni, formulix deschide fereastra.\n\n");
    for (const Option &option : Table)
        text += QStringLiteral("  %1  %2\n").arg(shown(option), -int(width)).arg(QLatin1String(option.help));
    return text
        + QStringLiteral("\nO valoare se poate lipi de optiune cu \"=\" (--pdf=clasa.pdf); asa se scrie si una\n"
                         "care incepe cu \"-\". Baza de date si tabela sunt cele din schema; o cale relativa\n"
                         "se cauta intai in folderul schemei. Fara --template se foloseste macheta salvata\n"
                         "cu schema, cu pagina si scara ei, cand exista. Fisierul PDF, sau o imagine PNG,\n"
                         "nu poate fi schema, baza de date sau macheta.\n\n"
                         "Un tabel text se citeste cu codificarea si separatorul alese pentru el in fereastra,\n"
                         "altfel cu cele ghicite din continut; --csv-encoding si --csv-separator le inlocuiesc.\n"
                         "Randurile cu mai multe celule decat coloanele tabelei sunt semnalate, iar celulele\n"
                         "in plus nu se citesc.\n\n"
                         "Stari la iesire: 0 reusit, 2 optiuni sau interval gresit, 3 schema sau macheta\n"
                         "nu poate fi citita, 4 baza de date, tabela sau o inregistrare, 5 fisierul PDF,\n"
                         "imaginile PNG sau imprimanta.\n");
}

// The options, or nothing with the reason in `error`. A value is joined to its option by "=" or
// is the next argument, unless that starts with "-": then the value was forgotten. Qt's own
// QCommandLineParser would take any next argument, repeated options and English messages, so
// the checks around it would be longer than this.
std::optional<Given> parse(const QStringList &arguments, QString *error)
{
    Given given;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!argument.startsWith(u'-')) {
            if (!given.schema.isEmpty()) {
                *error = QStringLiteral("o singura schema, nu si %1").arg(argument);
                return std::nullopt;
            }
            given.schema = argument;
            continue;
        }
        const qsizetype equals = argument.indexOf(u'=');
        const QString name = argument.left(equals);
        const Option *option = findOption(name);
        if (!option) {
            *error = QStringLiteral("optiune necunoscuta: %1").arg(name);
            return std::nullopt;
        }
        if (given.values.contains(name)) {
            *error = QStringLiteral("optiunea %1 este data de doua ori").arg(name);
            return std::nullopt;
        }
        QString value;
        if (!option->value) {
            if (equals >= 0) {
                *error = QStringLiteral("optiunea %1 nu ia nicio valoare").arg(name);
                return std::nullopt;
            }
        } else if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(u'-')) {
            value = arguments.at(++i);
        }
        if (option->value && value.isEmpty()) {
            *error = QStringLiteral("optiunea %1 cere o valoare").arg(name);
            if (i + 1 < arguments.size() && equals < 0)
                *error += QStringLiteral(" (una care incepe cu \"-\" se scrie %1=VALOARE)").arg(name);
            return std::nullopt;
        }
        given.values.insert(name, value);
        if (option->kind == Kind::Answer)
            return given;
    }
    QStringList outputs;
    int chosen = 0;
    for (const Option &option : Table) {
        if (option.kind == Kind::Output) {
            outputs << shown(option);
            chosen += given.values.contains(QLatin1String(option.name));
        }
    }
    if (chosen != 1) {
        *error = QStringLiteral("alegeti fie ") + outputs.join(QStringLiteral(", fie "));
        return std::nullopt;
    }
    if (given.schema.isEmpty()) {
        *error = QStringLiteral("lipseste schema (.tip)");
        return std::nullopt;
    }
    if (given.has("--portrait") && given.has("--landscape")) {
        *error = QStringLiteral("alegeti fie --portrait, fie --landscape");
        return std::nullopt;
    }
    if (given.has("--copies")) {
        const QString copies = given.value("--copies");
        bool ok = false;
        given.copies = copies.toInt(&ok);
        if (!ok || given.copies < 1 || given.copies > 99) {
            *error = QStringLiteral("numarul de copii trebuie sa fie intre 1 si 99, nu %1").arg(copies);
            return std::nullopt;
        }
    }
    if (given.has("--dpi")) {
        const QString dpi = given.value("--dpi");
        bool ok = false;
        given.dpi = dpi.toInt(&ok);
        if (!given.has("--png")) {
            *error = QStringLiteral("optiunea --dpi se da doar cu --png");
            return std::nullopt;
        }
        if (!ok || given.dpi < PngSink::MinDpi || given.dpi > PngSink::MaxDpi) {
            *error = QStringLiteral("rezolutia trebuie sa fie intre %1 si %2 de puncte pe inch, nu %3")
                         .arg(PngSink::MinDpi)
                         .arg(PngSink::MaxDpi)
                         .arg(dpi);
            return std::nullopt;
        }
    }
    return given;
}

// The text table's options the run gives, over those remembered for the file; nothing with the
// reason in `error`.
std::optional<CsvOptions> parseCsvOptions(const Given &given, QString *error)
{
    CsvOptions options;
    if (given.has("--csv-encoding")) {
        const QString name = given.value("--csv-encoding");
        const std::optional<CsvOptions::Encoding> encoding = encodingNamed(name);
        if (!encoding) {
            *error = QStringLiteral("--csv-encoding ia utf-8, utf-16, windows-1250 sau iso-8859-2, nu %1").arg(name);
            return std::nullopt;
        }
        options.encoding = *encoding;
    }
    if (given.has("--csv-separator")) {
        const QString separator = given.value("--csv-separator");
        if (separator == QLatin1String("tab"))
            options.separator = '\t';
        else if (separator.size() == 1 && separator.at(0).unicode() < 0x80 && isSeparator(char(separator.at(0).unicode())))
            options.separator = char(separator.at(0).unicode());
        else {
            *error = QStringLiteral("--csv-separator ia un singur caracter ASCII (nu ghilimelele) sau tab, nu %1").arg(separator);
            return std::nullopt;
        }
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

int run(const Given &given, RecordChoice choice)
{
    const QString pdf = given.value("--pdf");
    const QString png = given.value("--png");
    const bool print = given.has("--print");
    QString templatePath = given.value("--template");
    const QString printerName = given.value("--printer");
    const QString schemaName = QDir::toNativeSeparators(given.schema);
    const SchemaResult loaded = loadSchemaFile(given.schema);
    if (!loaded.ok()) {
        return failWith(RunSchema, QStringLiteral("schema %1 nu poate fi citita").arg(schemaName)
                                       + (loaded.reason.isEmpty() ? QString() : QStringLiteral(": ") + loaded.reason));
    }
    Module1 model;
    applySchema(loaded.schema, model); // with the orientation saved with it, if any
    if (given.has("--portrait"))
        model.Orientare = 2;
    else if (given.has("--landscape") || !loaded.schema.extended)
        model.Orientare = 1;
    // The template saved with the schema, at its page and scale, unless another is given.
    const Schema &schema = loaded.schema;
    int templatePage = 0;
    double templateScale = 1.0;
    const QString remembered = findSchemaTemplate(schema, given.schema);
    if (!remembered.isEmpty() && (templatePath.isEmpty() || sameFile(templatePath, remembered))) {
        templatePath = templatePath.isEmpty() ? remembered : templatePath;
        templatePage = schema.templ.page;
        templateScale = schema.templ.scale;
    } else if (templatePath.isEmpty() && !(schema.templ.file.isEmpty() && schema.templateRelative.isEmpty())) {
        QTextStream(stderr) << "formulix: "
                            << QStringLiteral("macheta %1 salvata cu schema nu exista; pagina ia zona tiparibila a hartiei")
                                   .arg(QDir::toNativeSeparators(schema.templ.file.isEmpty() ? schema.templateRelative
                                                                                             : schema.templ.file))
                            << '\n';
    }
    model.NumeTabela = loaded.schema.shownNumeTabela();
    if (!model.NumeTabela.isEmpty()) {
        model.CaleBazaDate = findSchemaDatabase(loaded.schema.shownCaleBazaDate(), given.schema);
        if (model.CaleBazaDate.isEmpty())
            return failWith(RunDatabase, QStringLiteral("baza de date %1 a schemei nu exista, nici langa schema")
                                             .arg(loaded.schema.shownCaleBazaDate()));
    } else if (choice.kind == RecordChoice::All)
        choice.kind = RecordChoice::Current; // a layout of general fields alone: one page

    // An output takes the place of the file it names: never of one this run reads, under any name.
    const std::pair<QString, QString> inputs[] = {{QStringLiteral("schema"), given.schema},
                                                  {QStringLiteral("baza de date"), model.CaleBazaDate},
                                                  {QStringLiteral("macheta"), templatePath}};
    const auto readHere = [&](const QString &output) -> std::optional<std::pair<QString, QString>> {
        for (const auto &input : inputs) {
            if (!input.second.isEmpty() && sameFile(output, input.second))
                return input;
        }
        return std::nullopt;
    };
    if (!pdf.isEmpty()) {
        if (const auto input = readHere(pdf))
            return failWith(RunOutput, QStringLiteral("fisierul PDF %1 este chiar %2 %3: alegeti alt fisier")
                                           .arg(QDir::toNativeSeparators(pdf), input->first,
                                                QDir::toNativeSeparators(input->second)));
    }

    QString error;
    if (!pdf.isEmpty() && !given.has("--force") && isReadOnlyFile(outputTarget(pdf, nullptr)))
        return failWith(RunOutput, QStringLiteral("fisierul %1 poate fi doar citit; --force il inlocuieste")
                                       .arg(QDir::toNativeSeparators(pdf)));
    const PageOrientation orientation = model.Orientare == 1 ? PageOrientation::Landscape
                                      : model.Orientare == 2 ? PageOrientation::Portrait
                                                             : PageOrientation::Unchanged;
    std::unique_ptr<PageJob> job;
    PaperArea paper;
    if (png.isEmpty()) {
        job = !print                ? PageJob::toPdf(pdf, given.has("--force"))
            : printerName.isEmpty() ? PageJob::toDefaultPrinter(&error)
                                    : PageJob::toNamedPrinter(printerName, &error);
        if (!job)
            return failWith(RunOutput, error);
        job->prepare(orientation);
        paper = {job->paperMm(), job->printableMm()};
    } else {
        paper = PageJob::pdfPaper(orientation); // the images show the PDF's pages
    }
    // The page image is the template's size, as on the canvas; without one, the printable area.
    QSizeF pageMm = paper.printableMm.size();
    if (!templatePath.isEmpty()) {
        const std::optional<Picture> form = loadPicture(templatePath, 1.0, &error, templatePage);
        if (!form)
            return failWith(RunSchema, error);
        pageMm = form->sizeMm * templateScale;
    }

    RecordPages pages(model, pageMm, given.value("--password"));
    if (!pages.open(choice, &error))
        return failWith(RunDatabase, error);
    // A form printed with fields left blank, or with no page at all, is no success.
    if (const QStringList missing = pages.missingColumns(); !missing.isEmpty() && !given.has("--allow-missing"))
        return failWith(RunDatabase, QStringLiteral("tabela %1 nu are coloanele campurilor %2; --allow-missing le tipareste goale")
                                         .arg(model.NumeTabela, missing.join(QStringLiteral(", "))));
    if (pages.pageCount() == 0)
        return failWith(RunDatabase, QStringLiteral("tabela %1 nu are nicio inregistrare de tiparit").arg(model.NumeTabela));
    // Fields the paper does not hold whole, told as the window asks about them; the first page
    // stands for the others.
    if (PageContent first; pages.page(0, &first, nullptr)) {
        const PageGeometry geometry{pageMm, paper.printableMm, double(model.PozStanga), double(model.PozSus)};
        if (const QStringList outside = fieldsOutside(model, first, geometry); !outside.isEmpty())
            QTextStream(stderr) << "formulix: " << fieldsOutsideMessage(outside, orientation) << '\n';
    }
    std::optional<PngSink> images;
    if (!png.isEmpty()) {
        const QStringList there = PngSink::existingPages(png, pages.pageCount());
        for (const QString &name : there) {
            const QString path = QDir(png).filePath(name);
            if (const auto input = readHere(path))
                return failWith(RunOutput, QStringLiteral("imaginea %1 este chiar %2 %3: alegeti alt folder")
                                               .arg(QDir::toNativeSeparators(path), input->first,
                                                    QDir::toNativeSeparators(input->second)));
        }
        if (!there.isEmpty() && !given.has("--force"))
            return failWith(RunOutput, QStringLiteral("folderul %1 contine deja imagini ale paginilor (%2...); --force le inlocuieste")
                                           .arg(QDir::toNativeSeparators(png), there.first()));
        images.emplace(png, pages.pageCount(), paper, given.dpi, given.has("--force"));
    }
    PageSink &sink = job ? static_cast<PageSink &>(*job) : *images;
    // The printer's correction: the one named, or the job's own printer's (files' for a PDF or
    // images); a file for a printer with no correction kept is a mistyped name.
    if (!given.has("--no-profile")) {
        if (!print && given.has("--printer") && !ProfileStore::printers().contains(printerName))
            return failWith(RunUsage, QStringLiteral("nu este salvata nicio corectie pentru imprimanta %1 (Fisiere > Calibrare...)")
                                          .arg(printerName));
        sink.setProfile(ProfileStore::load(given.has("--printer") ? printerName : sink.profileOwner()));
    }

    // A job stopped half-way: the PDF asked for stays as it was, its finished pages only on
    // request; images done stay in their folder.
    const auto stop = [&](int status, const QString &message) {
        QString told = message;
        if (!pdf.isEmpty()) {
            told += QStringLiteral("\nfisierul %1 a ramas cum era").arg(job->printerName());
            if (given.has("--keep-partial")) {
                QString reason;
                const QString kept = job->keepFinishedPages(&reason);
                told += kept.isEmpty() ? QStringLiteral("\n") + reason
                                       : QStringLiteral("\npaginile terminate sunt in %1").arg(QDir::toNativeSeparators(kept));
            }
        } else if (images) {
            const qint64 done = images->pagesDone();
            told += done == 0 ? QStringLiteral("\nnicio pagina nu a fost scrisa in folderul %1").arg(images->destination())
                              : QStringLiteral("\nin folderul %1 sunt paginile terminate, %2 (%3); celelalte fisiere au "
                                               "ramas cum erau")
                                    .arg(images->destination(),
                                         countOf(done, QStringLiteral("pagina"), QStringLiteral("pagini")),
                                         PngSink::pageSpan(done, pages.pageCount()));
        }
        return failWith(status, told);
    };
    const PageLoopOptions options{orientation, applicationTitle(), pageMm, double(model.PozStanga),
                                  double(model.PozSus), nullptr};
    const PageLoopResult result = runPages(pages, sink, options);
    switch (result.end) {
    case PageLoopResult::NotBegun:
        return failWith(RunOutput, result.error);
    case PageLoopResult::RecordUnread:
        return stop(RunDatabase, QStringLiteral("inregistrarea %1: %2").arg(result.record).arg(result.error));
    case PageLoopResult::PageRefused:
        return stop(RunOutput, result.error);
    case PageLoopResult::Cancelled:
    case PageLoopResult::Finished:
        break;
    }
    if (!result.ok || result.end != PageLoopResult::Finished) {
        sink.cancel(nullptr);
        return stop(RunOutput, result.error);
    }
    if (!sink.notice().isEmpty())
        QTextStream(stderr) << "formulix: " << sink.notice() << '\n';
    QTextStream(stdout) << countOf(sink.pagesDone(), QStringLiteral("pagina"), QStringLiteral("pagini"))
                        << (print ? QStringLiteral(" la imprimanta ") : QStringLiteral(" in "))
                        << sink.destination() << '\n';
    return RunOk;
}

} // namespace

bool wantsCommandLine(const QStringList &arguments)
{
    return std::any_of(arguments.begin() + std::min<qsizetype>(1, arguments.size()), arguments.end(),
                       [](const QString &argument) { return argument.startsWith(u'-'); });
}

int runCommandLine(const QStringList &arguments,
                   const std::function<std::unique_ptr<QCoreApplication>()> &makeApplication)
{
    QString error;
    const std::optional<Given> given = parse(arguments, &error);
    if (!given)
        return failWith(RunUsage, error + QLatin1Char('\n') + usage());
    if (given->has("--help") || given->has("--version")) {
        QTextStream(stdout) << (given->has("--help") ? help() : version() + u'\n');
        return RunOk;
    }
    const QString records = given->value("--records", QStringLiteral("all"));
    const std::optional<RecordChoice> choice = parseRecords(records, given->copies);
    if (!choice)
        return failWith(RunUsage, QStringLiteral("--records ia all, N sau N-M (de exemplu 3-5), nu %1").arg(records));
    const std::optional<CsvOptions> csv = parseCsvOptions(*given, &error);
    if (!csv)
        return failWith(RunUsage, error);
    setCsvOverride(*csv);
    // The job reads a table more than once (counting, then the pages): each file is told once.
    setCsvWarningSink([told = QStringList()](const QString &path, const QString &warning) mutable {
        if (!told.contains(path)) {
            told.append(path);
            QTextStream(stderr) << "formulix: " << warning << '\n';
        }
    });
    const std::unique_ptr<QCoreApplication> application = makeApplication();
    return run(*given, *choice);
}

} // namespace formulix
