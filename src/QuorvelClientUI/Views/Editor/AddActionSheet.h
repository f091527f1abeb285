#pragma once

#include "QuorvelClientUI/Editor/AddActionFlow.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <optional>
#include <tuple>
#include <vector>

class QPushButton;
class QVBoxLayout;

namespace Quorvel {

class AddActionProgressHeader;
class DeckEditorClient;

// The sheet that adds one action to the deck being edited: what it does, its details, then a
// review where it is tried on the host and named. It shows an AddActionFlow and hands the
// finished action to onAdd once, when Add Action is pressed; Cancel or closing adds nothing.
class AddActionSheet : public QDialog {
    Q_OBJECT

public:
    using OnAdd = std::function<void(const Control &)>;

    static constexpr int sheetWidth = 660;

    AddActionSheet(DeckEditorClient &client, std::vector<Control> existing,
                   const std::optional<Control> &preset,
                   std::optional<AddActionFlow::Intent> startIntent, OnAdd onAdd,
                   QWidget *parent = nullptr);

    AddActionFlow &flow() const { return *m_flow; }
    AddActionProgressHeader *header() const { return m_header; }
    QWidget *stepView() const { return m_step; }
    QPushButton *backButton() const { return m_back; }
    QPushButton *somethingElseButton() const { return m_somethingElse; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *continueButton() const { return m_continue; }
    QPushButton *addButton() const { return m_add; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void rebuildStep();
    void addAction();

    QWidget *intentStep();
    QWidget *ideasRow(const std::vector<DeckIdeas::Idea> &ideas, QWidget *parent);
    QWidget *appSwitchStep();
    QWidget *appControlStep();
    QWidget *shortcutStep();
    QWidget *commandStep();
    QWidget *valueStep();
    QWidget *reviewStep();
    // A step's title in the title font, bold.
    QWidget *stepTitle(const QString &text, QWidget *parent) const;
    // Makes Return in a picker's search field pick its first row, not press the default button.
    void takeReturn(QWidget *picker);

    AddActionFlow *m_flow;
    OnAdd m_onAdd;
    AddActionProgressHeader *m_header;
    QVBoxLayout *m_stepLayout;
    QWidget *m_step = nullptr;
    // Where typing goes when the step shows: its first field, set by the step as it is built.
    QPointer<QWidget> m_firstField;
    std::optional<std::tuple<int, AddActionFlow::Intent, Action::Kind>> m_shownStep;
    // Parts of the current step that follow the flow without being rebuilt.
    std::vector<std::function<void()>> m_refreshers;
    QPushButton *m_back;
    QPushButton *m_somethingElse;
    QPushButton *m_cancel;
    QPushButton *m_continue;
    QPushButton *m_add;
};

} // namespace Quorvel
