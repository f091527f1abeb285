#include "Platform/Session/SecretItemLabel.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <memory>

namespace Quorvel {

namespace {

const QString servicePath = QStringLiteral("/org/freedesktop/secrets");
const QString serviceInterface = QStringLiteral("org.freedesktop.Secret.Service");
const QString itemInterface = QStringLiteral("org.freedesktop.Secret.Item");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString labelProperty = QStringLiteral("Label");

using Items = std::function<void(QList<QDBusObjectPath>)>;

// The unlocked items with the keyring library's attributes for service and account.
void findItems(const QDBusConnection &bus, const QString &service, const QString &account,
               QObject *context, Items onDone)
{
    // The attributes go as a{ss}, a type Qt's D-Bus knows only once registered.
    static const QMetaType attributesType = qDBusRegisterMetaType<QMap<QString, QString>>();
    Q_UNUSED(attributesType);
    QDBusMessage search = QDBusMessage::createMethodCall(
        SecretItemLabel::serviceName, servicePath, serviceInterface, QStringLiteral("SearchItems"));
    const QMap<QString, QString> attributes{{QStringLiteral("server"), service},
                                            {QStringLiteral("user"), account}};
    search << QVariant::fromValue(attributes);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(search), context);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, context,
        [onDone = std::move(onDone)](QDBusPendingCallWatcher *call) {
            call->deleteLater();
            const QDBusPendingReply<QList<QDBusObjectPath>, QList<QDBusObjectPath>> reply = *call;
            onDone(reply.isError() ? QList<QDBusObjectPath>() : reply.argumentAt<0>());
        });
}

// The calls of a batch still unanswered, and how many of those answered succeeded.
struct Countdown {
    int left = 0;
    int succeeded = 0;
};

} // namespace

void SecretItemLabel::set(const QDBusConnection &bus, const QString &service,
                          const QString &account, const QString &label, QObject *context,
                          std::function<void(int)> onDone)
{
    findItems(
        bus, service, account, context,
        [bus, label, context, onDone = std::move(onDone)](const QList<QDBusObjectPath> &items) {
            if (items.isEmpty()) {
                if (onDone)
                    onDone(0);
                return;
            }
            auto countdown = std::make_shared<Countdown>();
            countdown->left = int(items.size());
            for (const QDBusObjectPath &item : items) {
                QDBusMessage set = QDBusMessage::createMethodCall(
                    serviceName, item.path(), propertiesInterface, QStringLiteral("Set"));
                set << itemInterface << labelProperty << QVariant::fromValue(QDBusVariant(label));
                auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(set), context);
                QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                                 [countdown, onDone](QDBusPendingCallWatcher *call) {
                                     call->deleteLater();
                                     if (!call->isError())
                                         ++countdown->succeeded;
                                     if (--countdown->left == 0 && onDone)
                                         onDone(countdown->succeeded);
                                 });
            }
        });
}

} // namespace Quorvel
