#include "QuorvelHostKit/Execution/ExecutorTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Quorvel {

namespace {

const QString shortcutsToolName = QStringLiteral("quorvel-shortcuts");

bool isProgram(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

ExecutorTools ExecutorTools::defaults()
{
    return forProgramIn(QCoreApplication::applicationDirPath());
}

ExecutorTools ExecutorTools::forProgramIn(const QString &programFolder)
{
    const QDir folder(programFolder);
    const QString beside = folder.filePath(shortcutsToolName);
    const QString installed = QDir::cleanPath(
        folder.filePath(QStringLiteral(QUORVEL_TOOLS_FROM_PROGRAM "/") + shortcutsToolName));
    ExecutorTools tools;
    // A build folder has the tool beside the program; an installed program finds it in the
    // package's libexec folder. Neither there: the run fails naming the path beside it.
    tools.shortcuts = !isProgram(beside) && isProgram(installed) ? installed : beside;
    return tools;
}

} // namespace Quorvel
