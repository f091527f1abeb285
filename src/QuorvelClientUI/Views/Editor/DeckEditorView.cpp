#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"

#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/DeckIdeas.h"
#include "QuorvelClientUI/Views/Editor/AddActionPresenter.h"
#include "QuorvelClientUI/Views/Editor/Banner.h"
#include "QuorvelClientUI/Views/Editor/ChromeIcon.h"
#include "QuorvelClientUI/Views/Editor/ControlBadge.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/DeckTitleButton.h"
#include "QuorvelClientUI/Views/Editor/EditorScreenText.h"
#include "QuorvelClientUI/Views/Editor/JSONEditor.h"
#include "QuorvelClientUI/Views/Editor/LiveStates.h"
#include "Widgets/LineField.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/ProminentButton.h"
#include "Widgets/SymbolIcons.h"
#include "Widgets/SymbolLabel.h"
#include "Widgets/TabChain.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int headerSpacing = 12;
constexpr int footerSpacing = 10;
constexpr int barHorizontal = 20;
constexpr int barVertical = 12;
constexpr int contentSpacing = 12;
constexpr int contentHorizontal = 28;
constexpr int contentVertical = 20;
constexpr int contentMaxWidth = 860;
constexpr int bannerPadding = 14;
constexpr int hostChangedPadding = 12;
constexpr int bannerTextSpacing = 6;
// Tints of the banners: the secondary colour at 10%, yellow at 15%.
constexpr qreal quietTint = 0.10;
constexpr qreal changedTint = 0.15;
constexpr int emptySpacing = 22;
constexpr int emptyVertical = 30;
constexpr int introSpacing = 10;
constexpr int introIconSide = 30;
constexpr int introIconFrame = 60;
constexpr int introTextWidth = 440;
constexpr int ideasSpacing = 8;
constexpr int ideasWidth = 520;
constexpr int ideaSpacing = 12;
constexpr int ideaBadgeSize = 30;
constexpr int symbolSide = 16;
constexpr int messageLines = 2;

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

DeckEditorView::DeckEditorView(DeckEditorModel &model, LiveStates &live, QWidget *parent)
    : QWidget(parent), m_model(model), m_live(live)
{
    setObjectName(QStringLiteral("deckEditor"));
    setMinimumSize(minimumWidth, minimumHeight);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(makeHeader());
    outer->addWidget(divider(this));
    new AddActionPresenter(m_model, this);

    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    // Tab goes from the header straight to the first card's controls: the view around the cards
    // shows no focus of its own, so it takes none, and scrolls to whichever control has it.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto *page = new QWidget;
    auto *pageLayout = new QHBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    auto *content = new QWidget(page);
    content->setMaximumWidth(contentMaxWidth);
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(contentHorizontal, contentVertical, contentHorizontal,
                                      contentVertical);
    contentLayout->setSpacing(contentSpacing);
    makeBanners(contentLayout);
    m_empty = makeEmptyView();
    contentLayout->addWidget(m_empty);
    m_cardsBox = new QWidget(content);
    m_cardsLayout = new QVBoxLayout(m_cardsBox);
    m_cardsLayout->setContentsMargins(0, 0, 0, 0);
    m_cardsLayout->setSpacing(contentSpacing);
    contentLayout->addWidget(m_cardsBox);
    contentLayout->addStretch(1);
    pageLayout->addWidget(content, 1);
    scroll->setWidget(page);
    outer->addWidget(scroll, 1);
    connect(qApp, &QApplication::focusChanged, scroll, [scroll, page](QWidget *, QWidget *now) {
        if (now && page->isAncestorOf(now))
            scroll->ensureWidgetVisible(now);
    });

    outer->addWidget(divider(this));
    outer->addWidget(makeFooter());

    connect(&m_model, &DeckEditorModel::rowsChanged, this, &DeckEditorView::syncRows);
    connect(&m_model, &DeckEditorModel::changed, this, &DeckEditorView::refresh);
    DeckEditorClient &client = m_model.client();
    for (auto signal : {&DeckEditorClient::catalogChanged, &DeckEditorClient::hostInfoChanged,
                        &DeckEditorClient::statusChanged}) {
        connect(&client, signal, this, [this] {
            for (ControlCard *card : std::as_const(m_cards))
                card->hostChanged();
            refresh();
        });
    }
    syncRows();
    refresh();
}

