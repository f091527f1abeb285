#include "QuorvelClientUI/Views/Editor/AddActionPresenter.h"

#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"

namespace Quorvel {

AddActionPresenter::AddActionPresenter(DeckEditorModel &model, QWidget *window)
    : QObject(window), m_model(model), m_window(window)
{
    connect(&m_model, &DeckEditorModel::changed, this, &AddActionPresenter::follow);
    follow();
}

void AddActionPresenter::follow()
{
    const std::optional<DeckEditorModel::AddRequest> &request = m_model.addRequest();
    if (!request) {
        m_shownRequest = QUuid();
        if (m_sheet)
            m_sheet->reject();
        return;
    }
    if (request->id == m_shownRequest)
        return;
    m_shownRequest = request->id;
    if (m_sheet)
        m_sheet->reject();
    std::vector<Control> existing;
    for (const EditableControl &row : m_model.items())
        existing.push_back(row.control);
    DeckEditorModel *model = &m_model;
    m_sheet = new AddActionSheet(
        m_model.client(), std::move(existing), request->preset, std::nullopt,
        [model](const Control &control) { model->appendItem(control); }, m_window);
    m_sheet->setAttribute(Qt::WA_DeleteOnClose);
    const QUuid id = request->id;
    connect(m_sheet, &QDialog::finished, this, [this, id] {
        const std::optional<DeckEditorModel::AddRequest> &current = m_model.addRequest();
        if (current && current->id == id)
            m_model.finishAdding();
    });
    m_sheet->open();
}

} // namespace Quorvel
