#include "QuorvelHostKit/Service/DeckStore.h"

#include "Platform/Files/PrivateFile.h"
#include "Platform/Files/PrivateFolder.h"
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
#include <vector>

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
    const QString stamp = now.toString(QStringLiteral("yyyy-MM-dd'T'HHmmss"));
    return QStringLiteral("deck-") + stamp + QStringLiteral("-before-") + devicePart(device);
}

// A copy's number, kept as its decimal digits (no leading zero): a name may hold any number,
// one planted there too, and digits are read, ranked and counted on without a limit.
struct CopyNumber {
    QString digits = QStringLiteral("1");
    auto operator<=>(const CopyNumber &other) const
    {
        if (digits.size() != other.digits.size())
            return digits.size() <=> other.digits.size();
        return digits.compare(other.digits) <=> 0;
    }
    bool operator==(const CopyNumber &other) const = default;
    CopyNumber next() const
    {
        QString following = digits;
        for (qsizetype i = following.size() - 1; i >= 0; --i) {
            if (following[i] != u'9') {
                following[i] = QChar(following[i].unicode() + 1);
                return CopyNumber{following};
            }
            following[i] = u'0';
        }
        return CopyNumber{u'1' + following};
    }
};

// What a copy's name tells: its stem (which begins with the stamp) and the number a later copy
// with the same stem got ("_2", "_3", ...; the first copy counts as 1).
struct CopyName {
    QString stem;
    CopyNumber number;
};

// The parts of a name Quorvel gives its history copies, or nothing for any other name: the
// folder may hold files the program did not make (a user's own), and those are never removed.
std::optional<CopyName> copyName(const QString &name)
{
    static const QRegularExpression form(QRegularExpression::anchoredPattern(
        QStringLiteral("(deck-[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{6}-before-([^_]*))"
                       "(?:_([2-9]|[1-9][0-9]+))?\\.json")));
    const QRegularExpressionMatch match = form.match(name);
    // The device part must be one that devicePart makes: letters, numbers and "-" only, at most
    // historyDeviceCharacters of them.
    if (!match.hasMatch() || devicePart(match.captured(2)) != match.captured(2))
        return std::nullopt;
    const QString number = match.captured(3);
    return CopyName{match.captured(1), number.isEmpty() ? CopyNumber{} : CopyNumber{number}};
}

// The place a copy ranks among the copies: when it was made, then its name. The stamp in a name
// is local time, which goes back with the autumn clock change, a move west or a clock set right,
// so it can't tell which copy is newer; the time the store gives each copy as its modification
// time can (see saveHistoryCopy). The name only decides between copies of the same moment.
struct CopyRank {
    qint64 made = 0;
    CopyName parts;
    QString name;
    auto operator<=>(const CopyRank &other) const
    {
        if (made != other.made)
            return made <=> other.made;
        if (const auto order = parts.stem.compare(other.parts.stem); order != 0)
            return order <=> 0;
        return parts.number <=> other.parts.number;
    }
};

// The copies in the folder, in no particular order.
std::vector<CopyRank> historyCopies(const PrivateFolder &history)
{
    std::vector<CopyRank> copies;
    for (const QString &name : history.fileNames()) {
        const std::optional<CopyName> parts = copyName(name);
        if (!parts)
            continue;
        // A copy removed since the listing no longer counts.
        if (const std::optional<qint64> made = history.modifiedAt(name))
            copies.push_back(CopyRank{*made, *parts, name});
    }
    return copies;
}

} // namespace

QString defaultDeckFilePath()
{
    return dataFolderPath() + QStringLiteral("/deck.json");
}

