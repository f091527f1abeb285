#include "QuorvelHostKit/Service/DeckStore.h"

#include "Platform/Files/PrivateFile.h"
#include "Platform/Text/OutsideText.h"
#include "QuorvelCore/Link/LinkParameters.h"
#include "QuorvelCore/Model/DeckValidator.h"
#include "QuorvelCore/Model/Message.h"
#include "QuorvelCore/Model/WireCodec.h"
#include "QuorvelHostKit/HostKitLogging.h"
#include "QuorvelHostKit/Service/FileRead.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cerrno>
#include <functional>

namespace Quorvel::DeckStore {

namespace {

QString dataFolderPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quorvel");
}

QString deckFilePath()
{
    return deckFileURL().toLocalFile();
}

std::optional<Deck> decode(const QByteArray &bytes, QString *error)
{
    return WireCodec::decoder().decode<Deck>(bytes, error);
}

void writeSampleDeck(const QString &path)
{
    const Deck sample = Deck::sample();
    QString error;
    const auto fail = [&](const QString &reason) {
        qCCritical(lcDeckStore, "Could not write sample deck: %s", qUtf8Printable(reason));
    };
    const QString folder = QFileInfo(path).absolutePath();
    if (const int failure = PrivateFile::makeFolder(folder)) {
        fail(QStringLiteral("can't create the folder %1: %2")
                 .arg(folder, PrivateFile::errorText(failure)));
        return;
    }
    const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(sample, &error);
    if (!bytes) {
        fail(error);
        return;
    }
    // A file that appeared since the read is the user's and is never overwritten.
    if (const int failure = PrivateFile::create(path, *bytes)) {
        fail(PrivateFile::errorText(failure));
        return;
    }
    qCInfo(lcDeckStore, "Wrote sample deck to %s", qUtf8Printable(path));
}

QString devicePart(const QString &device)
{
    QString part;
    int kept = 0;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, device);
    qsizetype start = 0;
    while (kept < historyDeviceCharacters && graphemes.toNextBoundary() != -1) {
        const qsizetype end = graphemes.position();
        const QString character = device.mid(start, end - start);
        start = end;
        const char32_t first = character.toUcs4().value(0);
        if (QChar::isLetterOrNumber(first) || character == QLatin1String("-")) {
            part += character;
            ++kept;
        }
    }
    return part;
}

QString historyCopyStem(const QDateTime &now, const QString &device)
{
    const QString stamp = now.toLocalTime().toString(QStringLiteral("yyyy-MM-dd'T'HHmmss"));
    return QStringLiteral("deck-") + stamp + QStringLiteral("-before-") + devicePart(device);
}

void pruneHistory(const QString &folder)
{
    QStringList copies;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QFileInfo &entry : entries) {
        if (entry.suffix() == QLatin1String("json")) {
            copies.append(entry.fileName());
        }
    }
    std::sort(copies.begin(), copies.end(), std::greater<>());
    for (qsizetype i = historyCopiesKept; i < copies.size(); ++i) {
        QFile::remove(folder + QLatin1Char('/') + copies.at(i));
    }
}

} // namespace

QUrl deckFileURL()
{
    if (!qEnvironmentVariableIsSet("QUORVEL_DECK")) {
        return QUrl::fromLocalFile(dataFolderPath() + QStringLiteral("/deck.json"));
    }
    QString path = qEnvironmentVariable("QUORVEL_DECK");
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/"))) {
        path = QDir::homePath() + path.mid(1);
    }
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(path));
}

QString historyFolderPath()
{
    return dataFolderPath() + QStringLiteral("/deck-history");
}

Deck load(QString *problem)
{
    const QString path = deckFilePath();
    const FileRead read = FileRead::read(path);
    if (!read.bytes && read.error == ENOENT) {
        writeSampleDeck(path);
        return Deck::sample();
    }
    if (!read.bytes) {
        // The file is there but cannot be read (permissions, a folder in its place, an I/O
        // error): it stays as it is, and the user learns why the sample deck is in force.
        const LoadError error = LoadError::unreadable(qt_error_string(read.error));
        qCCritical(lcDeckStore, "%s; using sample deck and leaving the file as it is",
                   qUtf8Printable(error.errorDescription()));
        if (problem) {
            *problem = error.errorDescription();
        }
        return Deck::sample();
    }
    QString decodeError;
    std::optional<Deck> deck = decode(*read.bytes, &decodeError);
    if (!deck) {
        // The user must learn why the sample deck stands in for theirs, also at start-up: the
        // same words an outside edit of the file would bring.
        qCCritical(lcDeckStore, "deck.json is invalid (%s); using sample deck",
                   qUtf8Printable(describe(decodeError)));
        if (problem) {
            *problem = LoadError::invalidJSON(describe(decodeError)).errorDescription();
        }
        return Deck::sample();
    }
    if (const auto tooLarge = deckMessageProblem(*deck)) {
        // The file decodes but could never reach a device, which the user could not tell from
        // the devices alone.
        qCCritical(lcDeckStore, "deck.json is invalid (%s); using sample deck",
                   qUtf8Printable(*tooLarge));
        if (problem) {
            *problem = *tooLarge;
        }
        return Deck::sample();
    }
    qCInfo(lcDeckStore, "Loaded deck '%s' with %ld controls from %s",
           qUtf8Printable(OutsideText::forLog(deck->deckName)), long(deck->controls.size()),
           qUtf8Printable(path));
    return *deck;
}

