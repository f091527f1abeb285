#pragma once

#include "QuorvelClientUI/Editor/DeckEditorClient.h"
#include "QuorvelClientUI/Editor/EditableControl.h"
#include "QuorvelCore/Model/Deck.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace Quorvel {

// The deck editor's working copy of a host's whole deck: the rows as edited, the deck they were
// loaded from, the count of unsaved changes, saving to the host, and what happens when the host's
// deck changes while the user edits. Holds no widgets; the editor window draws it.
//
// The baseline remembers which host it came from: a deck from another host is never taken for a
// change of this one, and nothing is saved onto a host that did not send the baseline.
// Lives on the main thread.
class DeckEditorModel : public QObject {
    Q_OBJECT

public:
    // The outcome of the last save, shown in the footer.
    struct SaveMessage {
        bool ok = false;
        QString text;
        friend bool operator==(const SaveMessage &a, const SaveMessage &b) = default;
    };

    // A request to open the add-action sheet, with a ready-made action to start from.
    struct AddRequest {
        QUuid id;
        std::optional<Control> preset;
        friend bool operator==(const AddRequest &a, const AddRequest &b) = default;
    };

    static inline const QString untitledProblem = QStringLiteral("Give these actions a title.");
    static inline const QString invalidJSONPrefix =
        QStringLiteral("That isn't a valid set of actions: ");

    // The client must outlive the model.
    explicit DeckEditorModel(DeckEditorClient &client, QObject *parent = nullptr);

    DeckEditorClient &client() const { return m_client; }

    // State.
    const QString &deckName() const { return m_deckName; }
    const QList<EditableControl> &items() const { return m_items; }
    const std::optional<Deck> &baseline() const { return m_baseline; }
    // The host the baseline came from, when one was known.
    const std::optional<QString> &baselineHostKey() const { return m_baselineHostKey; }
    bool saving() const { return m_saving; }
    const std::optional<SaveMessage> &saveMessage() const { return m_saveMessage; }
    bool hostChangedWhileEditing() const { return m_hostChangedWhileEditing; }
    const std::optional<AddRequest> &addRequest() const { return m_addRequest; }
    bool showDeckJSON() const { return m_showDeckJSON; }

    // Derived values.
    // The deck a save sends: the title as typed and every row's action in row order.
    Deck draftDeck() const;
    // Loaded actions that no row carries any more.
    int removedCount() const;
    // Changed and new rows, removed actions, a changed title and a changed order (one change).
    int unsavedChangeCount() const;
    // "Give these actions a title." while the title is blank.
    QStringList deckNameProblems() const;
    // The problems the card of one action shows.
    QStringList actionProblems(const Control &control) const;
    // Rows whose card shows a problem.
    int problemCount() const;
    bool canSave() const;
    // A deck has been loaded: before that nothing is known about the host's actions, not even
    // that it has none.
    bool hasDeck() const { return m_baseline.has_value(); }
    // The client reaches a different host than the one the working copy came from.
    bool isFromOtherHost() const;
    // The host's deck arrived and the working copy holds no action: only then is the deck empty.
    bool showsEmptyDeck() const { return hasDeck() && m_items.isEmpty(); }

    // Showing. The first show loads the host's deck; later shows of a kept window treat the
    // host's deck as a change. Each show asks for the catalog when editing is allowed.
    void appear();

    // Editing.
    void setDeckName(const QString &name);
    // Replaces the action of a row; unknown rows are ignored.
    void setControl(const QUuid &rowID, const Control &control);
    // Replaces the working copy with deck, which becomes the baseline of the client's host;
    // clears the banner and the save message.
    void loadDeck(const Deck &deck);
    // Adds a new action at the end.
    void appendItem(const Control &control);
    // Swaps the row with the one offset places away; nothing past either end.
    void moveItem(const QUuid &rowID, int offset);
    // Inserts a new copy after the row: " copy" after its title and an id no row uses.
    void duplicateItem(const QUuid &rowID);
    void removeItem(const QUuid &rowID);
    void requestCatalog();
    // An app began or stopped offering its controls to the host: once shown, an editor that may
    // edit asks for the catalog again, so that what it shows of apps' controls follows them as
    // they come and go.
    void appControlProvidersChanged();
    // Asks for the add-action sheet, starting from preset when given; the sheet ends the request.
    void startAdding(const std::optional<Control> &preset = std::nullopt);
    void finishAdding();

    // Saving and the host's changes.
    // Sends the working copy when it can be saved; its outcome becomes the save message. Edits
    // made while the host answers stay edits.
    void save();
    // Throws the edits away: back to the baseline, or, while the banner shows, over to the deck
    // the host holds now, and the banner goes.
    void discardChanges();
    // Over to the deck the client holds now (Load Theirs).
    void reloadFromHost();
    // Hides the banner and measures the working copy against the host's current deck, so that
    // the count shows what a save would undo there.
    void keepMine();

    // The whole deck as JSON. The text of the working copy; empty when it cannot be encoded.
    QString deckJSONText() const;
    // Opens the whole-deck sheet.
    void beginDeckJSON();
    // Replaces the title and the rows with the deck in text and closes the sheet; on failure
    // returns the error to show and changes nothing.
    std::optional<QString> applyDeckJSON(const QString &text);
    // Closes the whole-deck sheet without writing anything.
    void cancelDeckJSON();
    // Any other sheet that edits rows in place (one action as JSON) is open, or closed again.
    // While one is open a change on the host never replaces the rows underneath it.
    void sheetOpened();
    void sheetClosed();

signals:
    // Rows were added, removed, reordered or replaced.
    void rowsChanged();
    // Anything the editor shows may have changed.
    void changed();

private:
    // A save waiting for its answer, or one that got none: the deck sent, the host it went to and
    // the action sent for each row that existed then.
    struct SentDeck {
        Deck deck;
        std::optional<QString> hostKey;
        QHash<QUuid, Control> controlsByRow;
    };

    void loadDeck(const Deck &deck, const std::optional<QString> &hostKey);
    void hostDeckChanged(const std::optional<Deck> &newDeck);
    void hostInfoChanged();
    void finishSave(const SentDeck &sent, const QStringList &problems);
    // Makes the sent deck the baseline while keeping every edit made since it was sent.
    void rebaseOnSent(const SentDeck &sent);
    // Makes deck the baseline and gives every row the action of the same id in it as original.
    void rebaseKeepingRows(const Deck &deck);
    bool sheetIsOpen() const { return m_openSheets > 0; }
    int rowIndex(const QUuid &rowID) const;
    // The action id of every row, in row order.
    QStringList rowIDs() const;
    int orderChangeCount() const;
    // Called by every change of the title or the rows.
    void noteEdit();
    void notifyRows();

    DeckEditorClient &m_client;
    QString m_deckName;
    QList<EditableControl> m_items;
    std::optional<Deck> m_baseline;
    std::optional<QString> m_baselineHostKey;
    bool m_saving = false;
    std::optional<SaveMessage> m_saveMessage;
    bool m_hostChangedWhileEditing = false;
    std::optional<AddRequest> m_addRequest;
    bool m_showDeckJSON = false;
    int m_openSheets = 0;
    bool m_appeared = false;
    bool m_editingAllowed = false;
    // The save that got no answer in time; its deck reaching the client means it was taken.
    std::optional<SentDeck> m_unansweredSave;
};

} // namespace Quorvel