QWidget *DeckEditorView::makeHeader()
{
    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("editorHeader"));
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(barHorizontal, barVertical, barHorizontal, barVertical);
    row->setSpacing(headerSpacing);
    auto *titleBlock = new QVBoxLayout;
    titleBlock->setSpacing(1);
    m_titleStack = new QStackedWidget(header);
    m_titleButton = new DeckTitleButton(header);
    m_titleButton->setObjectName(QStringLiteral("titleButton"));
    connect(m_titleButton, &QPushButton::clicked, this, &DeckEditorView::beginEditingName);
    m_titleField = new LineField(header);
    m_titleField->setFrame(false);
    m_titleField->setPlaceholderText(tr("Title"));
    m_titleField->setObjectName(QStringLiteral("titleField"));
    applyTextStyle(m_titleField, TextStyle::title);
    connect(m_titleField, &QLineEdit::textEdited, &m_model, &DeckEditorModel::setDeckName);
    connect(m_titleField, &QLineEdit::returnPressed, this, &DeckEditorView::endEditingName);
    connect(m_titleField, &QLineEdit::editingFinished, this, &DeckEditorView::endEditingName);
    m_titleStack->addWidget(m_titleButton);
    m_titleStack->addWidget(m_titleField);
    m_titleStack->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    titleBlock->addWidget(m_titleStack, 0, Qt::AlignLeft);
    m_subtitle = new PlainLabel(QString(), TextStyle::caption, StatusTone::secondary, header);
    m_subtitle->setObjectName(QStringLiteral("subtitle"));
    titleBlock->addWidget(m_subtitle);
    row->addLayout(titleBlock);
    row->addStretch(1);

    m_add = new ProminentButton(chromeIcon(QStringLiteral("plus")), tr("Add Action"), header);
    m_add->setObjectName(QStringLiteral("addAction"));
    m_add->setAutoDefault(false);
    connect(m_add, &QPushButton::clicked, this, [this] { m_model.startAdding(); });
    row->addWidget(m_add);

    m_moreButton = new QToolButton(header);
    m_moreButton->setObjectName(QStringLiteral("editorMore"));
    m_moreButton->setIcon(SymbolIcons::icon(QStringLiteral("ellipsis.circle")));
    m_moreButton->setAccessibleName(tr("More"));
    m_moreButton->setAutoRaise(true);
    m_more = new QMenu(m_moreButton);
    connect(m_moreButton, &QToolButton::clicked, this, [this] {
        m_more->popup(m_moreButton->mapToGlobal(QPoint(0, m_moreButton->height())));
    });
    m_jsonAction = m_more->addAction(tr("Edit All Actions as JSON\u2026"), &m_model,
                                     &DeckEditorModel::beginDeckJSON);
    m_reloadAction = m_more->addAction(QString(), &m_model, &DeckEditorModel::reloadFromHost);
    m_refreshAction = m_more->addAction(QString(), &m_model, &DeckEditorModel::requestCatalog);
    row->addWidget(m_moreButton);
    return header;
}

