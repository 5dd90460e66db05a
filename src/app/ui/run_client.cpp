#include "app/ui/run_client.h"

#include "app/client_session.h"
#include "app/online_start.h"
#include "app/program_entry.h"
#include "app/startup.h"
#include "app/ui/basket_actions.h"
#include "app/ui/main_menus.h"
#include "app/ui/start_forms.h"
#include "app/ui/web_main.h"
#include "app/workspace_instance.h"
#include "platform/background_job.h"
#include "platform/drive_table.h"
#include "platform/fonts.h"
#include "platform/launchers.h"
#include "platform/process_start.h"
#include "platform/program_file.h"
#include "platform/prompter_bridge.h"
#include "platform/shell.h"
#include "platform/translations.h"
#include "platform/ui/busy_box.h"
#include "platform/ui/qt_prompter.h"
#include "platform/user_folders.h"
#include "sources/ui/browser_panel.h"
#include "sources/ui/film_grid.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QTimer>
#include <QToolTip>
#include <cstdio>
#include <cstdlib>

namespace korvatel
{

namespace
{

// The shop data of the start, fetched on a job under a busy box: the start waits for it, the
// screen does not. A cancelled fetch fails, and the program starts offline.
class TBusyShopData : public TShopDataSource
{
public:
    explicit TBusyShopData(TServerShopData &server)
        : FServer(server)
    {
    }
    bool FetchShopData(
        const QString &shopId, const QString &downloadDir, QString &errorStatus) override
    {
        QString status;
        const std::optional<bool> fetched
            = RunBusyFor(nullptr, QStringLiteral("基本情報をダウンロードしています…"),
                [&](TJobControl &) { return FServer.FetchShopData(shopId, downloadDir, status); });
        errorStatus = fetched ? status : QStringLiteral("キャンセル");
        return fetched.value_or(false);
    }
    QStringList Switches() const override { return FServer.Switches(); }

private:
    TServerShopData &FServer;
};

// Hints appear after 300 ms and stay 30 seconds: the style sets the delay, the filter shows
// every hint with its own display time.
class THintStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
        QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 300;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

class THintTiming : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->toolTip().isEmpty())
            return false;
        const auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), widget->toolTip(), widget, {}, 30000);
        return true;
    }
};

struct TClientOptions {
    QString screenshot;
    int quitAfter = -1;
    bool unattended = false;
    bool reportFirstScreen = false;
    QStringList own; // the options as given, for a started copy
    QStringList arguments; // the rest: the program entry's command line
};

TClientOptions ParseOptions(const QStringList &args)
{
    TClientOptions options;
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("--screenshot=")))
            options.screenshot = arg.section(u'=', 1);
        else if (arg.startsWith(QLatin1String("--quit-after=")))
            options.quitAfter = arg.section(u'=', 1).toInt();
        else if (arg == QLatin1String("--unattended"))
            options.unattended = true;
        else if (arg == QLatin1String("--report-first-screen"))
            options.reportFirstScreen = true;
        else {
            options.arguments << arg;
            continue;
        }
        options.own << arg;
    }
    return options;
}

// The options that end a run by themselves: the screenshot, the time to the first complete
// screen and the end after a while.
void ArmRunOptions(QApplication &app, TWebMain &window, const TClientOptions &options)
{
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(500, &window, [&window, screenshot = options.screenshot] {
            const bool saved = window.grab().save(screenshot, "PNG");
            window.close();
            if (!saved)
                QApplication::exit(1);
        });
    }
    if (options.reportFirstScreen) {
        // Queued, so that the screen has been flushed to the display when the time is taken.
        // The program then ends at once, without closing the window or tearing anything down:
        // nothing is saved, the next run starts from the same files, and the process's own
        // run time is the time to the screen.
        QObject::connect(
            window.Browser()->lvBrowser(), &TFilmGrid::screenComplete, &app,
            [] {
                std::printf("%.0f\n", MsSinceProcessStart().value_or(-1));
                std::fflush(stdout);
                std::_Exit(0);
            },
            Qt::QueuedConnection);
    }
    if (options.quitAfter >= 0)
        QTimer::singleShot(options.quitAfter, &window, &QWidget::close);
}

// A later start on the same workspace knocked: the main window (once there is one) comes to
// the front, restored when it was minimised, and over it the start window or message that
// waits for an answer.
void BringToFront(QWidget *mainWindow)
{
    std::fprintf(
        stderr, "Korvatel: a second start on this workspace brought this run to the front\n");
    for (QWidget *window : { mainWindow, QApplication::activeModalWidget() }) {
        if (!window)
            continue;
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window->raise();
        window->activateWindow();
    }
}

