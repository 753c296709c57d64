#include "gui/app/Application.h"

#include "cli/CommandLine.h"
#include "gui/app/frmEcranPrincipal.h"
#include "core/layout/Module1.h"

#include <QApplication>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QTranslator>

namespace formulix {

namespace {

// The program's icon, decoded only when a window system asks for it: an offscreen or
// command-line run never does, and decoding it at every start would cost as much as building
// the whole window.
class ApplicationIconEngine final : public QIconEngine
{
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {QSize(64, 64), QSize(256, 256)}; }
    QIconEngine *clone() const override { return new ApplicationIconEngine; }
    QString key() const override { return QStringLiteral("formulix"); }

private:
    const QIcon &icon()
    {
        if (m_icon.isNull()) {
            m_icon.addFile(QStringLiteral(":/icons/formulix-64.png"));
            m_icon.addFile(QStringLiteral(":/icons/formulix-256.png"));
        }
        return m_icon;
    }

    QIcon m_icon;
};

} // namespace

void prepareApplication(QApplication &app)
{
    // The name alone, never a display name: Qt would append " — Formulix" to every title the
    // window manager shows, and the windows' titles are exactly their captions.
    app.setApplicationName(applicationTitle());
    app.setDesktopFileName(QStringLiteral("ro.formulix.Formulix"));
    app.setWindowIcon(QIcon(new ApplicationIconEngine));
    // Qt's own texts (file dialog, buttons, text menus) in Romanian, like the program's.
    static QTranslator qtRomanian;
    if (qtRomanian.load(QStringLiteral(":/translations/qt_ro.qm")))
        app.installTranslator(&qtRomanian);
}

int runFormulix(int &argc, char **argv, const std::function<void(QWidget &)> &beforeShow)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (wantsCommandLine(arguments)) {
        return runCommandLine(arguments, [&] {
            // A run without the window needs no display: a terminal or a scheduled job has none.
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            // Pages are drawn and written without a widget: fonts and painters need no more.
            auto app = std::make_unique<QGuiApplication>(argc, argv);
            app->setApplicationName(applicationTitle());
            return std::unique_ptr<QCoreApplication>(std::move(app));
        });
    }
    QApplication app(argc, argv);
    prepareApplication(app);
    Module1 model;
    frmEcranPrincipal window(model);
    if (beforeShow)
        beforeShow(window);
    window.showAtStart();
    return app.exec();
}

} // namespace formulix
