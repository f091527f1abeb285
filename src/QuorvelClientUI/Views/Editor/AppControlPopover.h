#pragma once

#include "QuorvelClientUI/Views/Editor/EditBinding.h"
#include "QuorvelCore/Model/Control.h"

#include <QWidget>

namespace Quorvel {

class AppControlPicker;
class DeckEditorClient;

// Changes which other app's control an action uses, among the controls that fit its kind;
// choosing one rebuilds the action's parts for it at once.
class AppControlPopover : public QWidget {
    Q_OBJECT

public:
    static constexpr int pickerWidth = 480;

    AppControlPopover(EditBinding<Control> control, DeckEditorClient &client,
                      QWidget *parent = nullptr);

    AppControlPicker *picker() const { return m_picker; }

private:
    EditBinding<Control> m_control;
    QString m_app;
    AppControlPicker *m_picker;
};

} // namespace Quorvel
