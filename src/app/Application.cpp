#include "app/Application.h"

#include "app/CommandLine.h"
#include "app/frmEcranPrincipal.h"
#include "model/Module1.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <QTranslator>

namespace formulix {

void prepareApplication(QApplication &app)
{
    // The name alone, never a display name: Qt would append " — Formulix" to every title the
    // window manager shows, and the windows' titles are exactly their captions.
    app.setApplicationName(applicationTitle());
    app.setDesktopFileName(QStringLiteral("ro.formulix.Formulix"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/formulix-64.png"));
    icon.addFile(QStringLiteral(":/icons/formulix-256.png"));
    app.setWindowIcon(icon);
    // Qt's own texts (file dialog, buttons, text menus) in Romanian, like the program's.
    static QTranslator qtRomanian;
    if (qtRomanian.load(QStringLiteral(":/translations/qt_ro.qm")))
        app.installTranslator(&qtRomanian);
}

int runFormulix(int &argc, char **argv, bool quitWhenIdle)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // A run without the window needs no display: a terminal or a scheduled job has none.
    const bool commandLine = wantsCommandLine(arguments);
    if (commandLine && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    prepareApplication(app);
    if (commandLine)
        return runCommandLine(arguments);
    Module1 model;
    frmEcranPrincipal window(model);
    window.showAtStart();
    if (quitWhenIdle)
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}

} // namespace formulix
