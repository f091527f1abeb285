#pragma once

#include "QuorvelClientUI/ClientTestOutcome.h"
#include "QuorvelClientUI/Editor/EditableControl.h"
#include "QuorvelClientUI/Views/Editor/ActionSentence.h"
#include "QuorvelClientUI/Views/Editor/JSONEditor.h"
#include "QuorvelClientUI/Views/Editor/Popover.h"

#include <QFrame>
#include <QPointer>
#include <QUuid>

#include <optional>

class QLabel;
class QMenu;
class QToolButton;
class QVBoxLayout;

namespace Quorvel {

class AdvancedSection;
class Chip;
class ControlBadge;
class DeckEditorModel;
class FlowLayout;

class LiveStates;
class ElidedLabel;
class PlainLabel;

class TestResultLabel;

// The card of one action in the deck editor: badge, title and state, the sentence of chips, the
// problems, the last try's result and the advanced settings, with the try control and the card's
// menu. It is tied to its row by the row's id, never by position: every edit names the row, so
// an edit of a row that is gone changes nothing, and a try answered after the card is gone is
// dropped with it.
class ControlCard : public QFrame {
    Q_OBJECT

public:
    // What the editor gives the card each time its row or the host may have changed.
    struct Inputs {
        EditableControl row;
        QStringList problems;
        bool editable = false;
        bool canMoveUp = false;
        bool canMoveDown = false;
        friend bool operator==(const Inputs &, const Inputs &) = default;
    };

    ControlCard(DeckEditorModel &model, LiveStates &live, const QUuid &rowID,
                QWidget *parent = nullptr);

    QUuid rowID() const { return m_rowID; }
    // Shows the inputs; parts that did not change are left as they are.
    void setInputs(const Inputs &inputs);
    // The host's catalog, info or ability to edit changed.
    void hostChanged();

    // Read by the tests and the gallery.
    QString titleText() const;
    QString stateText() const;
    bool hasProblemLook() const { return !m_inputs.problems.isEmpty(); }
    QList<Chip *> chips() const;
    QStringList sentenceTexts() const;
    QToolButton *tryButton() const { return m_try; }
    // The card's menu and a switch's try menu, made when first asked for.
    QMenu *moreMenu();
    QMenu *tryMenu();
    QToolButton *moreButton() const { return m_moreButton; }
    QToolButton *badgeButton() const { return m_badgeButton; }
    bool isTrying() const { return m_trying; }
    const std::optional<ClientTestOutcome> &tryResult() const { return m_tryResult; }
    // None until the section is first opened.
    AdvancedSection *advancedSection() const { return m_advanced; }
    bool isShowingAdvanced() const { return m_showAdvanced; }
    JSONEditor *jsonSheet() const { return m_jsonSheet; }
    Popover *renamePopover() const { return m_renamePopover; }

    void showRename();
    void toggleAdvanced();
    void showJSON();
    enum class Try { action, turnOn, turnOff, check };
    void tryIt(Try what);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    // A try ended and its result is shown.
    void tried();

private:
    void buildMenu();
    void rebuildSentence();
    void fitSentence();
    void rebuildProblems();
    void refreshHeader();
    void refreshTryControl();
    void edit(const Control &control);
    const Control &control() const { return m_inputs.row.control; }

    DeckEditorModel &m_model;
    LiveStates &m_live;
    QUuid m_rowID;
    Inputs m_inputs;
    bool m_shown = false;
    QList<ActionSentence::Piece> m_pieces;
    bool m_trying = false;
    bool m_showAdvanced = false;
    std::optional<ClientTestOutcome> m_tryResult;

    QToolButton *m_badgeButton;
    ControlBadge *m_badge;
    ElidedLabel *m_title;
    PlainLabel *m_state;
    QWidget *m_sentence;
    FlowLayout *m_sentenceLayout;
    QVBoxLayout *m_column = nullptr;
    QVBoxLayout *m_problemsLayout;
    QWidget *m_problems;
    TestResultLabel *m_result;
    AdvancedSection *m_advanced;
    QToolButton *m_try;
    QMenu *m_tryMenu;
    QToolButton *m_moreButton;
    QMenu *m_more;
    QPointer<Popover> m_renamePopover;
    QPointer<JSONEditor> m_jsonSheet;
};

} // namespace Quorvel
