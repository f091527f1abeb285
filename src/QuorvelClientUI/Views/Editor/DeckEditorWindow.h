#pragma once

#include <QString>
#include <QWidget>

namespace Quorvel {

class ClientModel;
class ClientModelEditorClient;
class ClientModelLiveStates;
class DeckEditorModel;
class DeckEditorView;

// A deck editor window for one client model, under a fixed id whose size and place it remembers.
// Closing only hides it: its unsaved work is there when it is shown again.
class DeckEditorWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int defaultWidth = 900;
    static constexpr int defaultHeight = 640;
    static inline const QString deckEditorID = QStringLiteral("QuorvelDeckEditor");

    // model outlives the window.
    DeckEditorWindow(ClientModel &model, const QString &id, const QString &title,
                     QWidget *parent = nullptr);
    ~DeckEditorWindow() override;

    static QString deckEditorTitle();

    DeckEditorView *view() const { return m_view; }
    DeckEditorModel *editorModel() const { return m_editorModel; }
    // Shows the window, restores it when minimised, raises and activates it.
    void present();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    QString settingsKey() const;

    QString m_id;
    ClientModelEditorClient *m_client;
    ClientModelLiveStates *m_live;
    DeckEditorModel *m_editorModel;
    DeckEditorView *m_view;
};

} // namespace Quorvel
