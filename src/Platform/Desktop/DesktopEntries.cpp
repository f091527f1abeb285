#include "Platform/Desktop/DesktopEntries.h"

// GLib's headers use "signals" as a name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")

#include <QDir>
#include <QStringList>

#include <algorithm>
#include <memory>

namespace Quorvel::DesktopEntries {

namespace {

const QString desktopSuffix = QStringLiteral(".desktop");

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfoPtr = std::unique_ptr<GAppInfo, ObjectUnref>;
using LaunchContextPtr = std::unique_ptr<GAppLaunchContext, ObjectUnref>;

struct ErrorFree {
    void operator()(GError *error) const { g_error_free(error); }
};

QString fromUtf8(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QString stringKey(GDesktopAppInfo *desktop, const char *key)
{
    gchar *value = g_desktop_app_info_get_string(desktop, key);
    QString text = fromUtf8(value);
    g_free(value);
    return text;
}

// An Exec line may start with "env", its options and its NAME=VALUE settings before the program
// proper (snapd and many hand-written entries do); the command is the program and the words after
// it.
QStringList commandOf(const QStringList &words)
{
    // env's options that take the next word as their value.
    static const QStringList optionsWithValue{QStringLiteral("-u"), QStringLiteral("-C")};
    if (words.isEmpty() || words.first().section(u'/', -1) != QLatin1String("env"))
        return words;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString &word = words.at(i);
        if (optionsWithValue.contains(word)) {
            ++i;
        } else if (word == QLatin1String("-S")) {
            // -S splits its value into the command line that env runs.
            return words.value(i + 1).split(u' ', Qt::SkipEmptyParts) + words.mid(i + 2);
        } else if (!word.startsWith(u'-') && !word.contains(u'=')) {
            return words.mid(i);
        }
    }
    return {};
}

// A field code ("%f", "%U"…) stands for what the launcher fills in; it is no word of the entry.
bool isFieldCode(const QString &word)
{
    static const QString codes = QStringLiteral("fFuUdDnNickvm");
    return word.size() == 2 && word.front() == u'%' && codes.contains(word.back());
}

// The first word the command gives its program after the program's options, read against the
// entry's working folder when relative and one is set.
QString argumentOf(const QStringList &command, const QString &workingFolder)
{
    for (const QString &word : command.mid(1)) {
        if (word.startsWith(u'-') || isFieldCode(word))
            continue;
        if (!workingFolder.isEmpty() && QDir::isRelativePath(word))
            return QDir(workingFolder).filePath(word);
        return word;
    }
    return QString();
}

QStringList commandOf(GAppInfo *info)
{
    const char *commandLine = g_app_info_get_commandline(info);
    gchar **words = nullptr;
    if (!commandLine || !g_shell_parse_argv(commandLine, nullptr, &words, nullptr))
        return {};
    QStringList list;
    for (gchar **word = words; *word; ++word)
        list.append(QString::fromUtf8(*word));
    g_strfreev(words);
    return commandOf(list);
}

std::optional<DesktopEntry> entryOf(GAppInfo *info)
{
    if (!G_IS_DESKTOP_APP_INFO(info))
        return std::nullopt;
    auto *desktop = G_DESKTOP_APP_INFO(info);
    if (g_desktop_app_info_get_is_hidden(desktop) || g_desktop_app_info_get_nodisplay(desktop))
        return std::nullopt;

    DesktopEntry entry;
    entry.id = fromUtf8(g_app_info_get_id(info));
    entry.name = fromUtf8(g_app_info_get_name(info));
    entry.filePath = fromUtf8(g_desktop_app_info_get_filename(desktop));
    entry.executable = fromUtf8(g_app_info_get_executable(info));
    if (GIcon *icon = g_app_info_get_icon(info)) {
        gchar *text = g_icon_to_string(icon);
        entry.icon = fromUtf8(text);
        g_free(text);
    }
    const QStringList command = commandOf(info);
    entry.program = command.value(0);
    entry.argument = argumentOf(command, stringKey(desktop, "Path"));
    entry.tryExecutable = stringKey(desktop, "TryExec");
    entry.flatpakId = stringKey(desktop, "X-Flatpak");
    entry.snapName = stringKey(desktop, "X-SnapInstanceName");
    if (entry.id.isEmpty())
        return std::nullopt;
    return entry;
}

} // namespace

QList<DesktopEntry> installed()
{
    QList<DesktopEntry> entries;
    GList *all = g_app_info_get_all();
    for (GList *item = all; item; item = item->next) {
        if (auto entry = entryOf(G_APP_INFO(item->data)))
            entries.append(*entry);
    }
    g_list_free_full(all, g_object_unref);
    std::sort(entries.begin(), entries.end(),
              [](const DesktopEntry &a, const DesktopEntry &b) { return a.id < b.id; });
    return entries;
}

std::optional<DesktopEntry> find(const QString &name)
{
    const QList<DesktopEntry> entries = installed();
    const auto firstWhere = [&entries](auto predicate) -> std::optional<DesktopEntry> {
        const auto found = std::find_if(entries.cbegin(), entries.cend(), predicate);
        if (found == entries.cend())
            return std::nullopt;
        return *found;
    };
    if (auto entry = firstWhere([&name](const DesktopEntry &e) {
            return e.id == name || e.id == name + desktopSuffix;
        }))
        return entry;
    if (auto entry = firstWhere([&name](const DesktopEntry &e) { return e.name == name; }))
        return entry;
    return firstWhere(
        [&name](const DesktopEntry &e) { return e.name.compare(name, Qt::CaseInsensitive) == 0; });
}

bool launch(const QString &id, const QStringList &withoutVariables, QString *error)
{
    AppInfoPtr info(G_APP_INFO(g_desktop_app_info_new(id.toUtf8().constData())));
    if (!info) {
        if (error)
            *error = QStringLiteral("No application with the id %1").arg(id);
        return false;
    }
    LaunchContextPtr context(g_app_launch_context_new());
    for (const QString &variable : withoutVariables)
        g_app_launch_context_unsetenv(context.get(), variable.toUtf8().constData());

    GError *failure = nullptr;
    if (g_app_info_launch(info.get(), nullptr, context.get(), &failure))
        return true;
    std::unique_ptr<GError, ErrorFree> owned(failure);
    if (error)
        *error = owned ? fromUtf8(owned->message) : QString();
    return false;
}

} // namespace Quorvel::DesktopEntries
