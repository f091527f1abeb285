// The whole working copy as one JSON document, and the document applied back.

#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelCore/Model/WireCodec.h"

namespace Quorvel {

QString DeckEditorModel::deckJSONText() const
{
    const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(draftDeck());
    return bytes ? QString::fromUtf8(*bytes) : QString();
}

void DeckEditorModel::beginDeckJSON()
{
    if (m_showDeckJSON)
        return;
    m_showDeckJSON = true;
    sheetOpened();
    emit changed();
}

void DeckEditorModel::cancelDeckJSON()
{
    if (!m_showDeckJSON)
        return;
    m_showDeckJSON = false;
    sheetClosed();
    emit changed();
}

std::optional<QString> DeckEditorModel::applyDeckJSON(const QString &text)
{
    QString error;
    const std::optional<Deck> deck = WireCodec::decoder().decode<Deck>(text.toUtf8(), &error);
    if (!deck)
        return invalidJSONPrefix + error;
    // Each action keeps what it was loaded as when its id is still one the host sent.
    QHash<QString, Control> loaded;
    for (const EditableControl &row : std::as_const(m_items)) {
        if (row.original && !loaded.contains(row.original->id))
            loaded.insert(row.original->id, *row.original);
    }
    QList<EditableControl> rows;
    rows.reserve(qsizetype(deck->controls.size()));
    for (const Control &control : deck->controls) {
        const auto found = loaded.constFind(control.id);
        rows.append(EditableControl{QUuid::createUuid(), control,
                                    found == loaded.cend() ? std::nullopt : std::optional(*found)});
    }
    m_deckName = deck->deckName;
    m_items = rows;
    if (m_showDeckJSON) {
        m_showDeckJSON = false;
        sheetClosed();
    }
    noteEdit();
    notifyRows();
    return std::nullopt;
}

} // namespace Quorvel
