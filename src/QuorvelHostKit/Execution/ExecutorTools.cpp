#include "QuorvelHostKit/Execution/ExecutorTools.h"

#include <QCoreApplication>

namespace Quorvel {

ExecutorTools ExecutorTools::defaults()
{
    ExecutorTools tools;
    tools.shortcuts = QCoreApplication::applicationDirPath() + QStringLiteral("/quorvel-shortcuts");
    return tools;
}

} // namespace Quorvel
