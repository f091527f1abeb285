#include "QuorvelClientUI/Views/Editor/ControlJSONSheet.h"

#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Views/Editor/JSONEditor.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>

namespace Quorvel {

QString ControlJSONSheet::title(const Control &control)
{
    if (control.title.isEmpty())
        return QCoreApplication::translate("ControlJSONSheet", "Edit action as JSON");
    return QCoreApplication::translate("ControlJSONSheet", "Edit %1 as JSON").arg(control.title);
}

QString ControlJSONSheet::goneText()
{
    return QCoreApplication::translate(
        "ControlJSONSheet",
        "This action is no longer in the editor (the actions were reloaded or it was removed), "
        "so there is nothing to apply this to.");
}

JSONEditor *ControlJSONSheet::open(DeckEditorModel &model, const QUuid &rowID,
                                   const Control &control, QWidget *parent)
{
    auto *sheet = new JSONEditor(title(control), parent);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    const std::optional<QByteArray> bytes = WireCodec::prettyEncoder(true).encode(control);
    sheet->setText(bytes ? QString::fromUtf8(*bytes) : QString());
    QPointer<DeckEditorModel> guardedModel(&model);
    sheet->setApply([guardedModel, rowID, sheet] {
        if (!guardedModel) {
            sheet->setError(goneText());
            return;
        }
        const std::optional<QString> error = apply(*guardedModel, rowID, sheet->text());
        sheet->setError(error);
        if (!error)
            sheet->accept();
    });
    model.sheetOpened();
    QObject::connect(sheet, &JSONEditor::finished, &model, [guardedModel] {
        if (guardedModel)
            guardedModel->sheetClosed();
    });
    sheet->open();
    return sheet;
}

std::optional<QString> ControlJSONSheet::apply(DeckEditorModel &model, const QUuid &rowID,
                                               const QString &text)
{
    const QList<EditableControl> &rows = model.items();
    const bool present =
        std::any_of(rows.cbegin(), rows.cend(),
                    [&rowID](const EditableControl &row) { return row.id == rowID; });
    if (!present)
        return goneText();
    QString error;
    const std::optional<Control> decoded =
        WireCodec::decoder().decode<Control>(text.toUtf8(), &error);
    if (!decoded)
        return invalidPrefix + error;
    model.setControl(rowID, *decoded);
    return std::nullopt;
}

} // namespace Quorvel
