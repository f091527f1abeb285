// Saving the working copy, throwing it away, and the host's deck changing underneath it.

#include "Platform/Text/OutsideText.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/ClientUILogging.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ProblemWording.h"

namespace Quorvel {

namespace {

const QString savedPrefix = QStringLiteral("Saved to ");

} // namespace

void DeckEditorModel::save()
{
    if (!canSave())
        return;
    // The host's deck moved on since the baseline without the editor noticing (the window was
    // hidden, say): sending now would overwrite it without a choice.
    if (const std::optional<Deck> hostDeck = m_client.deck();
        hostDeck && m_baseline && *hostDeck != *m_baseline) {
        hostDeckChanged(hostDeck);
        if (!canSave())
            return;
    }
    SentDeck sent{draftDeck(), m_client.hostKey(), {}};
    for (const EditableControl &row : std::as_const(m_items))
        sent.controlsByRow.insert(row.id, row.control);
    m_unansweredSave.reset();
    m_saving = true;
    m_saveMessage.reset();
    emit changed();
    m_client.updateDeck(sent.deck, this,
                        [this, sent](const QStringList &problems) { finishSave(sent, problems); });
}

void DeckEditorModel::finishSave(const SentDeck &sent, const QStringList &problems)
{
    m_saving = false;
    if (problems.isEmpty()) {
        qCDebug(lcDeckEditor, "The host took the deck");
        rebaseOnSent(sent);
        m_saveMessage = SaveMessage{true, savedPrefix + m_client.hostName()};
        emit changed();
        return;
    }
    qCDebug(lcDeckEditor, "The host did not take the deck: %s",
            qUtf8Printable(OutsideText::forLog(problems.join(u' '))));
    // Without an answer the host may still have taken the deck; its arrival then says so.
    if (problems == QStringList{ClientModel::noAnswerFromTheHost})
        m_unansweredSave = sent;
    QStringList reworded;
    for (const QString &problem : problems)
        reworded.append(friendlyProblem(problem));
    m_saveMessage = SaveMessage{false, reworded.join(u' ')};
    emit changed();
}

void DeckEditorModel::rebaseOnSent(const SentDeck &sent)
{
    // Rows loaded since the deck was sent (the host's deck taken meanwhile) are measured against
    // what was sent, by id.
    rebaseKeepingRows(sent.deck);
    m_baselineHostKey = sent.hostKey;
    // Rows that existed when the deck was sent now stand for what was sent; edits made since
    // stay as edits, and rows added since stay new.
    for (EditableControl &row : m_items) {
        const auto found = sent.controlsByRow.constFind(row.id);
        if (found != sent.controlsByRow.cend())
            row.original = *found;
    }
    m_hostChangedWhileEditing = false;
    m_unansweredSave.reset();
}

void DeckEditorModel::rebaseKeepingRows(const Deck &deck)
{
    m_baseline = deck;
    for (EditableControl &row : m_items) {
        if (!row.original)
            continue;
        const QString loadedID = row.original->id;
        const auto found =
            std::find_if(deck.controls.cbegin(), deck.controls.cend(),
                         [&loadedID](const Control &control) { return control.id == loadedID; });
        row.original = found == deck.controls.cend() ? std::nullopt : std::optional(*found);
    }
}

void DeckEditorModel::discardChanges()
{
    if (!m_baseline)
        return;
    // While the banner shows, the host holds a newer deck than the one the edits began from;
    // going back to that one would show a deck the host no longer has. Otherwise the baseline is
    // the newest known (a save the host took may answer before its deck arrives).
    if (const std::optional<Deck> hostDeck = m_client.deck();
        m_hostChangedWhileEditing && hostDeck && !isFromOtherHost()) {
        loadDeck(*hostDeck, m_client.hostKey());
        return;
    }
    loadDeck(Deck(*m_baseline), m_baselineHostKey);
}

void DeckEditorModel::reloadFromHost()
{
    if (const std::optional<Deck> deck = m_client.deck())
        loadDeck(*deck, m_client.hostKey());
}

void DeckEditorModel::keepMine()
{
    m_hostChangedWhileEditing = false;
    // The host's deck becomes what the count measures against, so the count shows what a save
    // would undo on the host, and Discard goes back to what the host holds.
    if (const std::optional<Deck> hostDeck = m_client.deck(); hostDeck && !isFromOtherHost())
        rebaseKeepingRows(*hostDeck);
    emit changed();
}

void DeckEditorModel::hostDeckChanged(const std::optional<Deck> &newDeck)
{
    if (!newDeck)
        return;
    const std::optional<QString> hostKey = m_client.hostKey();
    if (m_unansweredSave && m_unansweredSave->hostKey == hostKey &&
        m_unansweredSave->deck == *newDeck) {
        const SentDeck sent = *m_unansweredSave;
        rebaseOnSent(sent);
        m_saveMessage = SaveMessage{true, savedPrefix + m_client.hostName()};
        emit changed();
        return;
    }
    if (isFromOtherHost()) {
        // Another host's actions are never a change of this host's: they replace the working
        // copy only when nothing would be lost.
        if (unsavedChangeCount() == 0 && !sheetIsOpen())
            loadDeck(*newDeck, hostKey);
        else
            emit changed();
        return;
    }
    if (m_baseline && *m_baseline == *newDeck)
        return;
    if (*newDeck == draftDeck()) {
        // The host now holds exactly the working copy: nothing is left to save.
        m_baseline = *newDeck;
        m_baselineHostKey = hostKey;
        for (EditableControl &row : m_items)
            row.original = row.control;
        m_hostChangedWhileEditing = false;
        m_saveMessage.reset();
        emit changed();
        return;
    }
    // An open sheet edits rows that a reload would replace underneath it.
    if (unsavedChangeCount() >= 1 || sheetIsOpen()) {
        m_hostChangedWhileEditing = true;
        emit changed();
        return;
    }
    loadDeck(*newDeck, hostKey);
}

} // namespace Quorvel
