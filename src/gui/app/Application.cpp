#include "gui/app/Application.h"

#include "cli/CommandLine.h"
#include "gui/app/frmEcranPrincipal.h"
#include "core/layout/Module1.h"
#include "widgets/FileDialogColumns.h"

#include <QApplication>
#include <QIcon>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QTranslator>

#include <functional>

namespace formulix {

namespace {

// An icon made only when something first asks for it.
class DeferredIconEngine final : public QIconEngine
{
public:
    using Make = std::function<QIcon()>;
    DeferredIconEngine(Make make, QList<QSize> sizes) : m_make(std::move(make)), m_sizes(std::move(sizes)) {}

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
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return m_sizes.isEmpty() ? icon().availableSizes(mode, state) : m_sizes;
    }
    QIconEngine *clone() const override
    {
        auto *copy = new DeferredIconEngine(m_make, m_sizes);
        copy->m_icon = m_icon;
        return copy;
    }
    QString key() const override { return QStringLiteral("formulix-deferred"); }

private:
    const QIcon &icon()
    {
        if (m_make) {
            m_icon = m_make();
            m_make = nullptr;
        }
        return m_icon;
    }

    Make m_make;
    QList<QSize> m_sizes;
    QIcon m_icon;
};

// The program's icon, decoded only when a window system asks for it (an offscreen or
// command-line run never does), by the PNG reader itself: a file icon would first load every
// image plugin Qt has, with their libraries, to ask each whether it reads PNG.
QIcon applicationIcon()
{
    return QIcon(new DeferredIconEngine(
        [] {
            QIcon icon;
            for (const char *size : {"64", "256"}) {
                QImageReader reader(QStringLiteral(":/icons/formulix-%1.png").arg(QLatin1String(size)), "png");
                reader.setAutoDetectImageFormat(false);
                icon.addPixmap(QPixmap::fromImage(reader.read()));
            }
            return icon;
        },
        {QSize(64, 64), QSize(256, 256)}));
}

// The menu bar's overflow arrow, shown only when the menus do not fit, is made with the menu
// bar; as a file icon it loads every image plugin, which would cost each start several
// milliseconds. It is read when first drawn instead.
class DeferredIconStyle final : public QProxyStyle
{
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        if (which != SP_ToolBarHorizontalExtensionButton && which != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(which, option, widget);
        const QPointer<QStyle> base = baseStyle();
        return QIcon(new DeferredIconEngine([base, which] { return base ? base->standardIcon(which) : QIcon(); }, {}));
    }
};

} // namespace

void prepareApplication(QApplication &app)
{
    // The name alone, never a display name: Qt would append " — Formulix" to every title the
    // window manager shows, and the windows' titles are exactly their captions.
    app.setApplicationName(applicationTitle());
    app.setDesktopFileName(QStringLiteral("ro.formulix.Formulix"));
    app.setWindowIcon(applicationIcon());
    app.setStyle(new DeferredIconStyle);
    // Qt's own texts (file dialog, buttons, text menus) in Romanian, like the program's.
    static QTranslator qtRomanian;
    if (qtRomanian.load(QStringLiteral(":/translations/qt_ro.qm")))
        app.installTranslator(&qtRomanian);
    romanianFileDialogColumns(app);
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
