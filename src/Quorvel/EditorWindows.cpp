#include "Quorvel/EditorWindows.h"

#include "Quorvel/AppLogging.h"
#include "Quorvel/AppState.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorWindow.h"

#include <QShortcut>

namespace Quorvel {

EditorWindows::EditorWindows(AppState &app, QObject *parent) : QObject(parent), m_app(app)
{
    WindowTable &windows = m_app.windows();
    windows.setFactory(WindowTable::deckEditor, [this] {
        return withQuitKey(new DeckEditorWindow(m_app.model(), WindowTable::deckEditor,
                                                DeckEditorWindow::deckEditorTitle()));
    });
    windows.setFactory(WindowTable::localEditor, [this] {
        auto *window = new DeckEditorWindow(m_localEditor.model(), WindowTable::localEditor,
                                            LocalHostEditor::windowTitle());
        // Saving the host's code again is all that pairing with this computer takes.
        window->view()->offerPairingRetry([this] { openLocalEditor(); });
        return withQuitKey(window);
    });
    m_app.setLocalEditorOpener([this] { openLocalEditor(); });
    m_app.setQuitCheck([this] { return mayQuit(); });
    m_app.setLocalEditorModel([this]() -> ClientModel & { return m_localEditor.model(); });
    connect(&m_app, &AppState::hostChanged, this, &EditorWindows::followHost);
    followHost();
}

EditorWindows::~EditorWindows()
{
    // The local editor's window shows this object's model: it goes first.
    m_app.setLocalEditorOpener({});
    m_app.setQuitCheck({});
    m_app.setLocalEditorModel({});
    m_app.windows().forget(WindowTable::localEditor);
}

DeckEditorWindow *EditorWindows::withQuitKey(DeckEditorWindow *window)
{
    // Ctrl+Q quits from the window that holds the unsaved work too, asking first like the menu.
    auto *quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), window);
    connect(quit, &QShortcut::activated, this, [this] { m_app.requestQuit(); });
    return window;
}

bool EditorWindows::mayQuit()
{
    QList<UnsavedEditsQuestion::Editor> unsaved;
    DeckEditorWindow *first = nullptr;
    for (const QString &id : {WindowTable::deckEditor, WindowTable::localEditor}) {
        auto *window = qobject_cast<DeckEditorWindow *>(m_app.windows().window(id));
        const DeckEditorModel *editor = window ? window->editorModel() : nullptr;
        if (!editor || editor->unsavedChangeCount() == 0)
            continue;
        unsaved.append({editor->client().hostName(), editor->unsavedChangeCount()});
        if (!first)
            first = window;
    }
    if (unsaved.isEmpty())
        return true;
    const bool quit =
        m_quitQuestion ? m_quitQuestion(unsaved) : UnsavedEditsQuestion::ask(unsaved, first);
    if (!quit)
        first->present();
    return quit;
}

void EditorWindows::followHost()
{
    // A host that goes takes its connection with it.
    if (HostCoordinator *host = m_app.host())
        connect(host, &HostCoordinator::appControlOffersChanged, this,
                &EditorWindows::tellEditorsOffersChanged, Qt::UniqueConnection);
}

void EditorWindows::tellEditorsOffersChanged()
{
    for (const QString &id : {WindowTable::deckEditor, WindowTable::localEditor}) {
        if (auto *window = qobject_cast<DeckEditorWindow *>(m_app.windows().window(id)))
            window->editorModel()->appControlProvidersChanged();
    }
}

void EditorWindows::openLocalEditor()
{
    HostCoordinator *host = m_app.host();
    if (!host) {
        qCInfo(lcApp) << "This computer's actions can be edited only while it hosts";
        return;
    }
    const bool opening = m_localEditor.open(*host, [this] {
        m_app.windows().open(WindowTable::localEditor, LocalHostEditor::windowTitle());
    });
    if (!opening)
        qCInfo(lcApp).noquote() << "This computer's actions can't be edited now:"
                                << LocalHostEditor::unavailableReason(*host).value_or(QString());
}

} // namespace Quorvel
