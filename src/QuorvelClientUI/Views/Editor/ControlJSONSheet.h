#pragma once

#include "QuorvelCore/Model/Control.h"

#include <QString>
#include <QUuid>

#include <optional>

class QWidget;

namespace Quorvel {

class DeckEditorModel;
class JSONEditor;

// One action of the editor as JSON. The sheet knows its row only by the row's id: applying after
// the row has left the editor says so instead of writing anywhere.
class ControlJSONSheet {
public:
    static inline const QString invalidPrefix = QStringLiteral("That isn't a valid action: ");

    // The sheet's title for an action.
    static QString title(const Control &control);
    // Opens the sheet over parent (window-modal) for the row; it deletes itself when closed.
    static JSONEditor *open(DeckEditorModel &model, const QUuid &rowID, const Control &control,
                            QWidget *parent);
    // Applies text to the row: none on success, else the error to show.
    static std::optional<QString> apply(DeckEditorModel &model, const QUuid &rowID,
                                        const QString &text);
    // What the error line says when the row is gone.
    static QString goneText();
};

} // namespace Quorvel