std::optional<Deck> parse(const QByteArray &bytes, LoadError *error)
{
    QString decodeError;
    std::optional<Deck> deck = decode(bytes, &decodeError);
    if (!deck) {
        if (error) {
            *error = LoadError::invalidJSON(describe(decodeError));
        }
        return std::nullopt;
    }
    QStringList problems = DeckValidator::problems(*deck);
    if (const auto tooLarge = deckMessageProblem(*deck)) {
        problems.append(*tooLarge);
    }
    if (!problems.isEmpty()) {
        if (error) {
            *error = LoadError::invalidDeck(problems);
        }
        return std::nullopt;
    }
    return deck;
}

std::optional<QByteArray> save(const Deck &deck, const QString &device, QString *error)
{
    const QString path = deckFilePath();
    const auto fail = [&](const QString &reason) -> std::optional<QByteArray> {
        if (error) {
            *error = reason;
        }
        return std::nullopt;
    };
    if (const FileRead previous = FileRead::read(path); previous.bytes) {
        // Without its copy the file as it was would be lost for good, so the save stops here.
        if (const std::optional<QString> copyError = saveHistoryCopy(*previous.bytes, device)) {
            return fail(*copyError);
        }
    } else if (previous.error != ENOENT) {
        // A file that exists but cannot be read gets no history copy, so replacing it would
        // lose it for good; it stays until the user sorts it out.
        return fail(LoadError::unreadable(qt_error_string(previous.error)).errorDescription());
    }
    QString encodeError;
    const std::optional<QByteArray> bytes =
        WireCodec::prettyEncoder(true).encode(deck, &encodeError);
    if (!bytes) {
        return fail(encodeError);
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (const int failure = PrivateFile::makeFolder(folder)) {
        return fail(QStringLiteral("can't create the folder %1: %2")
                        .arg(folder, PrivateFile::errorText(failure)));
    }
    if (const int failure = PrivateFile::replace(path, *bytes)) {
        return fail(QStringLiteral("can't write %1: %2")
                        .arg(QFileInfo(path).fileName(), PrivateFile::errorText(failure)));
    }
    qCInfo(lcDeckStore, "Saved deck '%s' (%ld controls) from %s",
           qUtf8Printable(OutsideText::forLog(deck.deckName)), long(deck.controls.size()),
           qUtf8Printable(OutsideText::forLog(device)));
    return bytes;
}

QString historyCopyName(const QDateTime &now, const QString &device)
{
    return historyCopyStem(now, device) + QStringLiteral(".json");
}

std::optional<QString> saveHistoryCopy(const QByteArray &previous, const QString &device,
                                       const QDateTime &now)
{
    const QString folder = historyFolderPath();
    const auto failed = [&](int failure) {
        return QStringLiteral("can't keep a copy of the deck in %1: %2")
            .arg(folder, PrivateFile::errorText(failure));
    };
    if (const int failure = PrivateFile::makeFolder(folder)) {
        return failed(failure);
    }
    const QString base = folder + QLatin1Char('/') + historyCopyStem(now, device);
    // Two saves within one second make the same name; the later copy gets "_2", "_3", ... so no
    // copy is overwritten. "_" never occurs in a device part and sorts after ".", so the later
    // copy also ranks as the newer one when old copies are pruned.
    for (int n = 1;; ++n) {
        const QString candidate =
            n == 1 ? base + QStringLiteral(".json") : base + QStringLiteral("_%1.json").arg(n);
        const int failure = PrivateFile::create(candidate, previous);
        if (failure == 0) {
            break;
        }
        if (failure != EEXIST) {
            return failed(failure);
        }
    }
    pruneHistory(folder);
    return std::nullopt;
}

QString codingPathText(const QStringList &codingPath)
{
    const QString joined = codingPath.join(QLatin1Char('.'));
    return joined.isEmpty() ? QString() : QStringLiteral(" at ") + joined;
}

QString describe(const QString &decoderError)
{
    // The decoder names where it failed as leading "key: " or "key[index]: " pieces.
    static const QRegularExpression pathPiece(
        QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*)((?:\\[\\d+\\])*): "));
    QStringList path;
    QString rest = decoderError;
    for (auto match = pathPiece.match(rest); match.hasMatch(); match = pathPiece.match(rest)) {
        path.append(match.captured(1));
        static const QRegularExpression index(QStringLiteral("\\[\\d+\\]"));
        for (auto it = index.globalMatch(match.captured(2)); it.hasNext();) {
            path.append(it.next().captured(0));
        }
        rest = rest.mid(match.capturedLength(0));
    }
    if (rest == QLatin1String("missing") && !path.isEmpty() &&
        !path.last().startsWith(QLatin1Char('['))) {
        const QString key = path.takeLast();
        return QStringLiteral("missing \"%1\"").arg(key) + codingPathText(path);
    }
    return rest + codingPathText(path);
}

std::optional<QString> deckMessageProblem(const Deck &deck)
{
    // The host link refuses larger messages, so such a deck could never reach a device.
    constexpr qint64 limit = LinkParameters::maxMessageSize;
    const std::optional<QByteArray> message = WireCodec::encode(Message(deck));
    if (!message || message->size() <= limit) {
        return std::nullopt;
    }
    return QStringLiteral("The actions take %1 bytes when sent to a device, more than the %2 "
                          "bytes a device accepts in one message; remove some actions or shorten "
                          "their texts.")
        .arg(message->size())
        .arg(limit);
}

} // namespace Quorvel::DeckStore
