#pragma once

#include "QuorvelClientUI/Views/Editor/LocalHostEditor.h"

#include <QObject>

namespace Quorvel {

class AppState;

// Gives the application's window table its two deck editors: the remote's, over the shared
// client model, and this computer's own, over the local editor's private link to its host. Made
// after the application state and dropped before it.
class EditorWindows : public QObject {
    Q_OBJECT

public:
    explicit EditorWindows(AppState &app, QObject *parent = nullptr);
    ~EditorWindows() override;

    LocalHostEditor &localEditor() { return m_localEditor; }

private:
    void openLocalEditor();

    AppState &m_app;
    LocalHostEditor m_localEditor;
};

} // namespace Quorvel
