#include "QuorvelHostKit/Service/HostTokenStore.h"

#include "Platform/Files/PendingWrite.h"
#include "Platform/Files/PrivateFile.h"
#include "QuorvelHostKit/HostKitLogging.h"
#include "QuorvelHostKit/Service/FileRead.h"

#include <QDateTime>
#include <QFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QUuid>

#include <cerrno>

namespace Quorvel::HostTokenStore {

namespace {

// Both files hold a few dozen bytes; anything far larger is not ours and is not read whole.
constexpr qsizetype largestFileBytes = 64 * 1024;
// Length of a UUID's canonical text, 8-4-4-4-12 hexadecimal digits.
constexpr qsizetype uuidTextLength = 36;
// Enough distinct names for the unusable files of one second; beyond it the file stays put.
constexpr int moveAsideAttempts = 100;

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
        return {false, std::nullopt, PrivateFile::errorText(file.error)};
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

PairingToken loadOrCreate(PendingWrite *tokenFile)
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
    return createAndSave(nullptr, tokenFile);
}

PairingToken createAndSave(bool *saved, PendingWrite *tokenFile)
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
    const QString path = tokenFilePath();
    const QByteArray bytes = code.normalized().toUtf8();
    if (const int error = PrivateFile::makeFolder(folder)) {
        qCCritical(lcHostTokenStore, "Could not save pairing token: %s",
                   qUtf8Printable(QStringLiteral("cannot create folder %1: %2")
                                      .arg(folder, PrivateFile::errorText(error))));
        if (tokenFile) {
            // It makes the folder again at each attempt.
            tokenFile->write(path, bytes);
        }
        return code;
    }
    // The code is the secret from which the link's key is derived: the file is the user's alone.
    if (const int error =
            tokenFile ? tokenFile->write(path, bytes) : PrivateFile::replace(path, bytes)) {
        qCCritical(lcHostTokenStore, "Could not save pairing token: %s",
                   qUtf8Printable(PrivateFile::errorText(error)));
        return code;
    }
    qCInfo(lcHostTokenStore, "Wrote new pairing token to %s", qUtf8Printable(path));
    if (saved) {
        *saved = true;
    }
    return code;
}

QString hostID(PendingWrite *idFile)
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
    // An unusable id file only costs a new id next time, so failures are not reported.
    if (folder.isEmpty()) {
        return id;
    }
    if (idFile) {
        idFile->write(path, id.toUtf8());
    } else if (PrivateFile::makeFolder(folder) == 0) {
        PrivateFile::replace(path, id.toUtf8());
    }
    return id;
}

bool isSetByEnvironment()
{
    return qEnvironmentVariableIsSet(environmentKey) &&
           PairingToken::parse(qEnvironmentVariable(environmentKey)).has_value();
}

} // namespace Quorvel::HostTokenStore
