#include "Quorvel/CommandLine.h"

#include "Quorvel/LaunchRequest.h"

namespace Quorvel {

namespace {

bool isProgramOption(const QString &argument)
{
    return argument == QLatin1String(LaunchRequest::showOnboardingArgument) ||
           argument.startsWith(QLatin1String(LaunchRequest::settingsTabPrefix)) ||
           argument == QLatin1String(LaunchRequest::openDeckEditorArgument);
}

} // namespace

CommandLine CommandLine::read(const QStringList &arguments)
{
    CommandLine unknown;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String(helpOption))
            return {Kind::help, {}};
        if (argument == QLatin1String(versionOption))
            return {Kind::version, {}};
        if (unknown.kind == Kind::run && argument.startsWith(u'-') && !isProgramOption(argument))
            unknown = {Kind::unknownOption, argument};
    }
    return unknown;
}

QString CommandLine::usage()
{
    return QStringLiteral("Usage: quorvel [OPTION]... [quorvel://LINK]...\n"
                          "Starts Quorvel, or passes the request to the copy that already runs.\n"
                          "\n"
                          "  --show-onboarding    open the set-up window\n"
                          "  --settings-tab=NAME  open the settings (the name is not read)\n"
                          "  --open-deck-editor   open the editor of the connected host's actions\n"
                          "                       (of this computer's when it only hosts)\n"
                          "  --help               print this text and end\n"
                          "  --version            print the version and end\n");
}

QString CommandLine::versionLine(const QString &version)
{
    return QStringLiteral("quorvel ") + version + u'\n';
}

QString CommandLine::unknownOptionLine(const QString &option)
{
    return QStringLiteral("quorvel: unknown option \"") + option +
           QStringLiteral("\" (quorvel --help lists the options)\n");
}

} // namespace Quorvel
