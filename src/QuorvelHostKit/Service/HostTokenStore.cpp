#include "QuorvelHostKit/Service/HostTokenStore.h"

#include "QuorvelHostKit/HostKitLogging.h"
#include "QuorvelHostKit/Service/FileRead.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorvel::HostTokenStore {

namespace {

// Both files hold a few dozen bytes; anything far larger is not ours and is not read whole.
constexpr qsizetype largestFileBytes = 64 * 1024;
// Owner read and write only: the code is the secret from which the link's key is derived.
constexpr mode_t tokenFileMode = S_IRUSR | S_IWUSR;
// Length of a UUID's canonical text, 8-4-4-4-12 hexadecimal digits.
constexpr qsizetype uuidTextLength = 36;
// Enough distinct names for the unusable files of one second; beyond it the file stays put.
constexpr int moveAsideAttempts = 100;

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString canonicalUuid(const QUuid &uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QString> strictUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

// What the code file holds: nothing yet, a code, or something that is not usable as one.
struct TokenFile {
    bool missing = false;
    std::optional<PairingToken> code;
    QString problem;
};

TokenFile readTokenFile(const QString &path)
{
    const FileRead file = FileRead::read(path, largestFileBytes);
    if (!file.bytes) {
        if (file.error == ENOENT) {
            return {true, std::nullopt, {}};
        }
        return {false, std::nullopt, errnoText(file.error)};
    }
    const std::optional<QString> text = strictUtf8(*file.bytes);
    if (!text) {
        return {false, std::nullopt, QStringLiteral("not UTF-8 text")};
    }
    std::optional<PairingToken> code = PairingToken::parse(*text);
    if (!code) {
        return {false, std::nullopt, QStringLiteral("no valid pairing code")};
    }
    return {false, std::move(code), {}};
}

// Renames an unusable code file to a name of its own beside it, so that a new code can take its
// place without destroying what the user may still need. Returns the new path, or none.
std::optional<QString> moveAside(const QString &path)
{
    const QString stem =
        path + QStringLiteral(".unusable-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddTHHmmssZ"));
    for (int attempt = 1; attempt <= moveAsideAttempts; ++attempt) {
        const QString target =
            attempt == 1 ? stem : stem + QLatin1Char('-') + QString::number(attempt);
        // QFile::rename never replaces an existing file, so an earlier copy is never lost.
        if (QFile::exists(target)) {
            continue;
        }
        if (QFile::rename(path, target)) {
            return target;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.constData() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return false;
        }
        written += count;
    }
    return true;
}

// Writes bytes to a new owner-only file at temporaryPath and renames it over path. Returns the
// errno of the first failure, 0 on success; the temporary file never outlives a failure.
int replaceWithPrivateFile(const QString &temporaryPath, const QString &path,
                           const QByteArray &bytes)
{
    const QByteArray temporary = QFile::encodeName(temporaryPath);
    const int fd =
        ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, tokenFileMode);
    if (fd < 0) {
        return errno;
    }
    // The umask may only take bits away; set the mode exactly, before any secret is written.
    const bool written =
        ::fchmod(fd, tokenFileMode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeError = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        ::unlink(temporary.constData());
        return errno;
    }
    if (!written) {
        ::unlink(temporary.constData());
        return writeError;
    }
    if (::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.constData());
        return renameError;
    }
    return 0;
}

} // namespace

QString folderPath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) {
        return {};
    }
    return data + QStringLiteral("/Quorvel");
}

QString tokenFilePath()
{
    const QString folder = folderPath();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + QLatin1String(tokenFileName);
}

