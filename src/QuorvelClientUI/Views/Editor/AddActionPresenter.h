#pragma once

#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include <QObject>

#include <QPointer>
#include <QUuid>

class QWidget;

namespace Quorvel {

class DeckEditorModel;

// Answers the editor's add requests: one fresh add-action sheet per request, over the editor's
// window. The sheet's action joins the working copy as a new row; closing the sheet in any way
// ends the request.
class AddActionPresenter : public QObject {
    Q_OBJECT

public:
    AddActionPresenter(DeckEditorModel &model, QWidget *window);

    AddActionSheet *sheet() const { return m_sheet; }

private:
    void follow();

    DeckEditorModel &m_model;
    QWidget *m_window;
    QUuid m_shownRequest;
    QPointer<AddActionSheet> m_sheet;
};

} // namespace Quorvel
