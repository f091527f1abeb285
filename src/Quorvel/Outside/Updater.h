#pragma once

#include "Quorvel/Outside/Appcast.h"

#include <QByteArray>
#include <QDateTime>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

namespace Quorvel {

// What one reading of the feed gave: its text, or why it could not be read.
struct FeedReading {
    std::optional<QByteArray> text;
    QString failure;
};

// When automatic checks happen, and how a check reads the feed.
struct UpdateSchedule {
    // A day between checks: releases are rare, and each check is one small request.
    static constexpr std::chrono::milliseconds defaultInterval{std::chrono::hours(24)};
    // The timer runs on a clock that stops while the computer sleeps: it looks at the wall clock
    // this often, so that a check due during sleep comes soon after waking.
    static constexpr std::chrono::milliseconds defaultClockLook{std::chrono::minutes(10)};

    // A check that could not read the feed (the network not up yet just after login, the server
    // away) is tried again this long after it started, and on this interval until one reads it:
    // soon enough that a network coming up late still finds the release the same day, rare
    // enough that a long outage costs one small request an hour.
    static constexpr std::chrono::milliseconds defaultRetry{std::chrono::hours(1)};

    std::chrono::milliseconds interval = defaultInterval;
    std::chrono::milliseconds clockLook = defaultClockLook;
    std::chrono::milliseconds retry = defaultRetry;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
    // Reads the feed for a check; empty: over the network. Tests put their own, which answers at
    // once.
    std::function<FeedReading()> fetch;
};

// Reads the release feed over https, tells the user when a newer version is out and opens its
// download in the browser; it never installs anything itself. Test builds come from the feed's
// "testing" channel when the "updateChannel" setting says so.
//
// Automatic checks follow the wall clock from the stored time of the last check, so that a
// computer that is switched off every night, or sleeps most of the day, still checks: at start
// when the last check is a whole interval ago, else when it will be. The very first start only
// records its time (the copy just installed is new). Only a check that read the feed is stored
// as the last one; after one that failed, the next comes a retry interval after it.
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
    static inline const QString lastCheckKey = QStringLiteral("Quorvel.updates.lastCheck");
    static inline const QString testingChannel = QStringLiteral("testing");
    using Schedule = UpdateSchedule;

    Updater(QUrl feed, QString currentVersion, Schedule schedule = {}, QObject *parent = nullptr);

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

    // Reads the feed now. Once it has read it, the next automatic check is an interval after this
    // one; when it fails, the next is no sooner than the retry interval after it.
    void checkNow();
    // When the next automatic check is due; none while automatic checks are off.
    std::optional<QDateTime> nextCheck() const;
    // Checks when one is due by the wall clock, and sets the timer for the next look.
    void checkWhenDue();
    // Opens the found version's download in the browser; false when there is none.
    bool openDownload() const;

    // "Version X is available"
    static QString availableText(const QString &version);

    // The version as people see it: "short (build)", "?" standing for a part that is missing.
    static QString versionString(const QString &shortVersion, const QString &build);
    // This program's version, as above.
    static QString versionString();
    // This program's short version alone, as peers and the host's status file give it.
    static QString shortVersion();

signals:
    void automaticallyChecksChanged();
    void getsTestBuildsChanged();
    void pendingVersionChanged();
    // A check ended: with a newer version, with none, or with the reason it failed.
    void updateFound(const Quorvel::AppcastItem &item);
    void upToDate();
    void checkFailed(const QString &reason);

private:
    void fetchFeed();
    void finishCheck(const FeedReading &reading);
    void armTimer();
    void settleLastCheck();
    void setPendingVersion(const std::optional<QString> &version);

    QUrl m_feed;
    QString m_currentVersion;
    QNetworkAccessManager m_network;
    std::optional<QSslConfiguration> m_sslConfiguration;
    Schedule m_schedule;
    QTimer m_checkTimer;
    QPointer<QNetworkReply> m_running;
    // When the latest check that has not read the feed (still reading, or failed) started; none
    // once one has read it.
    std::optional<QDateTime> m_unreadCheck;
    bool m_automaticallyChecks = true;
    bool m_getsTestBuilds = false;
    std::optional<QString> m_pendingVersion;
    std::optional<AppcastItem> m_available;
};

} // namespace Quorvel
