#pragma once

#include "Quorvel/UnsavedEditsQuestion.h"
#include "QuorvelClientUI/Views/Editor/LocalHostEditor.h"

#include <QObject>

#include <functional>

namespace Quorvel {

class AppState;
class DeckEditorWindow;

// Gives the application's window table its two deck editors: the remote's, over the shared
// client model, and this computer's own, over the local editor's private link to its host. Made
// after the application state and dropped before it. While either editor holds unsaved changes,
// the user's Quit first asks whether to lose them; answered no, that editor comes forward. When
// this computer's host sees apps begin or stop offering controls, both editors ask again for what
// they list of them.
class EditorWindows : public QObject {
    Q_OBJECT

public:
    explicit EditorWindows(AppState &app, QObject *parent = nullptr);
    ~EditorWindows() override;

    LocalHostEditor &localEditor() { return m_localEditor; }

    // Asks whether to quit and lose the editors' unsaved work; the alert unless replaced.
    using QuitQuestion = std::function<bool(const QList<UnsavedEditsQuestion::Editor> &)>;
    void setQuitQuestion(QuitQuestion question) { m_quitQuestion = std::move(question); }

private:
    void openLocalEditor();
    bool mayQuit();
    void followHost();
    void tellEditorsOffersChanged();
    DeckEditorWindow *withQuitKey(DeckEditorWindow *window);

    AppState &m_app;
    LocalHostEditor m_localEditor;
    QuitQuestion m_quitQuestion;
};

} // namespace Quorvel