void DeckEditorView::makeBanners(QVBoxLayout *content)
{
    m_editingOff = new Banner(StatusTone::secondary, quietTint, this);
    m_editingOff->setObjectName(QStringLiteral("editingOffBanner"));
    auto *offRow = new QHBoxLayout(m_editingOff);
    offRow->setContentsMargins(bannerPadding, bannerPadding, bannerPadding, bannerPadding);
    offRow->setSpacing(headerSpacing);
    auto *lock = new QLabel(m_editingOff);
    lock->setPixmap(SymbolIcons::pixmap(QStringLiteral("lock.fill"), symbolSide));
    offRow->addWidget(lock, 0, Qt::AlignTop);
    auto *offText = new QVBoxLayout;
    offText->setSpacing(bannerTextSpacing);
    m_editingOffTitle =
        new PlainLabel(QString(), TextStyle::callout, StatusTone::none, m_editingOff);
    QFont semibold = m_editingOffTitle->font();
    semibold.setWeight(QFont::DemiBold);
    m_editingOffTitle->setFont(semibold);
    m_editingOffText =
        new PlainLabel(QString(), TextStyle::callout, StatusTone::secondary, m_editingOff);
    m_editingOffText->setWrapping();
    m_copyCommand = new QPushButton(m_editingOff);
    m_copyCommand->setFlat(true);
    m_copyCommand->setCursor(Qt::PointingHandCursor);
    m_copyCommand->setForegroundRole(QPalette::Link);
    m_copyCommand->setObjectName(QStringLiteral("copyCommand"));
    connect(m_copyCommand, &QPushButton::clicked, this, &DeckEditorView::copyEditingCommand);
    offText->addWidget(m_editingOffTitle);
    offText->addWidget(m_editingOffText);
    offText->addWidget(m_copyCommand, 0, Qt::AlignLeft);
    offRow->addLayout(offText, 1);
    content->addWidget(m_editingOff);

    m_notConnected = new Banner(StatusTone::secondary, quietTint, this);
    m_notConnected->setObjectName(QStringLiteral("notConnectedBanner"));
    auto *notRow = new QHBoxLayout(m_notConnected);
    notRow->setContentsMargins(bannerPadding, bannerPadding, bannerPadding, bannerPadding);
    notRow->setSpacing(footerSpacing);
    m_notConnectedText = new SymbolLabel(QStringLiteral("wifi.slash"), QString(),
                                         TextStyle::callout, StatusTone::none, m_notConnected);
    m_notConnectedText->textLabel()->setWrapping();
    notRow->addWidget(m_notConnectedText, 1);
    m_retry = new QPushButton(tr("Try Again"), m_notConnected);
    m_retry->setObjectName(QStringLiteral("retryPairing"));
    m_retry->setAutoDefault(false);
    connect(m_retry, &QPushButton::clicked, this, [this] {
        if (m_onRetry)
            m_onRetry();
    });
    notRow->addWidget(m_retry, 0, Qt::AlignTop);
    content->addWidget(m_notConnected);

    m_hostChanged = new Banner(StatusTone::yellow, changedTint, this);
    m_hostChanged->setObjectName(QStringLiteral("hostChangedBanner"));
    auto *changedRow = new QHBoxLayout(m_hostChanged);
    changedRow->setContentsMargins(hostChangedPadding, hostChangedPadding, hostChangedPadding,
                                   hostChangedPadding);
    changedRow->setSpacing(footerSpacing);
    m_hostChangedText = new SymbolLabel(QStringLiteral("arrow.triangle.2.circlepath"), QString(),
                                        TextStyle::callout, StatusTone::none, m_hostChanged);
    m_hostChangedText->textLabel()->setWrapping();
    changedRow->addWidget(m_hostChangedText, 1);
    auto *theirs = new QPushButton(tr("Load Theirs"), m_hostChanged);
    theirs->setObjectName(QStringLiteral("loadTheirs"));
    auto *mine = new QPushButton(tr("Keep Mine"), m_hostChanged);
    mine->setObjectName(QStringLiteral("keepMine"));
    theirs->setAutoDefault(false);
    mine->setAutoDefault(false);
    connect(theirs, &QPushButton::clicked, &m_model, &DeckEditorModel::reloadFromHost);
    connect(mine, &QPushButton::clicked, &m_model, &DeckEditorModel::keepMine);
    changedRow->addWidget(theirs);
    changedRow->addWidget(mine);
    content->addWidget(m_hostChanged);
}

