#include "QuorvelClientUI/Views/Editor/ControlCard.h"

#include "QuorvelClientUI/ActionLink.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Views/Editor/AdvancedSection.h"
#include "QuorvelClientUI/Views/Editor/CardStateLine.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/ChipPopovers.h"
#include "QuorvelClientUI/Views/Editor/ControlBadge.h"
#include "QuorvelClientUI/Views/Editor/ControlJSONSheet.h"
#include "QuorvelClientUI/Views/Editor/FlowLayout.h"
#include "QuorvelClientUI/Views/Editor/JSONEditor.h"
#include "QuorvelClientUI/Views/Editor/LiveStates.h"
#include "QuorvelClientUI/Views/Editor/Popover.h"
#include "QuorvelClientUI/Views/Editor/RenamePopover.h"
#include "QuorvelClientUI/Views/Editor/TestResultLabel.h"
#include "QuorvelClientUI/Views/Editor/Words.h"
#include "Widgets/ElidedLabel.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolIcons.h"
#include "Widgets/SymbolLabel.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int badgeSize = 40;
constexpr int partSpacing = 14;
constexpr int verticalPadding = 14;
constexpr int horizontalPadding = 16;
constexpr int columnSpacing = 6;
constexpr int titleSpacing = 10;
constexpr int trailingSpacing = 2;
constexpr int sentenceSpacing = 4;
constexpr int sentenceLineSpacing = 7;
constexpr int advancedGap = 6;
constexpr qreal cornerRadius = 14;
// Problem look: orange at 5% inside, 55% on the border; otherwise the secondary colour at 25%.
constexpr qreal problemFillAlpha = 0.05;
constexpr qreal problemBorderAlpha = 0.55;
constexpr qreal borderAlpha = 0.25;
constexpr int trySymbolSide = 16;

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

// The sentence's box. Its flow layout wraps to its width, but it tells the boxes around it only a
// minimum height, set whenever its width changes: a column of many cards asking every sentence
// for its height at each width on every pass is what makes a large deck slow to show.
class SentenceBox : public QWidget {
public:
    using QWidget::QWidget;
    bool hasHeightForWidth() const override { return false; }
};

} // namespace