QUrl deckFileURL()
{
    if (!qEnvironmentVariableIsSet("QUORVEL_DECK")) {
        return QUrl::fromLocalFile(defaultDeckFilePath());
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

std::optional<QByteArray> save(const Deck &deck, const QString &device, QString *error,
                               const QDateTime &now)
{
    const QString path = deckFilePath();
    const auto fail = [&](const QString &reason) -> std::optional<QByteArray> {
        if (error) {
            *error = reason;
        }
        return std::nullopt;
    };
    const FileRead previous = FileRead::read(path);
    if (!previous.bytes && previous.error != ENOENT) {
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
    // The folder stays open for the whole save, so the copy, its taking back and the pruning
    // all happen in the folder checked here.
    std::optional<PrivateFolder> history;
    std::optional<QString> copy;
    if (previous.bytes) {
        history.emplace(historyFolderPath());
        QString copyError;
        copy = saveHistoryCopy(*history, *previous.bytes, device, &copyError, now);
        // Without its copy the file as it was would be lost for good, so the save stops here.
        if (!copy) {
            return fail(copyError);
        }
    }
    // A save that fails leaves the file as it was, so its copy only repeats the newest one;
    // kept, failed saves would push the earlier versions out of the history.
    const auto failAfterCopy = [&](const QString &reason) {
        if (copy) {
            if (const int failure = history->remove(*copy)) {
                qCWarning(lcDeckStore, "Could not remove the history copy %s/%s: %s",
                          qUtf8Printable(history->path()),
                          qUtf8Printable(OutsideText::forLog(*copy)),
                          qUtf8Printable(PrivateFile::errorText(failure)));
            }
        }
        return fail(reason);
    };
    const QString folder = QFileInfo(path).absolutePath();
    if (const int failure = PrivateFile::makeFolder(folder)) {
        return failAfterCopy(QStringLiteral("can't create the folder %1: %2")
                                 .arg(folder, PrivateFile::errorText(failure)));
    }
    if (const int failure = PrivateFile::replace(path, *bytes)) {
        return failAfterCopy(QStringLiteral("can't write %1: %2")
                                 .arg(QFileInfo(path).fileName(), PrivateFile::errorText(failure)));
    }
    if (history) {
        pruneHistory(*history);
    }
    qCInfo(lcDeckStore, "Saved deck '%s' (%ld controls) from %s",
           qUtf8Printable(OutsideText::forLog(deck.deckName)), long(deck.controls.size()),
           qUtf8Printable(OutsideText::forLog(device)));
    return bytes;
}

bool isHistoryCopyName(const QString &name)
{
    return copyName(name).has_value();
}

QString historyCopyName(const QDateTime &now, const QString &device)
{
    return historyCopyStem(now, device) + QStringLiteral(".json");
}

std::optional<QString> saveHistoryCopy(const PrivateFolder &history, const QByteArray &previous,
                                       const QString &device, QString *error, const QDateTime &now)
{
    const auto failed = [&](const QString &reason) -> std::optional<QString> {
        if (error) {
            *error = QStringLiteral("can't keep a copy of the deck in %1: %2")
                         .arg(history.path(), reason);
        }
        return std::nullopt;
    };
    if (history.error() == ENOTDIR) {
        return failed(QStringLiteral("something other than a folder is there, and a link there "
                                     "is never followed; move it away and the next save makes "
                                     "the folder"));
    }
    if (history.error()) {
        return failed(PrivateFile::errorText(history.error()));
    }
    const std::vector<CopyRank> copies = historyCopies(history);
    const QString base = historyCopyStem(now, device);
    // Saves within one second make the same stem; a later copy gets the number after the highest
    // one its stem has, never one that pruning freed, so no copy is overwritten and the names of
    // one second read in the order the copies were made.
    CopyNumber first;
    // When the copy was made: the clock, but always after the newest copy, so that a clock or
    // time zone set back still ranks a new copy as the newest. Kept as the file's modification
    // time, it lasts as long as the copy, across restarts; the copies of an older version have
    // the time they were written there.
    qint64 made = now.toMSecsSinceEpoch() * 1'000'000;
    for (const CopyRank &copy : copies) {
        if (copy.parts.stem == base)
            first = std::max(first, copy.parts.number.next());
        made = std::max(made, copy.made + 1);
    }
    for (CopyNumber n = first;; n = n.next()) {
        const QString candidate = n == CopyNumber{}
                                      ? base + QStringLiteral(".json")
                                      : base + u'_' + n.digits + QStringLiteral(".json");
        const int failure = history.create(candidate, previous);
        if (failure == EEXIST) {
            continue;
        }
        if (failure != 0) {
            return failed(PrivateFile::errorText(failure));
        }
        // Without its time the copy keeps the one it was written at, which ranks it right
        // unless the clock went back: worth a line, not a failed save.
        if (const int timeFailure = history.setModifiedAt(candidate, made)) {
            qCWarning(lcDeckStore, "Could not set the time of the history copy %s/%s: %s",
                      qUtf8Printable(history.path()),
                      qUtf8Printable(OutsideText::forLog(candidate)),
                      qUtf8Printable(PrivateFile::errorText(timeFailure)));
        }
        return candidate;
    }
}

void pruneHistory(const PrivateFolder &history)
{
    std::vector<CopyRank> copies = historyCopies(history);
    std::sort(copies.begin(), copies.end(), std::greater<>());
    for (size_t i = historyCopiesKept; i < copies.size(); ++i) {
        history.remove(copies[i].name);
    }
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