QWidget *DeckEditorView::makeEmptyView()
{
    auto *empty = new QWidget(this);
    empty->setObjectName(QStringLiteral("emptyDeck"));
    auto *layout = new QVBoxLayout(empty);
    layout->setContentsMargins(0, emptyVertical, 0, emptyVertical);
    layout->setSpacing(emptySpacing);
    auto *intro = new QVBoxLayout;
    intro->setSpacing(introSpacing);
    auto *icon = new Banner(StatusTone::secondary, quietTint, empty);
    icon->setFixedSize(introIconFrame, introIconFrame);
    auto *iconLayout = new QVBoxLayout(icon);
    auto *iconLabel = new QLabel(icon);
    iconLabel->setPixmap(SymbolIcons::pixmap(QStringLiteral("square.grid.2x2"), introIconSide));
    iconLayout->addWidget(iconLabel, 0, Qt::AlignCenter);
    intro->addWidget(icon, 0, Qt::AlignHCenter);
    m_emptyTitle = new PlainLabel(QString(), TextStyle::title, StatusTone::none, empty);
    m_emptyTitle->setAlignment(Qt::AlignHCenter);
    intro->addWidget(m_emptyTitle, 0, Qt::AlignHCenter);
    auto *text = new PlainLabel(tr("Actions are the buttons, switches, and readouts that show up "
                                   "on your devices. Start with one of these, or build your own."),
                                TextStyle::body, StatusTone::secondary, empty);
    text->setWrapping();
    text->setAlignment(Qt::AlignHCenter);
    // A fixed text in a centred column: its lines are known once, at its one width.
    text->setFixedWidth(introTextWidth);
    text->setMinimumHeight(text->heightForWidth(introTextWidth));
    intro->addWidget(text, 0, Qt::AlignHCenter);
    m_emptyAdd = new ProminentButton(tr("Add Action"), empty);
    m_emptyAdd->setAutoDefault(false);
    connect(m_emptyAdd, &QPushButton::clicked, this, [this] { m_model.startAdding(); });
    intro->addWidget(m_emptyAdd, 0, Qt::AlignHCenter);
    layout->addLayout(intro);

    m_ideas = new QWidget(empty);
    m_ideas->setFixedWidth(ideasWidth);
    auto *ideasLayout = new QVBoxLayout(m_ideas);
    ideasLayout->setContentsMargins(0, 0, 0, 0);
    ideasLayout->setSpacing(ideasSpacing);
    m_ideasCaption = new PlainLabel(QString(), TextStyle::caption, StatusTone::secondary, m_ideas);
    ideasLayout->addWidget(m_ideasCaption);
    auto *card = new QFrame(m_ideas);
    card->setFrameShape(QFrame::StyledPanel);
    card->setBackgroundRole(QPalette::Base);
    card->setAutoFillBackground(true);
    m_ideasList = new QVBoxLayout(card);
    m_ideasList->setContentsMargins(0, 0, 0, 0);
    m_ideasList->setSpacing(0);
    ideasLayout->addWidget(card);
    layout->addWidget(m_ideas, 0, Qt::AlignHCenter);
    return empty;
}

QWidget *DeckEditorView::makeFooter()
{
    auto *footer = new QWidget(this);
    auto *row = new QHBoxLayout(footer);
    row->setContentsMargins(barHorizontal, barVertical, barHorizontal, barVertical);
    row->setSpacing(footerSpacing);
    m_message =
        new SymbolLabel(QString(), QString(), TextStyle::callout, StatusTone::green, footer);
    m_message->setObjectName(QStringLiteral("saveMessage"));
    m_message->textLabel()->setWrapping(messageLines);
    m_summary = new PlainLabel(QString(), TextStyle::callout, StatusTone::secondary, footer);
    m_summary->setObjectName(QStringLiteral("summary"));
    row->addWidget(m_message, 1);
    row->addWidget(m_summary, 1);
    m_discard = new QPushButton(tr("Discard"), footer);
    m_discard->setAutoDefault(false);
    connect(m_discard, &QPushButton::clicked, &m_model, &DeckEditorModel::discardChanges);
    row->addWidget(m_discard);
    m_save = new ProminentButton(QString(), footer);
    m_save->setObjectName(QStringLiteral("save"));
    m_save->setAutoDefault(false);
    row->addWidget(m_save);
    m_saveAction = new QAction(this);
    m_saveAction->setShortcut(QKeySequence::Save);
    m_saveAction->setShortcutContext(Qt::WindowShortcut);
    addAction(m_saveAction);
    const auto save = [this] {
        if (m_model.canSave())
            m_model.save();
    };
    connect(m_saveAction, &QAction::triggered, this, save);
    connect(m_save, &QPushButton::clicked, this, save);
    return footer;
}

bool DeckEditorView::editable() const
{
    return m_model.client().canEditDeck();
}

QString DeckEditorView::titleText() const
{
    return m_titleButton->title();
}

QString DeckEditorView::notConnectedText() const
{
    return m_notConnectedText->text();
}

void DeckEditorView::offerPairingRetry(std::function<void()> retry)
{
    m_onRetry = std::move(retry);
    refresh();
}

QString DeckEditorView::subtitleText() const
{
    return m_subtitle->text();
}

QString DeckEditorView::footerText() const
{
    return m_message->isVisibleTo(this) ? m_message->text() : m_summary->text();
}

QList<ControlCard *> DeckEditorView::cards() const
{
    QList<ControlCard *> ordered;
    for (int i = 0; i < m_cardsLayout->count(); ++i) {
        if (auto *card = qobject_cast<ControlCard *>(m_cardsLayout->itemAt(i)->widget()))
            ordered.append(card);
    }
    return ordered;
}

bool DeckEditorView::isShowingEmptyDeck() const
{
    return m_empty->isVisibleTo(this);
}

