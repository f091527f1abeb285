#include "QuorvelCore/Keychain/KeychainTokenStore.h"

#include "QuorvelCore/Keychain/KeyringPromptWatch.h"
#include "QuorvelCore/Logging.h"

#include <QObject>
#include <QPointer>
#include <QStringDecoder>
#include <QTimer>
#include <qt6keychain/keychain.h>

#include <memory>
#include <utility>

namespace Quorvel {

namespace {

// Every item lives on this machine only; the name appears in the log as the item's scope.
constexpr char localScope[] = "local";

using JobFinished = std::function<void(const QKeychain::Job *)>;

// Starts a QtKeychain job and calls onFinished exactly once while context lives: with the job
// when it finished in time, with nullptr when the time-out came first. QtKeychain's backends keep
// raw pointers to a running job, so a job that overran is never destroyed here: it finishes later
// and deletes itself, and its late result is ignored. With onLate, the time-out only calls onLate
// and the job's own finish is still awaited.
void runJob(QKeychain::Job *job, std::chrono::milliseconds timeout, QObject *context,
            JobFinished onFinished, std::function<void()> onLate = {})
{
    job->setAutoDelete(true);
    // Never write codes in plain text when the Secret Service is unavailable.
    job->setInsecureFallback(false);
    auto settled = std::make_shared<bool>(false);
    auto handler = std::make_shared<JobFinished>(std::move(onFinished));
    auto *timer = new QTimer(context);
    timer->setSingleShot(true);
    QObject::connect(job, &QKeychain::Job::finished, context,
                     [settled, handler, timer](QKeychain::Job *finished) {
                         if (*settled) {
                             return;
                         }
                         *settled = true;
                         delete timer;
                         (*handler)(finished);
                     });
    QObject::connect(timer, &QTimer::timeout, context,
                     [settled, handler, timer, onLate = std::move(onLate)] {
                         if (*settled) {
                             return;
                         }
                         if (onLate) {
                             onLate();
                             return;
                         }
                         *settled = true;
                         timer->deleteLater();
                         (*handler)(nullptr);
                     });
    timer->start(timeout);
    job->start();
}

// An item's bytes as a code: strict UTF-8, then the code's own parsing.
std::optional<PairingToken> codeFromItem(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return PairingToken::parse(text);
}

} // namespace

KeychainTokenStore::KeychainTokenStore(QString service, std::chrono::milliseconds timeout)
    : m_service(std::move(service)), m_timeout(timeout)
{}

void KeychainTokenStore::read(const QString &account, QObject *context, ReadHandler onDone) const
{
    auto *job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(account);
    runJob(job, m_timeout, context, [onDone = std::move(onDone)](const QKeychain::Job *finished) {
        if (finished == nullptr) {
            qCWarning(lcKeychain, "Keychain read timed out in %s", localScope);
            onDone(std::nullopt);
            return;
        }
        if (finished->error() == QKeychain::EntryNotFound) {
            onDone(std::nullopt);
            return;
        }
        if (finished->error() != QKeychain::NoError) {
            qCWarning(lcKeychain, "Keychain read failed in %s: %s", localScope,
                      qUtf8Printable(finished->errorString()));
            onDone(std::nullopt);
            return;
        }
        const auto *readJob = static_cast<const QKeychain::ReadPasswordJob *>(finished);
        onDone(codeFromItem(readJob->binaryData()));
    });
}

void KeychainTokenStore::save(const PairingToken &code, const QString &account, QObject *context,
                              SaveHandler onDone, WaitHandler onWaiting) const
{
    auto *job = new QKeychain::WritePasswordJob(m_service);
    job->setKey(account);
    job->setTextData(code.normalized());
    WaitHandler onLate;
    if (onWaiting) {
        // libsecret 0.20 may never finish a save whose question was dismissed, and QtKeychain
        // runs one job at a time: the store answers for it, and once the job had the store's
        // time-out to finish after all, deletes it so that later keyring requests run.
        auto answered = std::make_shared<bool>(false);
        QPointer<KeyringPromptWatch> watch = new KeyringPromptWatch(context);
        onLate = [answered, onWaiting = std::move(onWaiting)] {
            if (*answered)
                return;
            qCInfo(lcKeychain, "Keychain save waits for the keyring in %s", localScope);
            onWaiting();
        };
        onDone = [answered, watch, onDone = std::move(onDone)](bool saved) {
            if (std::exchange(*answered, true))
                return;
            if (watch)
                watch->deleteLater();
            onDone(saved);
        };
        QObject::connect(watch, &KeyringPromptWatch::dismissed, context,
                         [onDone, stuck = QPointer<QKeychain::Job>(job), timeout = m_timeout] {
                             qCCritical(lcKeychain,
                                        "Keychain save failed in %s: the keyring's question "
                                        "was dismissed",
                                        localScope);
                             onDone(false);
                             if (stuck)
                                 QTimer::singleShot(timeout, stuck, [stuck] { delete stuck; });
                         });
    }
    runJob(
        job, m_timeout, context,
        [onDone = std::move(onDone)](const QKeychain::Job *finished) {
            if (finished == nullptr) {
                qCCritical(lcKeychain, "Keychain save timed out in %s", localScope);
                onDone(false);
                return;
            }
            if (finished->error() != QKeychain::NoError) {
                qCCritical(lcKeychain, "Keychain save failed in %s: %d", localScope,
                           static_cast<int>(finished->error()));
                qCDebug(lcKeychain, "%s", qUtf8Printable(finished->errorString()));
                onDone(false);
                return;
            }
            onDone(true);
        },
        std::move(onLate));
}

void KeychainTokenStore::remove(const QString &account, QObject *context,
                                RemoveHandler onDone) const
{
    auto *job = new QKeychain::DeletePasswordJob(m_service);
    job->setKey(account);
    runJob(job, m_timeout, context, [onDone = std::move(onDone)](const QKeychain::Job *finished) {
        // Callers only need the item gone; a missing item is the usual case, not a fault.
        if (finished == nullptr) {
            qCDebug(lcKeychain, "Keychain delete timed out in %s", localScope);
        } else if (finished->error() != QKeychain::NoError &&
                   finished->error() != QKeychain::EntryNotFound) {
            qCDebug(lcKeychain, "Keychain delete failed in %s: %s", localScope,
                    qUtf8Printable(finished->errorString()));
        }
        if (onDone) {
            onDone();
        }
    });
}

} // namespace Quorvel
