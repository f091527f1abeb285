#pragma once

#include "QuorvelClientUI/Views/Editor/EditBinding.h"
#include "QuorvelCore/Model/StatusCheck.h"

#include <QWidget>

class QToolButton;

namespace Quorvel {

class AppControlPicker;
class DeckEditorClient;
class PlainTextField;
class TryRow;

// Changes what a readout shows: a ready-made value, the output of a command, or a value another
// app offers; with Check Now, which reads it once as it stands.
class MetricSourcePopover : public QWidget {
    Q_OBJECT

public:
    MetricSourcePopover(EditBinding<StatusCheck> check, DeckEditorClient &client,
                        QWidget *parent = nullptr);

    QList<QToolButton *> presetRows() const { return m_presets; }
    PlainTextField *commandField() const { return m_command; }
    // Null while the host offers no app's values.
    AppControlPicker *picker() const;
    TryRow *checkRow() const { return m_check; }

private:
    void write(const StatusCheck &check, bool clearsResult);
    void refresh();

    EditBinding<StatusCheck> m_checkBinding;
    DeckEditorClient &m_client;
    QString m_pickedApp;
    QList<QToolButton *> m_presets;
    PlainTextField *m_command;
    QWidget *m_appSection;
    AppControlPicker *m_picker;
    TryRow *m_check;
};

} // namespace Quorvel
