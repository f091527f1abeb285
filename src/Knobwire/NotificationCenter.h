#pragma once

#include <QDBusConnection>
#include <QString>

#include <functional>
#include <optional>

namespace Knobwire {

class NotificationObserver;

// The machine-wide notifications between applications of one user: signals on the D-Bus session
// bus. A notification name "a.b.member" is the signal `member` of interface "a.b", sent from the
// object path "/dev/knobwire" with its text as the one string argument (none when absent).
class NotificationCenter {
public:
    // Receives a notification's text (none when it carried no single string) and the unique bus
    // name of its sender, which tells who sent it.
    using Handler =
        std::function<void(const std::optional<QString> &object, const QString &sender)>;

    explicit NotificationCenter(QDBusConnection bus);
    // The session bus of this process.
    static NotificationCenter defaultCenter();

    QDBusConnection bus() const { return m_bus; }

    // Sends the notification at once; false when the bus cannot take it.
    bool post(const QString &name, const std::optional<QString> &object = std::nullopt) const;

    // Delivers every notification of that name, from any sender and path, on the calling
    // thread's event loop. The returned token is given back to removeObserver(); null when
    // the name is not a valid signal name or the bus refused the match.
    NotificationObserver *addObserver(const QString &name, Handler handler) const;
    // Stops and frees one observer; safe from any thread and from inside its own handler.
    void removeObserver(NotificationObserver *observer) const;

private:
    QDBusConnection m_bus;
};

} // namespace Knobwire
