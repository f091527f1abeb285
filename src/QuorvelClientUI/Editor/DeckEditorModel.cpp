#include "QuorvelClientUI/Editor/DeckEditorModel.h"

#include "QuorvelClientUI/Editor/ActionProblems.h"
#include "QuorvelClientUI/Editor/ControlID.h"
#include "QuorvelCore/Model/DeckValidator.h"

#include <QSet>

#include <algorithm>

namespace Quorvel {

namespace {

// Trims spaces and tabs only, as the deck rules do: a title of line breaks is not blank here.
bool isBlankTitle(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c == u' ' || c == u'\t'; });
}

QList<EditableControl> rowsOf(const Deck &deck)
{
    QList<EditableControl> rows;
    rows.reserve(qsizetype(deck.controls.size()));
    for (const Control &control : deck.controls)
        rows.append(EditableControl::loaded(control));
    return rows;
}

// The text a copy's title gets after the copied action's title.
const QString copySuffix = QStringLiteral(" copy");

} // namespace

DeckEditorModel::DeckEditorModel(DeckEditorClient &client, QObject *parent)
    : QObject(parent), m_client(client)
{
    const std::optional<HostInfo> info = client.hostInfo();
    m_editingAllowed = info && info->deckEditingAllowed;
    connect(&client, &DeckEditorClient::deckChanged, this, [this] {
        if (m_appeared)
            hostDeckChanged(m_client.deck());
    });
    connect(&client, &DeckEditorClient::hostInfoChanged, this, &DeckEditorModel::hostInfoChanged);
    connect(&client, &DeckEditorClient::statusChanged, this, &DeckEditorModel::changed);
    connect(&client, &DeckEditorClient::catalogChanged, this, &DeckEditorModel::changed);
}

Deck DeckEditorModel::draftDeck() const
{
    Deck deck;
    deck.deckName = m_deckName;
    deck.controls.reserve(size_t(m_items.size()));
    for (const EditableControl &row : m_items)
        deck.controls.push_back(row.control);
    return deck;
}

int DeckEditorModel::removedCount() const
{
    if (!m_baseline)
        return 0;
    QSet<QString> kept;
    for (const EditableControl &row : m_items) {
        if (row.original)
            kept.insert(row.original->id);
    }
    return int(
        std::count_if(m_baseline->controls.cbegin(), m_baseline->controls.cend(),
                      [&kept](const Control &control) { return !kept.contains(control.id); }));
}

int DeckEditorModel::orderChangeCount() const
{
    if (!m_baseline)
        return 0;
    QStringList rowOrder;
    QSet<QString> kept;
    for (const EditableControl &row : m_items) {
        if (row.original) {
            rowOrder.append(row.original->id);
            kept.insert(row.original->id);
        }
    }
    QStringList loadedOrder;
    for (const Control &control : m_baseline->controls) {
        if (kept.contains(control.id))
            loadedOrder.append(control.id);
    }
    return rowOrder == loadedOrder ? 0 : 1;
}

int DeckEditorModel::unsavedChangeCount() const
{
    const int changedRows =
        int(std::count_if(m_items.cbegin(), m_items.cend(),
                          [](const EditableControl &row) { return row.isChanged(); }));
    const int renamed = m_baseline && m_baseline->deckName != m_deckName ? 1 : 0;
    return changedRows + removedCount() + renamed + orderChangeCount();
}

QStringList DeckEditorModel::deckNameProblems() const
{
    if (isBlankTitle(m_deckName))
        return {untitledProblem};
    return {};
}

QStringList DeckEditorModel::actionProblems(const Control &control) const
{
    return Quorvel::actionProblems(control, rowIDs(), m_client.catalog(), m_client.hostInfo());
}

int DeckEditorModel::problemCount() const
{
    const QStringList ids = rowIDs();
    const std::optional<HostCatalog> catalog = m_client.catalog();
    const std::optional<HostInfo> info = m_client.hostInfo();
    return int(std::count_if(m_items.cbegin(), m_items.cend(), [&](const EditableControl &row) {
        return !Quorvel::actionProblems(row.control, ids, catalog, info).isEmpty();
    }));
}

QStringList DeckEditorModel::rowIDs() const
{
    QStringList ids;
    ids.reserve(m_items.size());
    for (const EditableControl &row : m_items)
        ids.append(row.control.id);
    return ids;
}

bool DeckEditorModel::isFromOtherHost() const
{
    const std::optional<QString> current = m_client.hostKey();
    return m_baselineHostKey && current && *m_baselineHostKey != *current;
}

bool DeckEditorModel::canSave() const
{
    return m_client.canEditDeck() && unsavedChangeCount() >= 1 && !m_saving &&
           deckNameProblems().isEmpty() && DeckValidator::problems(draftDeck()).isEmpty() &&
           !m_hostChangedWhileEditing && !isFromOtherHost();
}