QList<QPushButton *> DeckEditorView::ideaButtons() const
{
    return m_ideas->findChildren<QPushButton *>(QStringLiteral("addIdea"));
}

void DeckEditorView::beginEditingName()
{
    if (!editable())
        return;
    m_titleField->setText(m_model.deckName());
    m_titleStack->setCurrentWidget(m_titleField);
    m_titleField->setFocus();
}

void DeckEditorView::endEditingName()
{
    if (m_titleStack->currentWidget() != m_titleField)
        return;
    m_titleStack->setCurrentWidget(m_titleButton);
    refresh();
}

void DeckEditorView::copyEditingCommand()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(EditorScreenText::editingCommand());
}

void DeckEditorView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Cards, chips and suggestions are made after the footer, again as rows come, move and
    // change kind: Tab reads the window by its layouts, each card's parts together.
    TabChain::keep(window());
    m_model.appear();
}

void DeckEditorView::refresh()
{
    const DeckEditorClient &client = m_model.client();
    const QString host = client.hostName();
    const bool canEdit = editable();
    const ClientConnectionStatus status = client.status();
    const bool connected = status.kind() == ClientConnectionStatus::Kind::connected;

    const QString name = m_model.deckName();
    m_titleButton->setTitle(name.isEmpty() ? tr("Untitled") : name, canEdit);
    m_titleButton->setToolTip(canEdit ? tr("Change the title your devices show") : QString());
    if (m_titleStack->currentWidget() == m_titleField && !m_titleField->hasFocus() &&
        m_titleField->text() != name)
        m_titleField->setText(name);
    m_subtitle->setText(
        EditorScreenText::subtitle(status, host, int(m_model.items().size()), canEdit));
    m_add->setEnabled(canEdit);
    m_jsonAction->setEnabled(canEdit);
    m_reloadAction->setText(tr("Reload from %1").arg(host));
    m_refreshAction->setText(tr("Refresh %1's Apps and Shortcuts").arg(host));
    m_refreshAction->setEnabled(canEdit);

    const std::optional<HostInfo> info = client.hostInfo();
    m_editingOff->setVisible(connected && info && !info->deckEditingAllowed);
    m_editingOffTitle->setText(tr("Editing is turned off on %1").arg(host));
    m_editingOffText->setText(
        tr("You can see how each action works, but changes can't be saved. To edit from this "
           "computer, open Quorvel on %1 and turn on \u201CAllow editing actions from other "
           "devices\u201D.")
            .arg(host));
    m_copyCommand->setText(tr("Copy the Command to Run in a Terminal on %1").arg(host));
    m_notConnected->setVisible(!connected);
    const bool pairing = status.kind() == ClientConnectionStatus::Kind::needsPairing;
    m_notConnectedText->set(
        QStringLiteral("wifi.slash"),
        pairing && status.reason()
            ? tr("Not connected to %1. %2")
                  .arg(status.host() ? status.host()->name : host, *status.reason())
            : tr("Not connected to a host. Changes can't be tried or saved until it's back."),
        StatusTone::none);
    m_retry->setVisible(pairing && m_onRetry);
    m_hostChanged->setVisible(m_model.hostChangedWhileEditing());
    m_hostChangedText->set(QStringLiteral("arrow.triangle.2.circlepath"),
                           tr("The actions changed on %1 while you were editing.").arg(host),
                           StatusTone::none);

    refreshEmptyView();
    refreshCards();

    const auto &message = m_model.saveMessage();
    m_message->setVisible(message.has_value());
    m_summary->setVisible(!message);
    if (message)
        m_message->set(message->ok ? QStringLiteral("checkmark.circle.fill")
                                   : QStringLiteral("xmark.octagon.fill"),
                       message->text, message->ok ? StatusTone::green : StatusTone::red);
    else
        m_summary->setText(EditorScreenText::summary(
            m_model.unsavedChangeCount(), m_model.problemCount(), m_model.deckNameProblems(), host,
            m_model.hostChangedWhileEditing()));
    m_discard->setEnabled(m_model.unsavedChangeCount() > 0 && !m_model.saving());
    m_save->setText(EditorScreenText::saveLabel(m_model.saving(), host));
    m_save->setEnabled(m_model.canSave());
    m_saveAction->setEnabled(m_model.canSave());
    refreshSheet();
}

