#include "StandInSecretService.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>

#include <algorithm>

namespace Quorvel {

namespace {

// A secret as the Secret Service carries it, (oayays): the session it is encoded for, the
// session's parameters (none for a plain session), the value and its content type.
struct SecretValue {
    QDBusObjectPath session;
    QByteArray parameters;
    QByteArray value;
    QString contentType;
};

QDBusArgument &operator<<(QDBusArgument &argument, const SecretValue &secret)
{
    argument.beginStructure();
    argument << secret.session << secret.parameters << secret.value << secret.contentType;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, SecretValue &secret)
{
    argument.beginStructure();
    argument >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
    argument.endStructure();
    return argument;
}

using Attributes = QMap<QString, QString>;
using SecretsByItem = QMap<QDBusObjectPath, SecretValue>;

} // namespace

} // namespace Quorvel

Q_DECLARE_METATYPE(Quorvel::SecretValue)
Q_DECLARE_METATYPE(Quorvel::SecretsByItem)

namespace Quorvel {

namespace {

// How long a private bus daemon may take to print its address.
constexpr int busStartLimitMs = 10000;
const QString connectionName = QStringLiteral("stand-in-secrets");
const QString servicePath = QStringLiteral("/org/freedesktop/secrets");
const QString defaultAlias = QStringLiteral("/org/freedesktop/secrets/aliases/default");
const QString collectionPath = QStringLiteral("/org/freedesktop/secrets/collection/login");
const QString promptPath = QStringLiteral("/org/freedesktop/secrets/prompt/p1");
const QString promptInterface = QStringLiteral("org.freedesktop.Secret.Prompt");

QVariant path(const QString &text)
{
    return QVariant::fromValue(QDBusObjectPath(text));
}

} // namespace

// What the Secret Service answers, as far as storing one item asks it (libsecret: a session,
// then the item in the default collection, creating that collection through a prompt first).
class SecretServiceObject : public QDBusVirtualObject {
public:
    explicit SecretServiceObject(StandInSecretService &owner) : m_owner(owner) {}

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        connection.send(answer(message));
        return true;
    }

    QDBusMessage answer(const QDBusMessage &message)
    {
        const QString member = message.member();
        if (member == QLatin1String("GetAll"))
            return message.createReply(QVariant(QVariantMap()));
        if (member == QLatin1String("OpenSession")) {
            if (message.arguments().value(0).toString() != QLatin1String("plain"))
                return message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error."
                                                               "NotSupported"),
                                                QStringLiteral("Only plain sessions"));
            return message.createReply(
                {QVariant::fromValue(QDBusVariant(QString())),
                 path(QStringLiteral("/org/freedesktop/secrets/session/s1"))});
        }
        if (member == QLatin1String("ReadAlias"))
            return message.createReply(
                path(collectionExists ? collectionPath : QStringLiteral("/")));
        if (member == QLatin1String("SearchItems")) {
            // Every item here is unlocked.
            const auto wanted = qdbus_cast<Attributes>(message.arguments().value(0));
            QList<QDBusObjectPath> found;
            for (const Item &item : items) {
                if (std::all_of(wanted.keyValueBegin(), wanted.keyValueEnd(), [&item](auto pair) {
                        return item.attributes.value(pair.first) == pair.second;
                    }))
                    found.append(item.path);
            }
            return message.createReply(
                {QVariant::fromValue(found), QVariant::fromValue(QList<QDBusObjectPath>())});
        }
        if (member == QLatin1String("GetSecrets")) {
            const auto wanted = qdbus_cast<QList<QDBusObjectPath>>(message.arguments().value(0));
            SecretsByItem secrets;
            for (const Item &item : items) {
                if (wanted.contains(item.path))
                    secrets.insert(item.path, item.secret);
            }
            return message.createReply(QVariant::fromValue(secrets));
        }
        if (member == QLatin1String("CreateCollection"))
            return message.createReply({path(QStringLiteral("/")), path(promptPath)});
        if (member == QLatin1String("Prompt")) {
            asking = true;
            emit m_owner.askingChanged();
            return message.createReply();
        }
        if (member == QLatin1String("CreateItem")) {
            if (!collectionExists)
                return message.createErrorReply(
                    QStringLiteral("org.freedesktop.Secret.Error.NoSuchObject"),
                    QStringLiteral("No such collection"));
            if (refusesItems)
                return message.createErrorReply(
                    QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                    QStringLiteral("The keyring refused the item"));
            return message.createReply(
                {QVariant::fromValue(store(message)), path(QStringLiteral("/"))});
        }
        qWarning("StandInSecretService: no answer for %s on %s", qUtf8Printable(member),
                 qUtf8Printable(message.path()));
        return message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                        member);
    }

    // CreateItem's item, replacing one with the same attributes as libsecret asks.
    QDBusObjectPath store(const QDBusMessage &message)
    {
        const auto properties = qdbus_cast<QVariantMap>(message.arguments().value(0));
        const auto attributes = qdbus_cast<Attributes>(
            properties.value(QStringLiteral("org.freedesktop.Secret.Item.Attributes")));
        const auto secret = qdbus_cast<SecretValue>(message.arguments().value(1));
        for (Item &item : items) {
            if (item.attributes == attributes) {
                item.secret = secret;
                return item.path;
            }
        }
        ++itemsMade;
        items.append(
            {QDBusObjectPath(collectionPath + QStringLiteral("/") + QString::number(itemsMade)),
             attributes, secret});
        return items.last().path;
    }

    struct Item {
        QDBusObjectPath path;
        Attributes attributes;
        SecretValue secret;
    };

    StandInSecretService &m_owner;
    bool asking = false;
    bool collectionExists = false;
    bool refusesItems = false;
    QList<Item> items;
    // Item paths are never reused, as the keyring's are not.
    int itemsMade = 0;
};