void DeckEditorModel::appear()
{
    if (!m_appeared) {
        m_appeared = true;
        if (const std::optional<Deck> deck = m_client.deck())
            loadDeck(*deck, m_client.hostKey());
    } else {
        hostDeckChanged(m_client.deck());
    }
    if (m_client.canEditDeck())
        requestCatalog();
}

void DeckEditorModel::hostInfoChanged()
{
    const std::optional<HostInfo> info = m_client.hostInfo();
    const bool allowed = info && info->deckEditingAllowed;
    const bool nowAllowed = allowed && !m_editingAllowed;
    m_editingAllowed = allowed;
    if (m_appeared && nowAllowed)
        requestCatalog();
    emit changed();
}

void DeckEditorModel::setDeckName(const QString &name)
{
    if (m_deckName == name)
        return;
    m_deckName = name;
    noteEdit();
    emit changed();
}

void DeckEditorModel::setControl(const QUuid &rowID, const Control &control)
{
    const int index = rowIndex(rowID);
    // An edit into another Unicode form of the same text is still an edit: it is saved as typed.
    if (index < 0 || EditableControl::identical(m_items[index].control, control))
        return;
    m_items[index].control = control;
    noteEdit();
    emit changed();
}

void DeckEditorModel::loadDeck(const Deck &deck)
{
    loadDeck(deck, m_client.hostKey());
}

void DeckEditorModel::loadDeck(const Deck &deck, const std::optional<QString> &hostKey)
{
    m_deckName = deck.deckName;
    m_items = rowsOf(deck);
    m_baseline = deck;
    m_baselineHostKey = hostKey;
    m_hostChangedWhileEditing = false;
    m_saveMessage.reset();
    // A save that got no answer belongs to the rows just replaced.
    m_unansweredSave.reset();
    notifyRows();
}

void DeckEditorModel::appendItem(const Control &control)
{
    m_items.append(EditableControl::added(control));
    noteEdit();
    notifyRows();
}

void DeckEditorModel::moveItem(const QUuid &rowID, int offset)
{
    const int index = rowIndex(rowID);
    if (index < 0)
        return;
    const qsizetype target = qsizetype(index) + offset;
    if (target < 0 || target >= m_items.size())
        return;
    m_items.swapItemsAt(index, target);
    noteEdit();
    notifyRows();
}

void DeckEditorModel::duplicateItem(const QUuid &rowID)
{
    const int index = rowIndex(rowID);
    if (index < 0)
        return;
    Control copy = m_items[index].control;
    const QString oldID = copy.id;
    if (!copy.title.isEmpty())
        copy.title += copySuffix;
    QSet<QString> taken;
    for (const EditableControl &row : std::as_const(m_items))
        taken.insert(row.control.id);
    copy.id = makeControlID(copy.title.isEmpty() ? oldID : copy.title, taken);
    m_items.insert(index + 1, EditableControl::added(copy));
    noteEdit();
    notifyRows();
}

void DeckEditorModel::removeItem(const QUuid &rowID)
{
    if (m_items.removeIf([&rowID](const EditableControl &row) { return row.id == rowID; }) > 0) {
        noteEdit();
        notifyRows();
    }
}

void DeckEditorModel::requestCatalog()
{
    m_client.requestCatalog();
}

void DeckEditorModel::appControlProvidersChanged()
{
    if (m_appeared && m_client.canEditDeck())
        requestCatalog();
}

void DeckEditorModel::startAdding(const std::optional<Control> &preset)
{
    m_addRequest = AddRequest{QUuid::createUuid(), preset};
    emit changed();
}

void DeckEditorModel::finishAdding()
{
    m_addRequest.reset();
    emit changed();
}

void DeckEditorModel::sheetOpened()
{
    ++m_openSheets;
}

void DeckEditorModel::sheetClosed()
{
    m_openSheets = std::max(0, m_openSheets - 1);
}

int DeckEditorModel::rowIndex(const QUuid &rowID) const
{
    const auto found =
        std::find_if(m_items.cbegin(), m_items.cend(),
                     [&rowID](const EditableControl &row) { return row.id == rowID; });
    return found == m_items.cend() ? -1 : int(found - m_items.cbegin());
}

void DeckEditorModel::noteEdit()
{
    // "Saved" stops being true at the first edit after it; a failed save's message stays until
    // the next save or load, so its reason stays in view while the user mends the actions.
    if (m_saveMessage && m_saveMessage->ok)
        m_saveMessage.reset();
}

void DeckEditorModel::notifyRows()
{
    emit rowsChanged();
    emit changed();
}

} // namespace Quorvel
