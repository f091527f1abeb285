#include "QuorvelCore/Keychain/KeyringPromptWatch.h"

#include <QDBusConnection>
#include <QDBusVariant>

namespace Quorvel {

namespace {

const QString secretService = QStringLiteral("org.freedesktop.secrets");
const QString promptInterface = QStringLiteral("org.freedesktop.Secret.Prompt");
const QString completedSignal = QStringLiteral("Completed");

} // namespace

KeyringPromptWatch::KeyringPromptWatch(QObject *parent) : QObject(parent)
{
    // Every path: prompts are objects the service makes for each question.
    QDBusConnection::sessionBus().connect(secretService, QString(), promptInterface,
                                          completedSignal, this,
                                          SLOT(completed(bool, QDBusVariant)));
}

KeyringPromptWatch::~KeyringPromptWatch()
{
    QDBusConnection::sessionBus().disconnect(secretService, QString(), promptInterface,
                                             completedSignal, this,
                                             SLOT(completed(bool, QDBusVariant)));
}

void KeyringPromptWatch::completed(bool wasDismissed, const QDBusVariant &)
{
    if (wasDismissed)
        emit dismissed();
}

} // namespace Quorvel
