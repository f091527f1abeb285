#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace Quorvel {

// Which applications may run the host's actions by opening links: each one's answer in the
// approval alert, kept under "Quorvel.linkApps" (application id → {"name", "allowed"}).
class LinkApprovals : public QObject {
    Q_OBJECT
public:
    static inline const QString settingsKey = QStringLiteral("Quorvel.linkApps");

    struct Entry {
        // The application's desktop-entry id.
        QString appID;
        // Its name when it answered.
        QString name;
        bool allowed = false;
        friend bool operator==(const Entry &, const Entry &) = default;
    };

    // Loads the stored answers; an entry of the wrong shape is skipped, the rest are kept.
    explicit LinkApprovals(QObject *parent = nullptr);

    // Sorted by name, ignoring case.
    const QList<Entry> &entries() const { return m_entries; }
    // The stored answer for that application, or none when it was never asked.
    std::optional<bool> decision(const QString &appID) const;
    // Stores an answer, replacing an earlier one.
    void record(const QString &appID, const QString &name, bool allowed);
    // Drops the answer, so that the application is asked again.
    void forget(const QString &appID);

signals:
    void entriesChanged();

private:
    void sortAndSave();

    QList<Entry> m_entries;
};

} // namespace Quorvel
