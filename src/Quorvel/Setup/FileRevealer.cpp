#include "Quorvel/Setup/FileRevealer.h"

#include "Quorvel/AppLogging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace Quorvel {

FileRevealer::FileRevealer(QDBusConnection bus, QObject *parent)
    : QObject(parent), m_bus(std::move(bus))
{}

void FileRevealer::reveal(const QString &filePath)
{
    const QUrl file = QUrl::fromLocalFile(filePath);
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(filePath).absolutePath());
    if (!m_bus.isConnected()) {
        QDesktopServices::openUrl(folder);
        emit revealed(false);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, service, QStringLiteral("ShowItems"));
    call << QStringList{file.toString(QUrl::FullyEncoded)} << QString();
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, folder](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusPendingReply<> reply = *finished;
                if (!reply.isError()) {
                    emit revealed(true);
                    return;
                }
                qCInfo(lcApp) << "No file manager answered; opening the folder:"
                              << reply.error().message();
                QDesktopServices::openUrl(folder);
                emit revealed(false);
            });
}

} // namespace Quorvel
