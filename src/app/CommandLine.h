#pragma once
// Formulix without its window: the pages of a schema's records into a PDF file or onto the
// default printer, from a terminal or a scheduled job, with no display.
//
//   formulix --pdf OUT.pdf [--records all|N|N-M] [--copies K] [--template IMAGE]
//            [--portrait] [--password P] SCHEMA.tip
//   formulix --print [same options] SCHEMA.tip

#include <QStringList>
#include <optional>

namespace formulix {

// Exit statuses of a run without the window.
enum CommandLineStatus {
    RunOk = 0,
    RunUsage = 2,    // unknown option, missing value, bad range
    RunSchema = 3,   // the schema or the template cannot be read
    RunDatabase = 4, // the database or its table cannot be opened, or a record read
    RunOutput = 5,   // the PDF cannot be written or the printer fails
};

// True when the arguments ask for a run without the window.
bool wantsCommandLine(const QStringList &arguments);

// Runs it (an application object must exist); messages go to stderr, the page count to stdout.
int runCommandLine(const QStringList &arguments);

} // namespace formulix
