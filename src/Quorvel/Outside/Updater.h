#pragma once

#include "Quorvel/Outside/Appcast.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <optional>

namespace Quorvel {

// Reads the release feed over https, tells the user when a newer version is out and opens its
// download in the browser; it never installs anything itself. Test builds come from the feed's
// "testing" channel when the "updateChannel" setting says so.
class Updater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool automaticallyChecks READ automaticallyChecks WRITE setAutomaticallyChecks NOTIFY
                   automaticallyChecksChanged)
    Q_PROPERTY(bool getsTestBuilds READ getsTestBuilds WRITE setGetsTestBuilds NOTIFY
                   getsTestBuildsChanged)
    Q_PROPERTY(
        std::optional<QString> pendingVersion READ pendingVersion NOTIFY pendingVersionChanged)
public:
    static inline const QString channelKey = QStringLiteral("updateChannel");
    static inline const QString automaticChecksKey = QStringLiteral("Quorvel.updates.automatic");
    static inline const QString testingChannel = QStringLiteral("testing");
    // A day between scheduled checks: releases are rare, and each check is one small request.
    static constexpr std::chrono::milliseconds defaultCheckInterval{std::chrono::hours(24)};

    Updater(QUrl feed, QString currentVersion, QObject *parent = nullptr,
            std::chrono::milliseconds checkInterval = defaultCheckInterval);

    // Certificates to trust besides the system's (a test's own authority).
    void setSslConfiguration(const QSslConfiguration &configuration);

    bool automaticallyChecks() const { return m_automaticallyChecks; }
    void setAutomaticallyChecks(bool on);
    bool getsTestBuilds() const { return m_getsTestBuilds; }
    // Stores "testing" or removes the key; turning it on checks at once when checks are automatic.
    void setGetsTestBuilds(bool on);
    // The newer version found, not yet downloaded by the user.
    const std::optional<QString> &pendingVersion() const { return m_pendingVersion; }
    const std::optional<AppcastItem> &available() const { return m_available; }

    // Reads the feed now.
    void checkNow();
    // Opens the found version's download in the browser; false when there is none.
    bool openDownload() const;

    // "Version X is available"
    static QString availableText(const QString &version);

signals:
    void automaticallyChecksChanged();
    void getsTestBuildsChanged();
    void pendingVersionChanged();
    // A check ended: with a newer version, with none, or with the reason it failed.
    void updateFound(const Quorvel::AppcastItem &item);
    void upToDate();
    void checkFailed(const QString &reason);

private:
    void finishCheck(QNetworkReply *reply);
    void setPendingVersion(const std::optional<QString> &version);

    QUrl m_feed;
    QString m_currentVersion;
    QNetworkAccessManager m_network;
    std::optional<QSslConfiguration> m_sslConfiguration;
    QTimer m_checkTimer;
    QPointer<QNetworkReply> m_running;
    bool m_automaticallyChecks = true;
    bool m_getsTestBuilds = false;
    std::optional<QString> m_pendingVersion;
    std::optional<AppcastItem> m_available;
};

} // namespace Quorvel
