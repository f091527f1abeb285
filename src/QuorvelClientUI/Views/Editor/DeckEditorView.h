#pragma once

#include "QuorvelClientUI/Views/Editor/JSONEditor.h"

#include <QHash>
#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;

namespace Quorvel {

class Banner;
class ControlCard;
class DeckTitleButton;
class DeckEditorModel;

class LiveStates;
class PlainLabel;
class SymbolLabel;

// The deck editor's screen: the title and status line with Add Action and the ⋯ menu, the
// banners, the cards (or the empty deck with ideas), and the footer with the outcome of the last
// save and Save. Cards are kept by their row's id, so a card's own state (its try result, its
// advanced section, an open popover) survives every edit of other rows.
class DeckEditorView : public QWidget {
    Q_OBJECT

public:
    static constexpr int minimumWidth = 720;
    static constexpr int minimumHeight = 540;

    // model and live outlive the view.
    DeckEditorView(DeckEditorModel &model, LiveStates &live, QWidget *parent = nullptr);

    DeckEditorModel &model() const { return m_model; }

    // Read by the tests and the gallery.
    QString titleText() const;
    QString subtitleText() const;
    QString footerText() const;
    QPushButton *saveButton() const { return m_save; }
    QPushButton *discardButton() const { return m_discard; }
    QPushButton *addButton() const { return m_add; }
    QAction *saveAction() const { return m_saveAction; }
    QMenu *moreMenu() const { return m_more; }
    QLineEdit *titleField() const { return m_titleField; }
    DeckTitleButton *titleButton() const { return m_titleButton; }
    QList<ControlCard *> cards() const;
    ControlCard *card(const QUuid &rowID) const { return m_cards.value(rowID); }
    JSONEditor *deckSheet() const { return m_deckSheet; }
    bool isShowingEmptyDeck() const;
    Banner *editingOffBanner() const { return m_editingOff; }
    Banner *notConnectedBanner() const { return m_notConnected; }
    QString notConnectedText() const;
    QPushButton *retryButton() const { return m_retry; }
    Banner *hostChangedBanner() const { return m_hostChanged; }
    QList<QPushButton *> ideaButtons() const;

    // While the host asks for pairing, the not-connected banner offers "Try Again", which calls
    // retry (this computer's own editor saves the host's code again).
    void offerPairingRetry(std::function<void()> retry);

    void beginEditingName();
    void copyEditingCommand();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *makeHeader();
    QWidget *makeFooter();
    void makeBanners(QVBoxLayout *content);
    QWidget *makeEmptyView();
    void refresh();
    void syncRows();
    void refreshCards();
    void refreshEmptyView();
    void refreshSheet();
    void endEditingName();
    bool editable() const;

    DeckEditorModel &m_model;
    LiveStates &m_live;
    QHash<QUuid, ControlCard *> m_cards;

    QStackedWidget *m_titleStack;
    DeckTitleButton *m_titleButton;
    QLineEdit *m_titleField;
    PlainLabel *m_subtitle;
    QPushButton *m_add;
    QToolButton *m_moreButton;
    QMenu *m_more;
    QAction *m_jsonAction;
    QAction *m_reloadAction;
    QAction *m_refreshAction;

    Banner *m_editingOff;
    PlainLabel *m_editingOffTitle;
    PlainLabel *m_editingOffText;
    QPushButton *m_copyCommand;
    Banner *m_notConnected;
    SymbolLabel *m_notConnectedText;
    QPushButton *m_retry;
    std::function<void()> m_onRetry;
    Banner *m_hostChanged;
    SymbolLabel *m_hostChangedText;

    QWidget *m_empty;
    PlainLabel *m_emptyTitle;
    QPushButton *m_emptyAdd;
    QWidget *m_ideas;
    PlainLabel *m_ideasCaption;
    QVBoxLayout *m_ideasList;
    QWidget *m_cardsBox;
    QVBoxLayout *m_cardsLayout;

    SymbolLabel *m_message;
    PlainLabel *m_summary;
    QPushButton *m_discard;
    QPushButton *m_save;
    QAction *m_saveAction;

    QPointer<JSONEditor> m_deckSheet;
};

} // namespace Quorvel
