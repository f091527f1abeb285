#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <chrono>

namespace Quorvel {

// Calls org.freedesktop.Application on the copy that owns the bus name: how a copy that is not
// the one to run passes its request on before it ends. Each call waits for the answer, so the
// request has arrived when it returns true.
class ApplicationForwarder {
public:
    // The running copy answers from its event loop at once; one that hangs must not keep the new
    // copy from ending.
    static constexpr std::chrono::milliseconds callTimeout{5000};

    ApplicationForwarder(QDBusConnection bus, QString busName);

    bool activate(const QVariantMap &platformData) const;
    bool open(const QStringList &uris, const QVariantMap &platformData) const;
    bool activateAction(const QString &actionName, const QVariantList &parameter,
                        const QVariantMap &platformData) const;

private:
    bool call(const QString &method, const QVariantList &arguments) const;

    QDBusConnection m_bus;
    QString m_busName;
};

} // namespace Quorvel