PairingToken loadOrCreate()
{
    if (qEnvironmentVariableIsSet(environmentKey)) {
        if (std::optional<PairingToken> code =
                PairingToken::parse(qEnvironmentVariable(environmentKey))) {
            return *code;
        }
        qCCritical(lcHostTokenStore, "QUORVEL_TOKEN is not a valid pairing code; ignoring it");
    }

    const QString path = tokenFilePath();
    if (path.isEmpty()) {
        qCCritical(lcHostTokenStore, "Could not save pairing token: the user has no data folder");
        return PairingToken::generate();
    }
    const TokenFile file = readTokenFile(path);
    if (file.code) {
        return *file.code;
    }
    if (!file.missing) {
        const std::optional<QString> keptAs = moveAside(path);
        if (!keptAs) {
            // Replacing the file would destroy it; this run pairs with a code kept in memory.
            qCCritical(lcHostTokenStore,
                       "Pairing token file %s is unusable (%s) and could not be moved aside; "
                       "using a new code for this run only",
                       qUtf8Printable(path), qUtf8Printable(file.problem));
            return PairingToken::generate();
        }
        qCWarning(lcHostTokenStore, "Pairing token file %s is unusable (%s); kept it as %s",
                  qUtf8Printable(path), qUtf8Printable(file.problem), qUtf8Printable(*keptAs));
    }
    return createAndSave();
}

PairingToken createAndSave(bool *saved)
{
    if (saved) {
        *saved = false;
    }
    const PairingToken code = PairingToken::generate();
    const QString folder = folderPath();
    if (folder.isEmpty()) {
        qCCritical(lcHostTokenStore, "Could not save pairing token: the user has no data folder");
        return code;
    }
    if (!QDir().mkpath(folder)) {
        qCCritical(lcHostTokenStore, "Could not save pairing token: %s",
                   qUtf8Printable(QStringLiteral("cannot create folder %1").arg(folder)));
        return code;
    }
    const QString path = tokenFilePath();
    const QString temporaryPath =
        folder + QStringLiteral("/.pairing-token-") + canonicalUuid(QUuid::createUuid());
    const int error = replaceWithPrivateFile(temporaryPath, path, code.normalized().toUtf8());
    if (error != 0) {
        qCCritical(lcHostTokenStore, "Could not save pairing token: %s",
                   qUtf8Printable(errnoText(error)));
        return code;
    }
    qCInfo(lcHostTokenStore, "Wrote new pairing token to %s", qUtf8Printable(path));
    if (saved) {
        *saved = true;
    }
    return code;
}

QString hostID()
{
    const QString folder = folderPath();
    const QString path = folder + QLatin1Char('/') + QLatin1String(hostIDFileName);
    if (!folder.isEmpty()) {
        const FileRead file = FileRead::read(path, largestFileBytes);
        if (file.bytes) {
            if (const std::optional<QString> text = strictUtf8(*file.bytes)) {
                const QString trimmed = text->trimmed();
                const QUuid uuid = QUuid::fromString(trimmed);
                // fromString gives the nil UUID for text it cannot parse, so the nil UUID
                // itself, a valid id, is told apart by its text.
                const bool parsed = !uuid.isNull() || trimmed.compare(canonicalUuid(QUuid()),
                                                                      Qt::CaseInsensitive) == 0;
                if (trimmed.size() == uuidTextLength && parsed) {
                    return canonicalUuid(uuid);
                }
            }
        }
    }

    const QString id = canonicalUuid(QUuid::createUuid());
    if (!folder.isEmpty() && QDir().mkpath(folder)) {
        // An unusable id file only costs a new id next time, so failures are not reported.
        QSaveFile save(path);
        if (save.open(QIODevice::WriteOnly)) {
            save.write(id.toUtf8());
            save.commit();
        }
    }
    return id;
}

bool isSetByEnvironment()
{
    return qEnvironmentVariableIsSet(environmentKey) &&
           PairingToken::parse(qEnvironmentVariable(environmentKey)).has_value();
}

bool publish(const PairingToken &, const QString &, const QString &)
{
    qCInfo(lcHostTokenStore, "Not publishing pairing code to iCloud Keychain: build lacks the "
                             "shared keychain entitlement");
    return false;
}

} // namespace Quorvel::HostTokenStore
