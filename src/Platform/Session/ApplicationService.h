#pragma once

#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace Quorvel {

// The program's side of org.freedesktop.Application: how desktop launchers, links and later
// copies of the program hand their requests to the copy that runs. Exported at the object path
// made from the bus name; each call becomes a signal.
class ApplicationService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    static constexpr char interfaceName[] = "org.freedesktop.Application";
    // Platform data that the service itself adds: the process id of the bus client that called,
    // asked of the bus at call time (a caller's own entry under this key is replaced).
    static constexpr char callerProcessKey[] = "caller-pid";

    explicit ApplicationService(QObject *parent = nullptr);

    // "/com/vantrel/quorvel" for "com.vantrel.quorvel", as freedesktop.org desktop entries make
    // it.
    static QString objectPath(const QString &busName);

public slots:
    void Activate(const QVariantMap &platformData);
    void Open(const QStringList &uris, const QVariantMap &platformData);
    void ActivateAction(const QString &actionName, const QVariantList &parameter,
                        const QVariantMap &platformData);

private:
    QVariantMap withCaller(QVariantMap platformData) const;

signals:
    void activated(const QVariantMap &platformData);
    void opened(const QStringList &uris, const QVariantMap &platformData);
    void actionActivated(const QString &actionName, const QVariantList &parameter,
                         const QVariantMap &platformData);
};

} // namespace Quorvel