void DeckEditorView::refreshEmptyView()
{
    const bool empty = m_model.items().isEmpty();
    m_empty->setVisible(empty);
    m_cardsBox->setVisible(!empty);
    if (!empty)
        return;
    const DeckEditorClient &client = m_model.client();
    const QString host = client.hostName();
    m_emptyTitle->setText(tr("%1 doesn't have any actions yet").arg(host));
    m_emptyAdd->setEnabled(editable());
    while (QLayoutItem *item = m_ideasList->takeAt(0)) {
        if (QWidget *widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
    const std::vector<DeckIdeas::Idea> ideas = DeckIdeas::ideas(client.catalog(), {});
    m_ideas->setVisible(!ideas.empty());
    m_ideasCaption->setText(tr("Suggested from what's on %1").arg(host));
    for (size_t i = 0; i < ideas.size(); ++i) {
        const DeckIdeas::Idea &idea = ideas.at(i);
        auto *row = new QWidget;
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(ideaSpacing, ideaSpacing, ideaSpacing, ideaSpacing);
        layout->setSpacing(ideaSpacing);
        layout->addWidget(
            new ControlBadge(idea.control.icon, idea.control.type, ideaBadgeSize, row));
        auto *label = new PlainLabel(idea.label, TextStyle::body, StatusTone::none, row);
        QFont medium = label->font();
        medium.setWeight(QFont::Medium);
        label->setFont(medium);
        layout->addWidget(label, 1);
        auto *add = new QPushButton(tr("Add"), row);
        add->setObjectName(QStringLiteral("addIdea"));
        add->setAutoDefault(false);
        add->setEnabled(editable());
        const Control preset = idea.control;
        connect(add, &QPushButton::clicked, this, [this, preset] { m_model.startAdding(preset); });
        layout->addWidget(add);
        m_ideasList->addWidget(row);
        if (i + 1 < ideas.size())
            m_ideasList->addWidget(divider(m_ideas));
    }
}

void DeckEditorView::syncRows()
{
    const QList<EditableControl> &rows = m_model.items();
    QSet<QUuid> present;
    for (const EditableControl &row : rows)
        present.insert(row.id);
    for (auto it = m_cards.begin(); it != m_cards.end();) {
        if (present.contains(it.key())) {
            ++it;
            continue;
        }
        // The card may be the one whose menu removed it: it goes once that menu has returned.
        ControlCard *gone = it.value();
        m_cardsLayout->removeWidget(gone);
        gone->hide();
        gone->deleteLater();
        it = m_cards.erase(it);
    }
    bool sameOrder = m_cardsLayout->count() == rows.size();
    for (int i = 0; sameOrder && i < rows.size(); ++i)
        sameOrder = m_cardsLayout->itemAt(i)->widget() == m_cards.value(rows.at(i).id);
    if (!sameOrder) {
        while (m_cardsLayout->count() > 0)
            delete m_cardsLayout->takeAt(0);
        for (const EditableControl &row : rows) {
            ControlCard *card = m_cards.value(row.id);
            if (!card) {
                card = new ControlCard(m_model, m_live, row.id, m_cardsBox);
                m_cards.insert(row.id, card);
            }
            m_cardsLayout->addWidget(card);
        }
        // A card moved comes into no window, so the window's chain would keep its old place.
        if (isVisible())
            TabChain::followLayouts(window());
    }
    refresh();
}

void DeckEditorView::refreshCards()
{
    const QList<EditableControl> &rows = m_model.items();
    const bool canEdit = editable();
    const qsizetype count = rows.size();
    for (qsizetype i = 0; i < count; ++i) {
        const EditableControl &row = rows.at(i);
        ControlCard *card = m_cards.value(row.id);
        if (!card)
            continue;
        card->setInputs(ControlCard::Inputs{row, m_model.actionProblems(row.control), canEdit,
                                            i > 0, i < count - 1});
    }
}

void DeckEditorView::refreshSheet()
{
    if (!m_model.showDeckJSON() || m_deckSheet)
        return;
    auto *sheet = new JSONEditor(tr("Edit all actions as JSON"), this);
    sheet->setObjectName(QStringLiteral("deckJSONSheet"));
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setText(m_model.deckJSONText());
    sheet->setApply([this, sheet] {
        const std::optional<QString> error = m_model.applyDeckJSON(sheet->text());
        sheet->setError(error);
        if (!error)
            sheet->accept();
    });
    connect(sheet, &JSONEditor::rejected, &m_model, &DeckEditorModel::cancelDeckJSON);
    m_deckSheet = sheet;
    sheet->open();
}

} // namespace Quorvel