ControlCard::ControlCard(DeckEditorModel &model, LiveStates &live, const QUuid &rowID,
                         QWidget *parent)
    : QFrame(parent), m_model(model), m_live(live), m_rowID(rowID),
      m_badgeButton(new QToolButton(this)), m_badge(nullptr),
      m_title(new ElidedLabel(QString(), TextStyle::title, StatusTone::none, Qt::ElideRight, this)),
      m_state(new PlainLabel(QString(), TextStyle::caption, StatusTone::secondary, this)),
      m_sentence(new SentenceBox(this)),
      m_sentenceLayout(new FlowLayout(sentenceSpacing, sentenceLineSpacing, m_sentence)),
      m_problemsLayout(nullptr), m_problems(new QWidget(this)), m_result(nullptr),
      m_advanced(nullptr), m_try(new QToolButton(this)), m_tryMenu(nullptr),
      m_moreButton(new QToolButton(this)), m_more(nullptr)
{
    setObjectName(QStringLiteral("controlCard"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(horizontalPadding, verticalPadding, horizontalPadding, verticalPadding);
    row->setSpacing(partSpacing);

    m_badgeButton->setAutoRaise(true);
    m_badgeButton->setFixedSize(badgeSize, badgeSize);
    m_badgeButton->setAccessibleName(tr("Rename and change icon"));
    m_badge = new ControlBadge(std::nullopt, ControlType::button, badgeSize, m_badgeButton);
    connect(m_badgeButton, &QToolButton::clicked, this, &ControlCard::showRename);
    row->addWidget(m_badgeButton, 0, Qt::AlignTop);

    auto *column = new QVBoxLayout;
    m_column = column;
    column->setSpacing(columnSpacing);
    auto *titleRow = new QHBoxLayout;
    titleRow->setSpacing(titleSpacing);
    m_title->setObjectName(QStringLiteral("title"));
    // As wide as the title up to the card's width, cut short beyond it: a long title never
    // widens the card past the window.
    m_title->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_state->setObjectName(QStringLiteral("state"));
    titleRow->addWidget(m_title);
    titleRow->addWidget(m_state);
    titleRow->addStretch(1);
    column->addLayout(titleRow);
    m_sentence->setObjectName(QStringLiteral("sentence"));
    applyTextStyle(m_sentence, TextStyle::large);
    m_sentence->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    column->addWidget(m_sentence);
    m_problemsLayout = new QVBoxLayout(m_problems);
    m_problemsLayout->setContentsMargins(0, 0, 0, 0);
    m_problemsLayout->setSpacing(columnSpacing);
    m_problems->hide();
    column->addWidget(m_problems);
    row->addLayout(column, 1);

    auto *trailing = new QHBoxLayout;
    trailing->setSpacing(trailingSpacing);
    m_try->setAutoRaise(true);
    m_try->setObjectName(QStringLiteral("try"));
    m_try->setIconSize(QSize(trySymbolSide, trySymbolSide));
    connect(m_try, &QToolButton::clicked, this, [this] {
        if (control().type == ControlType::button)
            tryIt(Try::action);
        else if (control().type == ControlType::metric)
            tryIt(Try::check);
        else
            tryMenu()->popup(m_try->mapToGlobal(QPoint(0, m_try->height())));
    });
    trailing->addWidget(m_try);
    m_moreButton->setAutoRaise(true);
    m_moreButton->setObjectName(QStringLiteral("more"));
    m_moreButton->setIcon(SymbolIcons::icon(QStringLiteral("ellipsis")));
    // The menus open from plain buttons: a tool button's own menu draws an indicator arrow.
    connect(m_moreButton, &QToolButton::clicked, this, [this] {
        moreMenu()->popup(m_moreButton->mapToGlobal(QPoint(0, m_moreButton->height())));
    });
    trailing->addWidget(m_moreButton);
    row->addLayout(trailing);
    row->setAlignment(trailing, Qt::AlignVCenter);

    m_sentence->installEventFilter(this);
    connect(&m_live, &LiveStates::stateChanged, this, [this](const QString &id) {
        if (id.isEmpty() || id == control().id)
            refreshHeader();
    });
}

bool ControlCard::eventFilter(QObject *watched, QEvent *event)
{
    // Measured again whenever its pieces change, not only its width: a rebuilt sentence's new
    // pieces show only after the rebuild (the flow counts hidden pieces as nothing), and their
    // showing asks the layout again.
    if (watched == m_sentence &&
        (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
        fitSentence();
    return QFrame::eventFilter(watched, event);
}

void ControlCard::fitSentence()
{
    const int height = m_sentenceLayout->heightForWidth(m_sentence->width());
    if (m_sentence->minimumHeight() != height)
        m_sentence->setMinimumHeight(height);
}

void ControlCard::setInputs(const Inputs &inputs)
{
    if (m_shown && inputs == m_inputs)
        return;
    const bool first = !m_shown;
    const bool controlChanged = first || inputs.row.control != m_inputs.row.control;
    const bool editableChanged = first || inputs.editable != m_inputs.editable;
    const bool problemsChanged = first || inputs.problems != m_inputs.problems;
    m_inputs = inputs;
    m_shown = true;
    refreshHeader();
    if (controlChanged || editableChanged)
        rebuildSentence();
    if (problemsChanged) {
        rebuildProblems();
        update();
    }
    if (controlChanged && m_showAdvanced)
        m_advanced->showControl(control());
    m_badgeButton->setToolTip(inputs.editable ? tr("Rename and change icon") : QString());
    m_moreButton->setEnabled(inputs.editable);
    m_moreButton->setAccessibleName(tr("More for %1").arg(control().title));
    refreshTryControl();
}

void ControlCard::hostChanged()
{
    rebuildSentence();
    refreshHeader();
    refreshTryControl();
}

QString ControlCard::titleText() const
{
    return m_title->text();
}

QString ControlCard::stateText() const
{
    return m_state->text();
}

QList<Chip *> ControlCard::chips() const
{
    return m_sentence->findChildren<Chip *>(Qt::FindDirectChildrenOnly);
}

QStringList ControlCard::sentenceTexts() const
{
    QStringList texts;
    for (const ActionSentence::Piece &piece : m_pieces)
        texts.append(piece.text);
    return texts;
}

void ControlCard::refreshHeader()
{
    m_badge->set(control().icon, control().type);
    const bool untitled = control().title.isEmpty();
    m_title->setText(untitled ? tr("Untitled") : control().title);
    applyTone(m_title, untitled ? StatusTone::secondary : StatusTone::none);
    m_state->setText(CardStateLine::text(m_inputs.row, m_live.state(control().id)));
}

void ControlCard::rebuildSentence()
{
    const DeckEditorClient &client = m_model.client();
    const QList<ActionSentence::Piece> pieces =
        ActionSentence::pieces(control(), client.catalog(), client.hostInfo());
    const QList<Chip *> shown = chips();
    const bool sameChips = std::all_of(shown.cbegin(), shown.cend(), [this](const Chip *chip) {
        return chip->isEditable() == m_inputs.editable;
    });
    // The leading pieces of the same shape are kept, their chips given the new words in place,
    // so that an open popover stays open: the type's chip leads every sentence, and its choice
    // changes only what follows it.
    qsizetype kept = 0;
    int keptItems = 0;
    if (sameChips) {
        qsizetype chipIndex = 0;
        while (kept < pieces.size() && kept < m_pieces.size()) {
            const ActionSentence::Piece &now = pieces.at(kept);
            const ActionSentence::Piece &before = m_pieces.at(kept);
            if (now.part != before.part || (!now.part && now.text != before.text))
                break;
            if (now.part)
                shown.at(chipIndex++)->setLabel(now.text, now.warning);
            keptItems += now.part ? 1 : int(Words::split(now.text).size());
            ++kept;
        }
    }
    m_sentenceLayout->truncate(keptItems);
    for (const ActionSentence::Piece &piece : pieces.sliced(kept)) {
        if (!piece.part) {
            Words::addTo(m_sentenceLayout, piece.text, m_sentence);
            continue;
        }
        auto *chip = new Chip(piece.text, m_inputs.editable, piece.warning, m_sentence);
        const QPointer<ControlCard> card(this);
        ChipPopovers::attach(chip, *piece.part,
                             {[card] { return card ? card->control() : Control(); },
                              [card](const Control &changed) {
                                  if (card)
                                      card->edit(changed);
                              }},
                             m_model.client());
        m_sentenceLayout->addWidget(chip, false);
    }
    m_pieces = pieces;
    fitSentence();
}

void ControlCard::rebuildProblems()
{
    while (QLayoutItem *item = m_problemsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const QString &problem : m_inputs.problems) {
        auto *label = new SymbolLabel(QStringLiteral("exclamationmark.triangle.fill"), problem,
                                      TextStyle::caption, StatusTone::orange, m_problems);
        label->setObjectName(QStringLiteral("problem"));
        label->textLabel()->setWrapping();
        m_problemsLayout->addWidget(label);
    }
    m_problems->setVisible(!m_inputs.problems.isEmpty());
}

void ControlCard::refreshTryControl()
{
    const DeckEditorClient &client = m_model.client();
    const QString host = client.hostName();
    const ControlType type = control().type;
    QString symbol = m_trying ? QStringLiteral("hourglass") : QStringLiteral("play.fill");
    QString help = tr("Try it on %1").arg(host);
    if (type == ControlType::metric) {
        symbol = QStringLiteral("arrow.clockwise");
        help = tr("Check the value now");
    }
    m_try->setIcon(SymbolIcons::icon(symbol));
    m_try->setProperty("symbol", symbol);
    m_try->setToolTip(Qt::convertFromPlainText(help)); // the host's name is outside text
    m_try->setAccessibleName(help);
    m_try->setEnabled(client.canEditDeck() && !m_trying);
}

QMenu *ControlCard::moreMenu()
{
    if (!m_more) {
        m_more = new QMenu(this);
        m_more->setToolTipsVisible(true);
        connect(m_more, &QMenu::aboutToShow, this, &ControlCard::buildMenu);
    }
    return m_more;
}

QMenu *ControlCard::tryMenu()
{
    if (!m_tryMenu) {
        m_tryMenu = new QMenu(this);
        m_tryMenu->addAction(tr("Try Turning On"), this, [this] { tryIt(Try::turnOn); });
        m_tryMenu->addAction(tr("Try Turning Off"), this, [this] { tryIt(Try::turnOff); });
        m_tryMenu->addAction(tr("Check Whether It's On"), this, [this] { tryIt(Try::check); });
    }
    return m_tryMenu;
}

void ControlCard::buildMenu()
{
    m_more->clear();
    m_more->addAction(tr("Rename and Change Icon\u2026"), this, &ControlCard::showRename);
    const QUuid rowID = m_rowID;
    DeckEditorModel *model = &m_model;
    m_more->addAction(tr("Duplicate"), this, [model, rowID] { model->duplicateItem(rowID); });
    const QList<ActionLink::Offer> links = ActionLink::links(control());
    if (m_live.offersLinks() && !links.isEmpty()) {
        QMenu *copy = m_more->addMenu(tr("Copy Link"));
        // The help belongs to the menu's item, where the pointer rests before the submenu opens.
        copy->menuAction()->setToolTip(
            tr("A link that runs this action, for launchers and other apps"));
        for (const ActionLink::Offer &offer : links) {
            copy->addAction(offer.title, this, [this, offer] {
                ActionLink link = offer.link;
                link.action = control().id;
                QGuiApplication::clipboard()->setText(link.url().toString(QUrl::FullyEncoded));
            });
        }
    }
    m_more->addSeparator();
    QAction *up =
        m_more->addAction(tr("Move Up"), this, [model, rowID] { model->moveItem(rowID, -1); });
    up->setEnabled(m_inputs.canMoveUp);
    QAction *down =
        m_more->addAction(tr("Move Down"), this, [model, rowID] { model->moveItem(rowID, 1); });
    down->setEnabled(m_inputs.canMoveDown);
    m_more->addSeparator();
    m_more->addAction(m_showAdvanced ? tr("Hide Advanced") : tr("Advanced\u2026"), this,
                      &ControlCard::toggleAdvanced);
    m_more->addAction(tr("Edit as JSON\u2026"), this, &ControlCard::showJSON);
    m_more->addSeparator();
    m_more->addAction(tr("Remove Action"), this, [model, rowID] { model->removeItem(rowID); });
}

void ControlCard::showRename()
{
    if (!m_inputs.editable || m_renamePopover)
        return;
    auto *content = new RenamePopover(control().title, control().icon.value_or(QString()));
    connect(content, &RenamePopover::titleEdited, this, [this](const QString &title) {
        Control changed = control();
        changed.title = title;
        edit(changed);
    });
    connect(content, &RenamePopover::iconPicked, this, [this](const QString &icon) {
        Control changed = control();
        changed.icon = icon;
        edit(changed);
    });
    m_renamePopover = new Popover(m_badgeButton, content);
    m_renamePopover->showBy(Popover::Side::trailing);
    content->nameField()->setFocus();
}

void ControlCard::toggleAdvanced()
{
    m_showAdvanced = !m_showAdvanced;
    if (!m_advanced) {
        // Made on first use: most cards never open it, and a large deck shows many cards.
        m_advanced = new AdvancedSection(this);
        m_column->addSpacing(advancedGap);
        m_column->addWidget(m_advanced);
        connect(m_advanced, &AdvancedSection::edited, this, &ControlCard::edit);
        connect(m_advanced, &AdvancedSection::editAsJSON, this, &ControlCard::showJSON);
    }
    if (m_showAdvanced)
        m_advanced->showControl(control());
    m_advanced->setVisible(m_showAdvanced);
}

void ControlCard::showJSON()
{
    if (m_jsonSheet)
        return;
    m_jsonSheet = ControlJSONSheet::open(m_model, m_rowID, control(), window());
}

void ControlCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette &pal = palette();
    const bool problem = hasProblemLook();
    const QColor orange = statusColor(StatusTone::orange, pal);
    const QColor fill = problem ? withAlpha(orange, problemFillAlpha) : pal.color(QPalette::Base);
    const QColor border = problem ? withAlpha(orange, problemBorderAlpha)
                                  : withAlpha(statusColor(StatusTone::secondary, pal), borderAlpha);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
    painter.fillPath(shape, fill);
    painter.setPen(QPen(border, 1));
    painter.drawPath(shape);
}

void ControlCard::edit(const Control &changed)
{
    m_model.setControl(m_rowID, changed);
}

void ControlCard::tryIt(Try what)
{
    DeckEditorClient &client = m_model.client();
    if (m_trying || !client.canEditDeck())
        return;
    m_trying = true;
    refreshTryControl();
    // The card is the request's context: an answer after the card is gone goes nowhere.
    const auto done = [this](const ClientTestOutcome &outcome) {
        m_trying = false;
        m_tryResult = outcome;
        if (!m_result) {
            m_result = new TestResultLabel(outcome, this);
            m_column->insertWidget(m_column->indexOf(m_problems) + 1, m_result);
        }
        m_result->setOutcome(outcome);
        m_result->show();
        refreshTryControl();
        emit tried();
    };
    const Control &current = control();
    switch (what) {
    case Try::action:
        client.test(current.action.value_or(ActionSentence::defaultAction()), this, done);
        break;
    case Try::turnOn:
        client.test(current.onAction.value_or(ActionSentence::defaultOnAction()), this, done);
        break;
    case Try::turnOff:
        client.test(current.offAction.value_or(ActionSentence::defaultOffAction()), this, done);
        break;
    case Try::check:
        client.check(current.statusCheck.value_or(ActionSentence::defaultStatusCheck()), this,
                     done);
        break;
    }
}

} // namespace Quorvel
