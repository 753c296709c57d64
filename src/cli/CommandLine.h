#pragma once
// Formulix without its window: the pages of a schema's records into a PDF file, onto the
// default printer or as PNG images into a folder, from a terminal or a scheduled job, with no
// display.
//
//   formulix --pdf OUT.pdf [--records all|N|N-M] [--copies K] [--template IMAGE]
//            [--portrait | --landscape] [--printer NAME] [--no-profile]
//            [--password P] SCHEMA.tip
//   formulix --print [same options] SCHEMA.tip
//   formulix --png FOLDER [--dpi N] [same options] SCHEMA.tip
//   formulix --help | --version

#include <QStringList>
#include <functional>
#include <memory>

class QCoreApplication;

namespace formulix {

// Exit statuses of a run without the window.
enum CommandLineStatus {
    RunOk = 0,
    RunUsage = 2,    // unknown option, missing value, bad range
    RunSchema = 3,   // the schema or the template cannot be read
    RunDatabase = 4, // the database or its table cannot be opened, or a record read
    RunOutput = 5,   // the PDF or an image cannot be written, or the printer fails
};

// True when the arguments (the program's name first) ask for a run without the window: any
// argument that starts with "-" does, so a mistyped option is told on the terminal rather than
// opening the window or failing for want of a display.
bool wantsCommandLine(const QStringList &arguments);

// Runs it; messages go to stderr, the page count to stdout. "--help", "--version" and every
// usage error are answered before `makeApplication` is called, so they work with no display
// at all; the run itself keeps the application object it makes until it ends.
int runCommandLine(const QStringList &arguments,
                   const std::function<std::unique_ptr<QCoreApplication>()> &makeApplication);

} // namespace formulix
