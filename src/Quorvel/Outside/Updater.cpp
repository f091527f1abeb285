#include "Quorvel/Outside/Updater.h"

#include "QuorvelClientUI/ClientSettings.h"

#include <QDesktopServices>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace Quorvel {

namespace {

// The feed is a few kilobytes; anything much larger is not a feed.
constexpr qint64 largestFeed = 4 * 1024 * 1024;
// A feed that does not answer in this time is tried again at the next check.
constexpr std::chrono::milliseconds feedTimeout{std::chrono::seconds(30)};

} // namespace

Updater::Updater(QUrl feed, QString currentVersion, QObject *parent,
                 std::chrono::milliseconds checkInterval)
    : QObject(parent), m_feed(std::move(feed)), m_currentVersion(std::move(currentVersion))
{
    const auto settings = openClientSettings();
    m_automaticallyChecks = settings->value(automaticChecksKey, true).toBool();
    m_getsTestBuilds = readSettingText(channelKey) == testingChannel;
    m_checkTimer.setInterval(checkInterval);
    connect(&m_checkTimer, &QTimer::timeout, this, &Updater::checkNow);
    if (m_automaticallyChecks)
        m_checkTimer.start();
}

void Updater::setSslConfiguration(const QSslConfiguration &configuration)
{
    m_sslConfiguration = configuration;
}

void Updater::setAutomaticallyChecks(bool on)
{
    openClientSettings()->setValue(automaticChecksKey, on);
    if (on)
        m_checkTimer.start();
    else
        m_checkTimer.stop();
    if (on == m_automaticallyChecks)
        return;
    m_automaticallyChecks = on;
    emit automaticallyChecksChanged();
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

void Updater::checkNow()
{
    if (m_running)
        return;
    if (m_feed.scheme() != QLatin1String("https")) {
        emit checkFailed(QStringLiteral("The update feed is not an https address."));
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
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finishCheck(reply); });
}

bool Updater::openDownload() const
{
    // Only https links are ever kept in m_available.
    return m_available && QDesktopServices::openUrl(m_available->download);
}

void Updater::finishCheck(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        emit checkFailed(reply->errorString());
        return;
    }
    if (reply->url().scheme() != QLatin1String("https") || reply->bytesAvailable() > largestFeed) {
        emit checkFailed(QStringLiteral("The update feed could not be read."));
        return;
    }
    const std::optional<QList<AppcastItem>> items = Appcast::parse(reply->readAll());
    if (!items) {
        emit checkFailed(QStringLiteral("The update feed could not be read."));
        return;
    }
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
