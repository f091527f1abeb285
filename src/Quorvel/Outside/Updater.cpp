#include "Quorvel/Outside/Updater.h"

#include "QuorvelClientUI/ClientSettings.h"

#include <QDesktopServices>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>

namespace Quorvel {

namespace {

// The feed is a few kilobytes; anything much larger is not a feed.
constexpr qint64 largestFeed = 4 * 1024 * 1024;
// A feed that does not answer in this time is tried again at the next check.
constexpr std::chrono::milliseconds feedTimeout{std::chrono::seconds(30)};

std::optional<QDateTime> lastCheck(const QSettings &settings)
{
    const QDateTime stored =
        QDateTime::fromString(settings.value(Updater::lastCheckKey).toString(), Qt::ISODate);
    return stored.isValid() ? std::optional(stored) : std::nullopt;
}

// What a finished request read: the feed, or why there is none.
FeedReading readReply(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError)
        return {std::nullopt, reply->errorString()};
    if (reply->url().scheme() != QLatin1String("https") || reply->bytesAvailable() > largestFeed)
        return {std::nullopt, QStringLiteral("The update feed could not be read.")};
    return {reply->readAll(), QString()};
}

} // namespace

Updater::Updater(QUrl feed, QString currentVersion, Schedule schedule, QObject *parent)
    : QObject(parent), m_feed(std::move(feed)), m_currentVersion(std::move(currentVersion)),
      m_schedule(std::move(schedule))
{
    const auto settings = openClientSettings();
    m_automaticallyChecks = settings->value(automaticChecksKey, true).toBool();
    m_getsTestBuilds = readSettingText(channelKey) == testingChannel;
    m_checkTimer.setSingleShot(true);
    connect(&m_checkTimer, &QTimer::timeout, this, &Updater::checkWhenDue);
    settleLastCheck();
    // A check already due waits for the event loop, so that the owner can connect first.
    armTimer();
}

void Updater::settleLastCheck()
{
    const auto settings = openClientSettings();
    const QDateTime now = m_schedule.now();
    const std::optional<QDateTime> last = lastCheck(*settings);
    // None yet: the first start. One in the future: the clock was set back, and waiting for it
    // could take years.
    if (!last || *last > now)
        settings->setValue(lastCheckKey, now.toString(Qt::ISODate));
    // The same for a failed check, which times the retry.
    if (m_unreadCheck && *m_unreadCheck > now)
        m_unreadCheck = now;
}

void Updater::setSslConfiguration(const QSslConfiguration &configuration)
{
    m_sslConfiguration = configuration;
}

void Updater::setAutomaticallyChecks(bool on)
{
    openClientSettings()->setValue(automaticChecksKey, on);
    if (on == m_automaticallyChecks)
        return;
    m_automaticallyChecks = on;
    // Turned back on, the schedule is the one the last check set: a check already due comes at
    // once, and one that is not is not put off.
    armTimer();
    emit automaticallyChecksChanged();
}

std::optional<QDateTime> Updater::nextCheck() const
{
    if (!m_automaticallyChecks)
        return std::nullopt;
    const QDateTime last = lastCheck(*openClientSettings()).value_or(m_schedule.now());
    const QDateTime due = last.addMSecs(m_schedule.interval.count());
    // A check that has not read the feed holds the next one off for the retry interval: checks
    // that keep failing come once per retry interval, not at every look at the clock.
    if (m_unreadCheck)
        return qMax(due, m_unreadCheck->addMSecs(m_schedule.retry.count()));
    return due;
}

void Updater::checkWhenDue()
{
    settleLastCheck();
    const std::optional<QDateTime> next = nextCheck();
    // A check sets the timer for the next one itself.
    if (next && *next <= m_schedule.now())
        checkNow();
    else
        armTimer();
}

void Updater::armTimer()
{
    const std::optional<QDateTime> next = nextCheck();
    if (!next) {
        m_checkTimer.stop();
        return;
    }
    const qint64 untilDue = qMax<qint64>(0, m_schedule.now().msecsTo(*next));
    m_checkTimer.start(std::chrono::milliseconds(qMin(untilDue, m_schedule.clockLook.count())));
}

void Updater::setGetsTestBuilds(bool on)
{
    if (on == m_getsTestBuilds)
        return;
    m_getsTestBuilds = on;
    writeSettingText(channelKey, on ? std::optional<QString>(testingChannel) : std::nullopt);
    emit getsTestBuildsChanged();
    if (on && m_automaticallyChecks)
        checkNow();
}

QString Updater::availableText(const QString &version)
{
    return QStringLiteral("Version ") + version + QStringLiteral(" is available");
}

QString Updater::versionString(const QString &shortVersion, const QString &build)
{
    const auto known = [](const QString &part) {
        return part.isEmpty() ? QStringLiteral("?") : part;
    };
    return known(shortVersion) + QStringLiteral(" (") + known(build) + u')';
}

QString Updater::versionString()
{
    return versionString(shortVersion(), QStringLiteral(QUORVEL_BUILD));
}

QString Updater::shortVersion()
{
    return QStringLiteral(QUORVEL_VERSION);
}

void Updater::checkNow()
{
    // A check that is still reading the feed counts as this one.
    if (!m_running)
        m_unreadCheck = m_schedule.now();
    armTimer();
    if (m_running)
        return;
    if (m_schedule.fetch)
        finishCheck(m_schedule.fetch());
    else
        fetchFeed();
}

void Updater::fetchFeed()
{
    if (m_feed.scheme() != QLatin1String("https")) {
        finishCheck({std::nullopt, QStringLiteral("The update feed is not an https address.")});
        return;
    }
    QNetworkRequest request(m_feed);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(static_cast<int>(feedTimeout.count()));
    if (m_sslConfiguration)
        request.setSslConfiguration(*m_sslConfiguration);
    QNetworkReply *reply = m_network.get(request);
    m_running = reply;
    connect(reply, &QNetworkReply::finished, this,
            [this, reply] { finishCheck(readReply(reply)); });
}

bool Updater::openDownload() const
{
    // Only https links are ever kept in m_available.
    return m_available && QDesktopServices::openUrl(m_available->download);
}

void Updater::finishCheck(const FeedReading &reading)
{
    m_running = nullptr;
    const std::optional<QList<AppcastItem>> items =
        reading.text ? Appcast::parse(*reading.text) : std::nullopt;
    if (!items) {
        // The stored last check stays: the next automatic check is the retry.
        armTimer();
        emit checkFailed(reading.text ? QStringLiteral("The update feed could not be read.")
                                      : reading.failure);
        return;
    }
    // Only a check that read the feed is the last check, timed from its start so that checks keep
    // their time of day.
    openClientSettings()->setValue(lastCheckKey,
                                   m_unreadCheck.value_or(m_schedule.now()).toString(Qt::ISODate));
    m_unreadCheck.reset();
    armTimer();
    m_available = Appcast::newestUpdate(*items, m_currentVersion, m_getsTestBuilds);
    if (!m_available) {
        setPendingVersion(std::nullopt);
        emit upToDate();
        return;
    }
    setPendingVersion(m_available->displayVersion);
    emit updateFound(*m_available);
}

void Updater::setPendingVersion(const std::optional<QString> &version)
{
    if (version == m_pendingVersion)
        return;
    m_pendingVersion = version;
    emit pendingVersionChanged();
}

} // namespace Quorvel
