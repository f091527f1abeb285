#include "QuorvelHostKit/Execution/HostCatalogBuilder.h"

#include "QuorvelHostKit/Execution/AppControls.h"
#include "QuorvelHostKit/Execution/LocalizedOrder.h"
#include "QuorvelHostKit/Execution/SystemExecutor.h"

#include "Platform/Desktop/DesktopEntries.h"
#include "Platform/Desktop/RunningApplications.h"

#include <QCollator>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <memory>

#include <qcoro/qcorothread.h>

namespace Quorvel::HostCatalogBuilder {

namespace {

// Reading every desktop entry touches the disk; it runs on a thread of its own so the main
// thread keeps serving.
QCoro::Task<std::vector<HostCatalog::App>> installedAppsOffMainThread()
{
    auto apps = std::make_shared<std::vector<HostCatalog::App>>();
    std::unique_ptr<QThread> thread(QThread::create([apps] { *apps = installedApps(); }));
    thread->start();
    co_await qCoro(thread.get()).waitForFinished();
    co_return std::move(*apps);
}

// This application's own desktop entry, and any other entry of its parts, is never offered: an
// action that opens or quits the host would cut every device off.
const QString ownEntryId = QStringLiteral("com.vantrel.quorvel.desktop");
const QString ownEntryPrefix = QStringLiteral("com.vantrel.quorvel.");

bool isThisApplication(const DesktopEntry &entry, const QString &ownProgram)
{
    if (entry.id == ownEntryId || entry.id.startsWith(ownEntryPrefix))
        return true;
    const QString program = QStandardPaths::findExecutable(entry.program);
    return !program.isEmpty() && QFileInfo(program).canonicalFilePath() == ownProgram;
}

QList<DesktopEntry> offeredEntries()
{
    const QString ownProgram =
        QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    QList<DesktopEntry> entries = DesktopEntries::installed();
    entries.removeIf(
        [&ownProgram](const DesktopEntry &entry) { return isThisApplication(entry, ownProgram); });
    return entries;
}

} // namespace

QCoro::Task<HostCatalog> build(SystemExecutor *executor, AppControls *appControls)
{
    QPointer<AppControls> controls(appControls);
    // Started first, so the listing runs while the applications are gathered.
    QCoro::Task<QStringList> shortcuts = executor->listShortcuts();
    HostCatalog catalog;
    catalog.apps = co_await installedAppsOffMainThread();
    catalog.runningApps = runningAppNames();
    if (controls)
        catalog.appControls = controls->catalogEntries();
    catalog.shortcuts = co_await shortcuts;
    co_return catalog;
}

std::vector<HostCatalog::App> installedApps()
{
    std::vector<HostCatalog::App> apps;
    QSet<QString> names;
    for (const DesktopEntry &entry : offeredEntries()) {
        if (names.contains(entry.name))
            continue;
        names.insert(entry.name);
        apps.push_back({entry.name, entry.filePath, entry.id});
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(apps.begin(), apps.end(),
                     [&collator](const HostCatalog::App &a, const HostCatalog::App &b) {
                         return collator.compare(a.name, b.name) < 0;
                     });
    return apps;
}

QStringList runningAppNames()
{
    QStringList names;
    for (const RunningApplication &application : RunningApplications::list(offeredEntries())) {
        if (!application.name.isEmpty() && !names.contains(application.name))
            names.append(application.name);
    }
    sortLocalizedCaseInsensitive(names);
    return names;
}

} // namespace Quorvel::HostCatalogBuilder
