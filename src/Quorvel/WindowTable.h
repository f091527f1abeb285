#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

namespace Quorvel {

// The program's windows other than the menu, each under a fixed id: opening an id that has a
// window brings that window to the front instead of making a second one. The code that builds a
// kind of window gives the table its factory; until it has, opening that id opens nothing and
// says so in the log. The table owns the windows it made.
class WindowTable : public QObject {
    Q_OBJECT

public:
    static inline const QString deckEditor = QStringLiteral("QuorvelDeckEditor");
    static inline const QString localEditor = QStringLiteral("QuorvelLocalEditor");
    static inline const QString onboarding = QStringLiteral("QuorvelOnboarding");
    static inline const QString settings = QStringLiteral("QuorvelSettings");

    // Makes the window for an id; the table takes it over.
    using Factory = std::function<QWidget *()>;

    explicit WindowTable(QObject *parent = nullptr);
    ~WindowTable() override;

    void setFactory(const QString &id, Factory factory);
    bool hasFactory(const QString &id) const { return m_factories.contains(id); }

    // Brings the id's window to the front, made first when there is none (titled title, when one
    // is given). Null when no factory for the id exists yet.
    QWidget *open(const QString &id, const QString &title = {});
    // The id's window while it exists.
    QWidget *window(const QString &id) const { return m_windows.value(id); }
    // Closes and deletes the id's window; the next open makes a new one.
    void forget(const QString &id);

signals:
    // Every open call, with the window or null.
    void opened(const QString &id, QWidget *window);

private:
    QHash<QString, Factory> m_factories;
    QHash<QString, QPointer<QWidget>> m_windows;
};

} // namespace Quorvel
