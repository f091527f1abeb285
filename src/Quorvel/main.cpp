#include "Platform/Session/QuitSignals.h"
#include "Quorvel/AppMenu.h"
#include "Quorvel/AppState.h"
#include "Quorvel/CommandLine.h"
#include "Quorvel/DesktopRegistration.h"
#include "Quorvel/EditorWindows.h"
#include "Quorvel/Launcher.h"
#include "Quorvel/Outside/Updater.h"
#include "Quorvel/OutsideAccess.h"
#include "Quorvel/Setup/SetupWindows.h"
#include "Quorvel/TrayPresence.h"
#include "Quorvel/TrayWatch.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelHostKit/Service/HostDisplayName.h"
#include "Widgets/FocusRing.h"
#include "Widgets/IconTheme.h"
#include "Widgets/ReadablePalette.h"
#include "Widgets/TextFit.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>
#include <memory>
#include <unistd.h>

using namespace Quorvel;

namespace {

// Without a platform named and without a display, Qt would fail with several lines of its own;
// one line that says what is missing helps more.
bool hasDisplay(const QStringList &arguments)
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           arguments.contains(QStringLiteral("-platform")) ||
           arguments.contains(QStringLiteral("--platform"));
}

// A build started from its build folder registers its desktop entry so that links and start at
// login find it, and says so when it wrote something.
void registerBuildTree()
{
    const QString buildDir = QStringLiteral(QUORVEL_BUILD_DIR);
    if (!QCoreApplication::applicationFilePath().startsWith(buildDir + u'/'))
        return;
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QStringList written = DesktopRegistration::registerFrom(
        QStringLiteral(QUORVEL_GENERATED_DESKTOP_DIR), QStringLiteral(QUORVEL_ICON_ROOT), dataHome);
    if (!written.isEmpty()) {
        std::fprintf(stderr,
                     "quorvel: registered this build for links and start at login in %s "
                     "(desktop entry, bus service file and icons)\n",
                     qPrintable(dataHome));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    // Asking for the usage or the version needs no display and starts nothing.
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    const CommandLine asked = CommandLine::read(arguments);
    if (asked.kind == CommandLine::Kind::help || asked.kind == CommandLine::Kind::version) {
        const QString text = asked.kind == CommandLine::Kind::help
                                 ? CommandLine::usage()
                                 : CommandLine::versionLine(Updater::versionString());
        std::fputs(qPrintable(text), stdout);
        return 0;
    }
    if (!hasDisplay(arguments)) {
        // No Qt option can be in play here (none names a platform), so a wrong option is the
        // user's mistake to point out before the missing display.
        if (asked.kind == CommandLine::Kind::unknownOption) {
            std::fputs(qPrintable(CommandLine::unknownOptionLine(asked.option)), stderr);
            return 2;
        }
        std::fprintf(stderr, "quorvel: no display: neither DISPLAY (X11) nor WAYLAND_DISPLAY "
                             "(Wayland) is set; start it from a desktop session\n");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(Updater::shortVersion());
    QApplication::setDesktopFileName(QStringLiteral("com.vantrel.quorvel"));
    QApplication::setQuitOnLastWindowClosed(false);
    IconTheme::setUp();
    FocusRing::install();
    ReadablePalette::install();
    TextFit::install();

    // Read again without the options Qt took for itself.
    const CommandLine commandLine = CommandLine::read(application.arguments().mid(1));
    if (commandLine.kind == CommandLine::Kind::unknownOption) {
        std::fputs(qPrintable(CommandLine::unknownOptionLine(commandLine.option)), stderr);
        return 2;
    }

    // Before anything that could ask Qt about the tray (which keeps its first answer).
    TrayWatch trayWatch;
    QuitSignals quitSignals;
    LaunchRequest request = LaunchRequest::fromArguments(application.arguments().mid(1));
    request.senderProcess = qint64(getppid());
    Launcher launcher(request, Launcher::Options());

    // The remote's model goes before the application object: closing its link to a host at the
    // end needs the application still there (Qt's TLS ties itself to it while the socket closes).
    std::unique_ptr<ClientModel> model;
    std::unique_ptr<AppState> state;
    std::unique_ptr<TrayPresence> presence;
    std::unique_ptr<OutsideAccess> outside;
    std::unique_ptr<EditorWindows> editorWindows;
    std::unique_ptr<SetupWindows> setupWindows;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &application, [&state] {
        if (state)
            state->quit();
        else
            QCoreApplication::exit(0);
    });
    QObject::connect(&launcher, &Launcher::endHere, &application,
                     [](int status) { QCoreApplication::exit(status); });
    QObject::connect(&launcher, &Launcher::runHere, &application, [&] {
        registerBuildTree();
        model = std::make_unique<ClientModel>(hostDisplayName(), KeychainTokenStore(), true);
        AppState::Options options;
        options.launch = launcher.request();
        options.model = model.get();
        state = std::make_unique<AppState>(std::move(options));
        outside = std::make_unique<OutsideAccess>(*state, OutsideAccess::Options());
        editorWindows = std::make_unique<EditorWindows>(*state);
        setupWindows = std::make_unique<SetupWindows>(
            *state, SetupWindows::programOptions(*outside, trayWatch, state.get()));
        QObject::connect(&launcher, &Launcher::requested, state.get(), &AppState::handle);
        // The session's end through session management quits the event loop directly; it takes
        // the same path as every other way out (a second call does nothing).
        QObject::connect(&application, &QCoreApplication::aboutToQuit, state.get(),
                         &AppState::quit);
        presence = TrayPresence::onDesktop(*state, new AppMenu(*state), &TrayPresence::markIcon,
                                           trayWatch);
    });
    QMetaObject::invokeMethod(&launcher, &Launcher::start, Qt::QueuedConnection);
    const int status = application.exec();
    presence.reset();
    setupWindows.reset();
    editorWindows.reset();
    outside.reset();
    state.reset();
    model.reset();
    return status;
}
