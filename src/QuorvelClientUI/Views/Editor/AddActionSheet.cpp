#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"

#include "QuorvelClientUI/Views/Editor/AddActionProgressHeader.h"
#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"
#include "QuorvelClientUI/Views/Editor/PickerRow.h"
#include "QuorvelClientUI/Views/Editor/RetiredWidget.h"
#include "Widgets/Divider.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/TabChain.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace Quorvel {

namespace {

constexpr int sheetPadding = 22;
constexpr int sheetSpacing = 16;

} // namespace

AddActionSheet::AddActionSheet(DeckEditorClient &client, std::vector<Control> existing,
                               const std::optional<Control> &preset,
                               std::optional<AddActionFlow::Intent> startIntent, OnAdd onAdd,
                               QWidget *parent)
    : QDialog(parent),
      m_flow(new AddActionFlow(client, std::move(existing), preset, startIntent, this)),
      m_onAdd(std::move(onAdd)), m_header(new AddActionProgressHeader(this)),
      m_stepLayout(new QVBoxLayout), m_back(new QPushButton(tr("Back"), this)),
      m_somethingElse(new QPushButton(tr("Something Else (Advanced)"), this)),
      m_cancel(new QPushButton(tr("Cancel"), this)),
      m_continue(new QPushButton(tr("Continue"), this)),
      m_add(new QPushButton(tr("Add Action"), this))
{
    setWindowTitle(tr("Add Action"));
    setWindowModality(Qt::WindowModal);
    setMinimumWidth(sheetWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(sheetPadding, sheetPadding, sheetPadding, sheetPadding);
    layout->setSpacing(sheetSpacing);
    layout->addWidget(m_header);
    m_stepLayout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(m_stepLayout, 1);
    layout->addWidget(new Divider(this));
    auto *footer = new QHBoxLayout;
    footer->addWidget(m_back);
    m_somethingElse->setFlat(true);
    m_somethingElse->setCursor(Qt::PointingHandCursor);
    footer->addWidget(m_somethingElse);
    footer->addStretch(1);
    footer->addWidget(m_cancel);
    footer->addWidget(m_continue);
    footer->addWidget(m_add);
    layout->addLayout(footer);
    for (QPushButton *button : {m_back, m_somethingElse, m_cancel})
        button->setAutoDefault(false);
    m_cancel->setShortcut(QKeySequence::Cancel);
    connect(m_back, &QPushButton::clicked, m_flow, &AddActionFlow::back);
    connect(m_somethingElse, &QPushButton::clicked, m_flow, &AddActionFlow::somethingElse);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_continue, &QPushButton::clicked, m_flow, &AddActionFlow::continueToReview);
    connect(m_add, &QPushButton::clicked, this, &AddActionSheet::addAction);
    connect(m_flow, &AddActionFlow::changed, this, &AddActionSheet::refresh);
    refresh();
    // Each step is made after the footer's buttons: Tab reaches it first all the same.
    TabChain::keep(this);
}

void AddActionSheet::addAction()
{
    const std::optional<Control> control = m_flow->add();
    if (!control)
        return;
    if (m_onAdd)
        m_onAdd(*control);
    accept();
}

void AddActionSheet::refresh()
{
    m_header->set(m_flow->progress());
    const auto shown = std::tuple(m_flow->step(), m_flow->intent(), m_flow->commandKind());
    if (m_shownStep != shown) {
        m_shownStep = shown;
        rebuildStep();
    }
    for (const std::function<void()> &refresher : m_refreshers)
        refresher();
    const AddActionFlow::LeftSlot left = m_flow->leftSlot();
    const AddActionFlow::RightSlot right = m_flow->rightSlot();
    m_back->setVisible(left == AddActionFlow::LeftSlot::back);
    m_somethingElse->setVisible(left == AddActionFlow::LeftSlot::somethingElse);
    m_continue->setVisible(right == AddActionFlow::RightSlot::continueButton);
    m_continue->setEnabled(m_flow->canContinue());
    m_add->setVisible(right == AddActionFlow::RightSlot::addButton);
    m_add->setEnabled(m_flow->canAdd());
    m_continue->setDefault(m_continue->isVisible());
    m_add->setDefault(m_add->isVisible());
}

void AddActionSheet::rebuildStep()
{
    m_refreshers.clear();
    m_firstField = nullptr;
    retireWidget(m_step);
    switch (m_flow->step()) {
    case 1:
        m_step = intentStep();
        break;
    case 2:
        switch (m_flow->intent()) {
        case AddActionFlow::Intent::appSwitch:
            m_step = appSwitchStep();
            break;
        case AddActionFlow::Intent::appControl:
            m_step = appControlStep();
            break;
        case AddActionFlow::Intent::shortcut:
            m_step = shortcutStep();
            break;
        case AddActionFlow::Intent::command:
            m_step = commandStep();
            break;
        case AddActionFlow::Intent::value:
            m_step = valueStep();
            break;
        }
        break;
    default:
        m_step = reviewStep();
        break;
    }
    m_stepLayout->addWidget(m_step);
    // Typing goes to the new step at once, not to a footer button that took the focus when the
    // old step went (where a space would press it, closing the sheet from Cancel).
    if (m_firstField)
        m_firstField->setFocus(Qt::OtherFocusReason);
}

QWidget *AddActionSheet::stepTitle(const QString &text, QWidget *parent) const
{
    auto *title = new PlainLabel(text, TextStyle::title, StatusTone::none, parent);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setObjectName(QStringLiteral("stepTitle"));
    return title;
}

void AddActionSheet::takeReturn(QWidget *picker)
{
    if (auto *catalog = qobject_cast<CatalogPicker *>(picker))
        catalog->searchField()->installEventFilter(this);
}

bool AddActionSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    // The search field takes Return itself: after a search it picks the list's current row, the
    // one Tab and Down reach. Left alone, the field would pass Return on and the dialog would also
    // press Continue.
    for (QWidget *parent = qobject_cast<QWidget *>(watched); parent;
         parent = parent->parentWidget()) {
        if (auto *picker = qobject_cast<CatalogPicker *>(parent)) {
            PickerRow *current = picker->currentRow();
            if (!picker->searchField()->text().isEmpty() && current)
                current->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace Quorvel