// Starts the program that is to take this run's place, giving it the workspace first; when it
// does not start, this run goes on and holds the workspace again.
bool StartInstead(TWorkspaceInstance &instance, const QString &program, const QStringList &args)
{
    instance.Release();
    if (StartProgram(program, args))
        return true;
    instance.Claim();
    return false;
}

} // namespace

int RunClient(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Korvatel"));
    // Without the translations installed, Qt's own dialogs simply stay in English.
    InstallQtTranslations(app);
    MapWindowsFonts();
    QApplication::setFont(QFont(QStringLiteral("MS UI Gothic"), 9));

    const TClientOptions options = ParseOptions(app.arguments().mid(1));
    TQtPrompter qtPrompter;
    TUnattendedPrompter unattendedPrompter;
    TPrompter &prompter = options.unattended ? static_cast<TPrompter &>(unattendedPrompter)
                                             : static_cast<TPrompter &>(qtPrompter);

    const TUserFolders folders = TUserFolders::FromEnvironment();
    // One run per workspace: a second start brings the first to the front and ends. A copy of
    // the program that is to take this run's place gets the workspace before it starts.
    TWorkspaceInstance instance(folders.configDir);
    if (!ClaimWorkspace(instance, prompter))
        return 0;
    QPointer<QWidget> mainWindow;
    QObject::connect(
        &instance, &TWorkspaceInstance::knocked, &app, [&mainWindow] { BringToFront(mainWindow); });
    const TDriveTable drives = TDriveTable::FromSystem(folders);
    TEntryInput input { options.arguments, OwnProgramPath(), folders, drives,
        [&](const QString &program) { return StartInstead(instance, program, options.own); },
        TrustLauncher };
    const TEntryResult entry = RunProgramEntry(input, prompter);
    if (!entry.proceed)
        return 0;

    TQtStartDialogs qtDialogs;
    TUnattendedStartDialogs unattendedDialogs;
    TStartDialogs &dialogs = options.unattended ? static_cast<TStartDialogs &>(unattendedDialogs)
                                                : static_cast<TStartDialogs &>(qtDialogs);
    TWorkspace workspace(folders, drives);
    const TServerConfig servers = TServerConfig::Load(folders.configDir);
    TServerShopData shopServer(servers);
    TBusyShopData busyShopServer(shopServer);
    TSystemClock clock;
    const bool ctrlHeld = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    const TStartupResult startup
        = RunStartup(entry, workspace, dialogs, busyShopServer, clock, ctrlHeld);
    if (!startup.proceed)
        return 0;

    QApplication::setStyle(new THintStyle);
    app.installEventFilter(new THintTiming(&app));
    TClientSession session(std::move(workspace), entry, startup, servers);
    TWebMain window(session);
    mainWindow = &window;
    window.SetPrompter(&prompter);
    window.Menus().ReleaseWorkspace = [&instance] { instance.Release(); };
    if (options.unattended) // nobody to answer a problem list: it is cancelled
        window.Basket().ShowProblems
            = [](const TConsistencyProblems &) { return TProblemAnswer::paCancel; };
    window.show();
    // A downloaded new program is started on its own; this one then ends. The version checks
    // run on a job under a busy box; their questions come to the window's thread.
    const auto startNew
        = [&](const QString &program) { return StartInstead(instance, program, {}); };
    TPrompterBridge windowPrompter(prompter, &window);
    const auto checkVersion = [&](bool fromMenu) {
        return RunBusyFor(&window, QStringLiteral("バージョンを確認しています…"),
            [&](TJobControl &) {
                return fromMenu ? CheckVersionFromMenu(
                           servers, session, OwnProgramVersion(), folders, windowPrompter, startNew)
                                : ApplyVersionGate(session, servers, OwnProgramVersion(), folders,
                                    windowPrompter, startNew);
            })
            .value_or(false);
    };
    QTimer::singleShot(0, &window, [&] {
        // The daily report of the customer to the shop asks the customer first; an unattended
        // run has nobody to answer for the customer, so it neither asks nor sends.
        if (startup.runRegistrationReport && !options.unattended)
            window.StartRegistrationReport();
        if (checkVersion(false))
            window.close();
    });
    window.Menus().CheckVersion = [&] {
        if (checkVersion(true))
            window.close();
    };
    ArmRunOptions(app, window, options);
    return app.exec();
}

} // namespace korvatel
