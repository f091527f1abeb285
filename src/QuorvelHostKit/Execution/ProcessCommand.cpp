#include "QuorvelHostKit/Execution/ProcessCommand.h"

#include "QuorvelHostKit/Execution/SystemExecutorDefaults.h"

#include <QDir>
#include <QFile>

#include <pwd.h>
#include <vector>

namespace Quorvel {

namespace {

// The kernel keeps a process's name to this many bytes; pgrep's exact match compares with them,
// so a longer name is looked for in the command lines instead.
constexpr qsizetype processNameBytes = 15;

// Room for one password-database entry, generous for any home folder path.
constexpr size_t passwordEntrySize = 16 * 1024;

const QString extendedRegexSpecials = QStringLiteral("\\^$.|?*+()[]{}");

// pgrep reads its pattern as an extended regular expression; a name is looked for as it is
// spelled, so that a process called "g++" or "x.y" is found as itself and only as itself.
QString literalPattern(const QString &name)
{
    QString escaped;
    for (const QChar c : name) {
        if (extendedRegexSpecials.contains(c))
            escaped.append(u'\\');
        escaped.append(c);
    }
    return escaped;
}

// A pattern that finds name as the program of a command line: the first word, with or without
// the folders before it, followed by the end or a blank.
QString commandLinePattern(const QString &name)
{
    return QStringLiteral("^([^ ]*/)?") + literalPattern(name) + QStringLiteral("( |$)");
}

QString homeOf(const QString &user)
{
    if (user.isEmpty())
        return QDir::homePath();
    passwd entry{};
    passwd *found = nullptr;
    std::vector<char> buffer(passwordEntrySize);
    if (::getpwnam_r(QFile::encodeName(user).constData(), &entry, buffer.data(), buffer.size(),
                     &found) != 0 ||
        !found)
        return QString();
    return QFile::decodeName(found->pw_dir);
}

} // namespace

std::optional<ProcessCommand> ProcessCommand::forAction(const Action &action,
                                                        const ExecutorTools &tools)
{
    const double timeout = action.timeout.value_or(SystemExecutorDefaults::timeout);
    switch (action.type) {
    case Action::Kind::shortcut:
        return ProcessCommand{tools.shortcuts, {QStringLiteral("run"), action.target}, timeout};
    case Action::Kind::shell:
        return ProcessCommand{tools.zsh, {QStringLiteral("-lc"), action.target}, timeout};
    case Action::Kind::applescript:
        return ProcessCommand{tools.osascript, {QStringLiteral("-e"), action.target}, timeout};
    case Action::Kind::script:
        return ProcessCommand{
            tools.zsh, {QStringLiteral("-l"), expandTilde(action.target)}, timeout};
    case Action::Kind::app:
    case Action::Kind::appControl:
        break;
    }
    return std::nullopt;
}

ProcessCommand ProcessCommand::forShellCheck(const QString &command, const ExecutorTools &tools)
{
    return {tools.zsh, {QStringLiteral("-lc"), command}, SystemExecutorDefaults::checkTimeout};
}

ProcessCommand ProcessCommand::forProcessLookup(const QString &name, const ExecutorTools &tools)
{
    // "--" ends the options, so a name that begins with "-" is looked for, not obeyed.
    if (name.toUtf8().size() <= processNameBytes)
        return {tools.pgrep,
                {QStringLiteral("-x"), QStringLiteral("--"), literalPattern(name)},
                SystemExecutorDefaults::processLookupTimeout};
    return {tools.pgrep,
            {QStringLiteral("-f"), QStringLiteral("--"), commandLinePattern(name)},
            SystemExecutorDefaults::processLookupTimeout};
}

ProcessCommand ProcessCommand::forShortcutList(const ExecutorTools &tools)
{
    return {tools.shortcuts, {QStringLiteral("list")}, SystemExecutorDefaults::shortcutListTimeout};
}

QString expandTilde(const QString &path)
{
    if (!path.startsWith(u'~'))
        return path;
    const qsizetype slash = path.indexOf(u'/');
    const QString user = slash < 0 ? path.mid(1) : path.mid(1, slash - 1);
    const QString home = homeOf(user);
    if (home.isEmpty())
        return path;
    return slash < 0 ? home : home + path.mid(slash);
}

} // namespace Quorvel
