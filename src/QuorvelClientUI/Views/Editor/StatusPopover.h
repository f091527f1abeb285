#pragma once

#include "QuorvelClientUI/Views/Editor/EditBinding.h"
#include "QuorvelCore/Model/StatusCheck.h"

#include <QWidget>

#include <optional>

class QButtonGroup;
class QVBoxLayout;

namespace Quorvel {

class DeckEditorClient;
class TryRow;

// Changes how a switch knows it is on: an app is running, a command succeeds, or another app's
// switch is on; with Check Now, which runs the check as it stands.
class StatusPopover : public QWidget {
    Q_OBJECT

public:
    StatusPopover(EditBinding<StatusCheck> check, DeckEditorClient &client,
                  QWidget *parent = nullptr);

    QButtonGroup *rows() const { return m_rows; }
    QWidget *editor() const { return m_editor; }
    TryRow *checkRow() const { return m_check; }

private:
    void write(const StatusCheck &check);
    void rebuildEditor();
    void refresh();

    EditBinding<StatusCheck> m_checkBinding;
    DeckEditorClient &m_client;
    std::optional<int> m_shownRow;
    QButtonGroup *m_rows;
    QVBoxLayout *m_editorLayout;
    QWidget *m_editor = nullptr;
    TryRow *m_check;
};

} // namespace Quorvel