StandInSecretService::StandInSecretService() : m_object(new SecretServiceObject(*this))
{
    qDBusRegisterMetaType<SecretValue>();
    qDBusRegisterMetaType<SecretsByItem>();
}

StandInSecretService::~StandInSecretService()
{
    QDBusConnection::disconnectFromBus(connectionName);
    m_bus.kill();
    m_bus.waitForFinished();
}

bool StandInSecretService::start()
{
    if (!m_folder.isValid())
        return false;
    const QString config = m_folder.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral(
                   "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                   "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                   "busconfig.dtd\">\n<busconfig><type>session</type>"
                   "<listen>unix:path=%1</listen><policy context=\"default\">"
                   "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                   "<allow own=\"*\"/></policy></busconfig>\n")
                   .arg(m_folder.filePath(QStringLiteral("bus")))
                   .toUtf8());
    file.close();
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                 QStringLiteral("--config-file=") + config});
    if (!m_bus.waitForReadyRead(busStartLimitMs))
        return false;
    const QString address = QString::fromUtf8(m_bus.readLine()).trimmed();
    m_connection = QDBusConnection::connectToBus(address, connectionName);
    if (!m_connection.isConnected() ||
        !m_connection.registerVirtualObject(servicePath, m_object.get(),
                                            QDBusConnection::SubPath) ||
        !m_connection.registerService(QStringLiteral("org.freedesktop.secrets")))
        return false;
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
    return true;
}

void StandInSecretService::reset()
{
    m_object->collectionExists = false;
    m_object->refusesItems = false;
    m_object->items.clear();
}

bool StandInSecretService::asking() const
{
    return m_object->asking;
}

void StandInSecretService::answer(bool dismissed)
{
    m_object->asking = false;
    m_object->collectionExists = !dismissed;
    QDBusMessage completed =
        QDBusMessage::createSignal(promptPath, promptInterface, QStringLiteral("Completed"));
    // The new collection's path, or, dismissed, an empty text (libsecret 0.20 then never
    // finishes the save: the harder case for the store).
    completed << dismissed
              << QVariant::fromValue(
                     QDBusVariant(dismissed ? QVariant(QString()) : path(collectionPath)));
    m_connection.send(completed);
    emit askingChanged();
}

void StandInSecretService::setRefusesItems(bool refuses)
{
    m_object->refusesItems = refuses;
}

int StandInSecretService::storedItems() const
{
    return static_cast<int>(m_object->items.size());
}

} // namespace Quorvel
