#pragma once

#include "Platform/Files/PrivateFolder.h"
#include "QuorvelCore/Model/Deck.h"
#include "QuorvelHostKit/Service/DeckStoreLoadError.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// The host's deck in one JSON file, with copies of earlier versions in a history folder. No
// state of its own: every call works out the locations again and touches the files directly.
namespace Quorvel::DeckStore {

// Copies kept in the history folder; the ones made earliest are removed after each successful
// save.
inline constexpr int historyCopiesKept = 20;
// Characters of the device name kept in a history copy's name.
inline constexpr int historyDeviceCharacters = 40;

// The deck file: QUORVEL_DECK when it is set ("~" expanded, relative paths against the working
// folder), else "Quorvel/deck.json" in the user's data folder.
QUrl deckFileURL();
// The deck file where QUORVEL_DECK is not set: "Quorvel/deck.json" in the user's data folder.
QString defaultDeckFilePath();
// Where earlier versions go; always in the data folder, wherever QUORVEL_DECK points.
QString historyFolderPath();

// The deck to put in force at start. Falls back to the sample deck whenever the file cannot be
// used; only a file that does not exist is replaced by the sample on disk. When the file exists
// but cannot be read, or decodes but is too large to reach a device, problem (if given) receives
// the reason the user should see; a file that does not decode is only logged.
Deck load(QString *problem = nullptr);

// Decodes and checks deck bytes that changed on disk; touches no file.
std::optional<Deck> parse(const QByteArray &bytes, LoadError *error = nullptr);

// Writes the deck for a device, after copying the file as it was into the history. Returns the
// bytes written, which the deck watcher must be told about; on failure error holds the reason, the
// previous file is untouched and the copy made for this save is taken back. A copy that cannot be
// made stops the save: so does anything but a real folder at the history folder's path (a link is
// never followed). A file that exists but cannot be read (so cannot be copied) is never replaced:
// the save fails with "can't read deck.json: " and the reason. Older copies are pruned only once
// the file is written. now is the clock, in the time zone the copy's name is written in.
std::optional<QByteArray> save(const Deck &deck, const QString &device, QString *error = nullptr,
                               const QDateTime &now = QDateTime::currentDateTime());

// Copies previous into the history folder, held open as history, under a name made from now (in
// its time zone) and the device. The copy's modification time says when it was made: now, or
// just after the newest copy when that is later (a clock or time zone set back). Returns the
// copy's name, or nothing with error holding why it could not be made (a full disk, no real
// folder at the history folder's path).
std::optional<QString> saveHistoryCopy(const PrivateFolder &history, const QByteArray &previous,
                                       const QString &device, QString *error = nullptr,
                                       const QDateTime &now = QDateTime::currentDateTime());

// Removes the history copies made earliest (by modification time, then by name) until
// historyCopiesKept are left. Only files named as saveHistoryCopy names them count and are ever
// removed; whatever else is in the folder stays.
void pruneHistory(const PrivateFolder &history);

// "deck-" + now's time stamp (in its time zone) + "-before-" + device part + ".json", the base
// name of a copy.
QString historyCopyName(const QDateTime &now, const QString &device);
// Whether name is one saveHistoryCopy gives a copy (the ones pruneHistory counts).
bool isHistoryCopyName(const QString &name);

// The text of a decoding failure as the decoder reported it ("controls[2]: title: missing"),
// reworded to name the key and where it sits (missing "title" at controls.[2]).
QString describe(const QString &decoderError);
// " at " + the path's pieces joined by "." (indices as "[n]"), or nothing for an empty path.
QString codingPathText(const QStringList &codingPath);

// The problem of a deck too large to travel to devices in one message, or none.
std::optional<QString> deckMessageProblem(const Deck &deck);

} // namespace Quorvel::DeckStore
