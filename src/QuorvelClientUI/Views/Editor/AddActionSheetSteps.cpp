// The add-action sheet's steps: what the action does, its details for each kind, and the review.

#include "QuorvelClientUI/Editor/ActionWording.h"
#include "QuorvelClientUI/Editor/ControlDescription.h"
#include "QuorvelClientUI/Editor/DeckEditorClient.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/AppControlPicker.h"
#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"
#include "QuorvelClientUI/Views/Editor/ControlBadge.h"
#include "QuorvelClientUI/Views/Editor/HostAppPicker.h"
#include "QuorvelClientUI/Views/Editor/IconPicker.h"
#include "QuorvelClientUI/Views/Editor/Popover.h"
#include "QuorvelClientUI/Views/Editor/RetiredWidget.h"
#include "QuorvelClientUI/Views/Editor/TestResultLabel.h"
#include "Widgets/BusyIndicator.h"
#include "Widgets/HiddenTextNote.h"
#include "Widgets/LineField.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/PlainTextField.h"
#include "Widgets/ShownText.h"
#include "Widgets/StatusColors.h"
#include "Widgets/SymbolIcons.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace Quorvel {

namespace {

using Intent = AddActionFlow::Intent;

constexpr int intentSpacing = 14;
constexpr int detailSpacing = 12;
constexpr int gridSpacing = 12;
constexpr int cardPadding = 14;
constexpr int cardMinHeight = 86;
constexpr int cardBadgeSize = 36;
constexpr int cardTextSpacing = 3;
constexpr int ideasSpacing = 8;
constexpr int paneSpacing = 18;
constexpr int pickerWidth = 290;
constexpr int pickerListHeight = 260;
constexpr int detailCardPadding = 16;
constexpr int detailCardMinWidth = 200;
constexpr int rowLabelWidth = 64;
constexpr int rowSpacing = 10;
constexpr int segmentWidth = 360;
constexpr int appleScriptHeight = 120;
// The shell command field shows two lines, and grows to five.
constexpr int commandMinLines = 2;
constexpr int commandMaxLines = 5;
constexpr int fieldFrame = 12;
constexpr int presetSymbolSide = 22;
constexpr int appControlHeight = 250;
constexpr int tryRowSpacing = 8;
constexpr int busySide = 16;
constexpr int resultPadding = 10;
constexpr int resultSpacing = 6;
constexpr int switchSpacing = 8;
constexpr int offPickerWidth = 220;
constexpr int statusPickerWidth = 260;
constexpr int iconNameSpacing = 12;
constexpr int reviewBadgeSize = 34;
// The description and the name read a little larger than body text.
constexpr qreal largeTextScale = 15.0 / 13.0;
constexpr int iconPickerPadding = 12;
// The result box is tinted with the outcome's colour at this opacity.
constexpr qreal resultTint = 0.08;

QVBoxLayout *column(QWidget *widget, int spacing)
{
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QFrame *detailCard(QWidget *parent)
{
    auto *card = new QFrame(parent);
    card->setObjectName(QStringLiteral("detailCard"));
    card->setFrameShape(QFrame::StyledPanel);
    card->setMinimumWidth(detailCardMinWidth);
    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(detailCardPadding, detailCardPadding, detailCardPadding,
                               detailCardPadding);
    layout->setSpacing(detailSpacing);
    return card;
}

// One line of the app switch card: a secondary label, then the value in medium weight.
PlainLabel *detailRow(QFrame *card, const QString &label)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(rowSpacing);
    auto *name = new PlainLabel(label, TextStyle::callout, StatusTone::secondary, card);
    name->setFixedWidth(rowLabelWidth);
    auto *value = new PlainLabel(QString(), TextStyle::callout, StatusTone::none, card);
    QFont medium = value->font();
    medium.setWeight(QFont::Medium);
    value->setFont(medium);
    value->setWrapping();
    row->addWidget(name, 0, Qt::AlignTop);
    row->addWidget(value, 1);
    static_cast<QVBoxLayout *>(card->layout())->addLayout(row);
    return value;
}

void enlarge(QWidget *widget)
{
    QFont font = widget->font();
    font.setPointSizeF(font.pointSizeF() * largeTextScale);
    widget->setFont(font);
}

// Puts a combo's entries (text, value) in place, leaving it alone when they are the same, so an
// open list is not closed by a change elsewhere.
void fillChoices(QComboBox *combo, const QList<std::pair<QString, QString>> &choices)
{
    bool same = combo->count() == choices.size();
    for (int index = 0; same && index < combo->count(); ++index)
        same = combo->itemText(index) == choices.at(index).first &&
               combo->itemData(index).toString() == choices.at(index).second;
    if (same)
        return;
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const auto &[text, value] : choices)
        combo->addItem(text, value);
}

StatusTone resultTone(const ClientTestOutcome &outcome)
{
    switch (outcome.kind()) {
    case ClientTestOutcome::Kind::action:
        return outcome.ok() ? StatusTone::green : StatusTone::red;
    case ClientTestOutcome::Kind::statusCheck:
        return StatusTone::secondary;
    case ClientTestOutcome::Kind::failed:
        return StatusTone::red;
    }
    return StatusTone::secondary;
}

} // namespace

QWidget *AddActionSheet::intentStep()
{
    auto *step = new QWidget(this);
    QVBoxLayout *layout = column(step, intentSpacing);
    layout->addWidget(stepTitle(tr("What should this action do?"), step));
    auto *grid = new QGridLayout;
    grid->setSpacing(gridSpacing);
    int index = 0;
    for (Intent intent : AddActionFlow::allIntents) {
        auto *card = new QPushButton(step);
        card->setObjectName(AddActionFlow::rawValue(intent));
        card->setAccessibleName(AddActionFlow::title(intent));
        card->setAutoDefault(false);
        card->setMinimumHeight(cardMinHeight);
        auto *row = new QHBoxLayout(card);
        row->setContentsMargins(cardPadding, cardPadding, cardPadding, cardPadding);
        row->setSpacing(detailSpacing);
        row->addWidget(new ControlBadge(AddActionFlow::symbol(intent),
                                        AddActionFlow::badgeType(intent), cardBadgeSize, card),
                       0, Qt::AlignTop);
        auto *texts = new QVBoxLayout;
        texts->setSpacing(cardTextSpacing);
        auto *title =
            new PlainLabel(AddActionFlow::title(intent), TextStyle::body, StatusTone::none, card);
        QFont bold = title->font();
        bold.setWeight(QFont::DemiBold);
        title->setFont(bold);
        auto *subtitle = new PlainLabel(m_flow->subtitle(intent), TextStyle::caption,
                                        StatusTone::secondary, card);
        subtitle->setObjectName(QStringLiteral("subtitle"));
        subtitle->setWrapping();
        m_refreshers.push_back([this, subtitle, intent, card, row] {
            subtitle->setText(m_flow->subtitle(intent));
            card->setMinimumHeight(std::max(cardMinHeight, row->sizeHint().height()));
        });
        texts->addWidget(title);
        texts->addWidget(subtitle);
        texts->addStretch(1);
        row->addLayout(texts, 1);
        for (QWidget *child : card->findChildren<QWidget *>())
            child->setAttribute(Qt::WA_TransparentForMouseEvents);
        card->setMinimumHeight(std::max(cardMinHeight, row->sizeHint().height()));
        connect(card, &QPushButton::clicked, m_flow,
                [this, intent] { m_flow->chooseIntent(intent); });
        grid->addWidget(card, index / 2, index % 2);
        if (index == 0)
            m_firstField = card;
        ++index;
    }
    layout->addLayout(grid);
    // The ideas come from what the host offers, so they are remade whenever that changes.
    auto *ideasHolder = new QWidget(step);
    column(ideasHolder, 0);
    layout->addWidget(ideasHolder);
    layout->addStretch(1);
    using ShownIdeas = std::pair<std::vector<DeckIdeas::Idea>, QString>;
    auto shownIdeas = std::make_shared<std::optional<ShownIdeas>>();
    m_refreshers.push_back([this, ideasHolder, shownIdeas] {
        ShownIdeas current{m_flow->ideas(), m_flow->hostName()};
        if (*shownIdeas == current)
            return;
        *shownIdeas = current;
        retireWidget(
            ideasHolder->findChild<QWidget *>(QStringLiteral("ideas"), Qt::FindDirectChildrenOnly));
        ideasHolder->setVisible(!current.first.empty());
        if (!current.first.empty())
            ideasHolder->layout()->addWidget(ideasRow(current.first, ideasHolder));
    });
    return step;
}

QWidget *AddActionSheet::ideasRow(const std::vector<DeckIdeas::Idea> &ideas, QWidget *parent)
{
    auto *ideasBox = new QWidget(parent);
    ideasBox->setObjectName(QStringLiteral("ideas"));
    QVBoxLayout *ideasLayout = column(ideasBox, ideasSpacing);
    ideasLayout->addWidget(new PlainLabel(tr("Ideas from what's on %1").arg(m_flow->hostName()),
                                          TextStyle::caption, StatusTone::secondary, ideasBox));
    auto *row = new QHBoxLayout;
    row->setSpacing(ideasSpacing);
    for (const DeckIdeas::Idea &idea : ideas) {
        auto *button = new QPushButton(
            SymbolIcons::icon(idea.control.icon.value_or(QStringLiteral("sparkles"))), idea.label,
            ideasBox);
        button->setObjectName(QStringLiteral("idea"));
        button->setProperty("ideaID", idea.id);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, m_flow, [this, idea] { m_flow->chooseIdea(idea); });
        row->addWidget(button);
    }
    row->addStretch(1);
    ideasLayout->addLayout(row);
    return ideasBox;
}

QWidget *AddActionSheet::appSwitchStep()
{
    auto *step = new QWidget(this);
    QVBoxLayout *layout = column(step, detailSpacing);
    layout->addWidget(stepTitle(tr("Which app?"), step));
    auto *panes = new QHBoxLayout;
    panes->setSpacing(paneSpacing);
    auto *picker = new HostAppPicker(step);
    picker->setListHeight(pickerListHeight);
    picker->setFixedWidth(pickerWidth);
    picker->setSelection(m_flow->app());
    connect(picker, &CatalogPicker::selectionChanged, m_flow, &AddActionFlow::setApp);
    takeReturn(picker);
    m_firstField = picker->searchField();
    panes->addWidget(picker, 0, Qt::AlignTop);

    QFrame *card = detailCard(step);
    auto *empty = new PlainLabel(tr("Pick an app to see how the switch will work."),
                                 TextStyle::body, StatusTone::secondary, card);
    empty->setWrapping();
    card->layout()->addWidget(empty);
    auto *rows = new QWidget(card);
    card->layout()->addWidget(rows);
    auto *rowsLayout = column(rows, detailSpacing);
    auto *rowFrame = new QFrame(rows);
    rowFrame->setLayout(new QVBoxLayout);
    rowFrame->layout()->setContentsMargins(0, 0, 0, 0);
    rowsLayout->addWidget(rowFrame);
    PlainLabel *turnOn = detailRow(rowFrame, tr("Turn on"));
    PlainLabel *turnOff = detailRow(rowFrame, tr("Turn off"));
    auto *quitBy = new QComboBox(rowFrame);
    quitBy->setObjectName(QStringLiteral("quitBy"));
    quitBy->setAccessibleName(tr("Turn off by"));
    rowFrame->layout()->addWidget(quitBy);
    auto *quitNote = new PlainLabel(
        tr("A shortcut can click through a “Quit?” dialog, which a plain quit can't."),
        TextStyle::caption, StatusTone::secondary, rowFrame);
    quitNote->setWrapping();
    rowFrame->layout()->addWidget(quitNote);
    PlainLabel *showsOn = detailRow(rowFrame, tr("Shows on"));
    rowsLayout->addStretch(1);
    static_cast<QVBoxLayout *>(card->layout())->addStretch(1);
    panes->addWidget(card, 1);
    layout->addLayout(panes);
    layout->addStretch(1);

    // The combo's entries: quitting the app (no shortcut), then each shortcut by its position,
    // so a shortcut named like anything can be chosen.
    connect(quitBy, &QComboBox::activated, m_flow, [this, quitBy](int index) {
        const QVariant shortcut = quitBy->itemData(index);
        m_flow->setQuitShortcut(shortcut.isValid() ? std::optional<QString>(shortcut.toString())
                                                   : std::nullopt);
    });
    m_refreshers.push_back(
        [this, picker] { picker->showApps(m_flow->client().catalog(), m_flow->hostName()); });
    m_refreshers.push_back([this, picker, empty, rows, turnOn, turnOff, quitBy, quitNote, showsOn] {
        const QString app = m_flow->app();
        picker->setSelection(app);
        empty->setVisible(app.isEmpty());
        rows->setVisible(!app.isEmpty());
        const std::optional<QString> &quit = m_flow->quitShortcut();
        turnOn->setText(tr("Opens %1").arg(app));
        turnOff->setText(quit ? tr("Runs %1").arg(*quit) : tr("Quits %1").arg(app));
        showsOn->setText(tr("While %1 is running").arg(app));
        quitNote->setVisible(quit.has_value());
        const QSignalBlocker blocker(quitBy);
        quitBy->clear();
        quitBy->addItem(tr("Quitting the app"));
        const std::optional<HostCatalog> catalog = m_flow->client().catalog();
        QStringList shortcuts = catalog ? catalog->shortcuts : QStringList();
        if (quit && !shortcuts.contains(*quit))
            shortcuts.append(*quit);
        for (const QString &shortcut : shortcuts)
            quitBy->addItem(tr("Shortcut: %1").arg(shortcut), shortcut);
        quitBy->setCurrentIndex(quit ? int(shortcuts.indexOf(*quit)) + 1 : 0);
    });
    return step;
}

QWidget *AddActionSheet::appControlStep()
{
    auto *step = new QWidget(this);
    QVBoxLayout *layout = column(step, detailSpacing);
    layout->addWidget(stepTitle(tr("Which app, and which of its controls?"), step));
    auto *picker = new AppControlPicker(
        {ControlType::button, ControlType::toggle, ControlType::metric}, appControlHeight, step);
    picker->setHostName(m_flow->hostName());
    const std::optional<HostCatalog> catalog = m_flow->client().catalog();
    picker->setProviders(catalog ? catalog->appControls : std::vector<HostCatalog::AppControls>());
    picker->setChoice(m_flow->controlApp(), m_flow->controlItem());
    connect(picker, &AppControlPicker::appChosen, m_flow, &AddActionFlow::setControlApp);
    connect(picker, &AppControlPicker::controlChosen, m_flow, &AddActionFlow::setControlItem);
    layout->addWidget(picker);
    m_firstField = picker->appRows().value(0);
    auto *description = new PlainLabel(QString(), TextStyle::callout, StatusTone::secondary, step);
    description->setObjectName(QStringLiteral("description"));
    description->setWrapping();
    layout->addWidget(description);
    layout->addStretch(1);
    m_refreshers.push_back([this, picker, description] {
        const std::optional<HostCatalog> catalog = m_flow->client().catalog();
        picker->setProviders(catalog ? catalog->appControls
                                     : std::vector<HostCatalog::AppControls>());
        picker->setChoice(m_flow->controlApp(), m_flow->controlItem());
        const std::optional<Control> draft = m_flow->appControlDraft();
        description->setVisible(draft.has_value());
        if (draft)
            description->setText(
                ShownText::withHiddenShown(describe(*draft, catalog, m_flow->client().hostInfo())));
    });
    return step;
}

QWidget *AddActionSheet::shortcutStep()
{
    auto *step = new QWidget(this);
    QVBoxLayout *layout = column(step, detailSpacing);
    layout->addWidget(stepTitle(tr("Which shortcut?"), step));
    auto *panes = new QHBoxLayout;
    panes->setSpacing(paneSpacing);
    auto *picker = new CatalogPicker(step);
    picker->setBadge([this](const QString &name) { return m_flow->shortcutBadge(name); });
    picker->setListHeight(pickerListHeight);
    picker->setFixedWidth(pickerWidth);
    picker->setSelection(m_flow->shortcut());
    connect(picker, &CatalogPicker::selectionChanged, m_flow, &AddActionFlow::setShortcut);
    takeReturn(picker);
    m_firstField = picker->searchField();
    panes->addWidget(picker, 0, Qt::AlignTop);
    QFrame *card = detailCard(step);
    card->layout()->addWidget(
        new PlainLabel(tr("You're making"), TextStyle::caption, StatusTone::secondary, card));
    auto *sentence = new PlainLabel(QString(), TextStyle::body, StatusTone::none, card);
    sentence->setObjectName(QStringLiteral("sentence"));
    enlarge(sentence);
    sentence->setWrapping();
    card->layout()->addWidget(sentence);
    static_cast<QVBoxLayout *>(card->layout())->addStretch(1);
    panes->addWidget(card, 1);
    layout->addLayout(panes);
    layout->addStretch(1);
    auto shownShortcuts = std::make_shared<std::optional<QStringList>>();
    m_refreshers.push_back([this, picker, sentence, shownShortcuts] {
        const std::optional<HostCatalog> catalog = m_flow->client().catalog();
        const QStringList shortcuts = catalog ? catalog->shortcuts : QStringList();
        if (*shownShortcuts != shortcuts) {
            *shownShortcuts = shortcuts;
            picker->setItems(shortcuts);
        }
        picker->setPrompt(tr("Search shortcuts on %1").arg(m_flow->hostName()));
        const QString shortcut = m_flow->shortcut();
        picker->setSelection(shortcut);
        sentence->setText(shortcut.isEmpty() ? tr("A button. Pick the shortcut it runs.")
                                             : tr("A button. Pressing it runs %1.").arg(shortcut));
    });
    return step;
}

QWidget *AddActionSheet::commandStep()
{
    auto *step = new QWidget(this);
    QVBoxLayout *layout = column(step, detailSpacing);
    layout->addWidget(stepTitle(tr("What should it run?"), step));
    auto *segments = new QWidget(step);
    segments->setFixedWidth(segmentWidth);
    auto *segmentRow = new QHBoxLayout(segments);
    segmentRow->setContentsMargins(0, 0, 0, 0);
    segmentRow->setSpacing(0);
    auto *group = new QButtonGroup(segments);
    QList<std::pair<Action::Kind, QString>> kinds{{Action::Kind::shell, tr("Shell command")},
                                                  {Action::Kind::script, tr("Script file")}};
    // AppleScript does not run here; an action that already is one still shows as one.
    if (m_flow->commandKind() == Action::Kind::applescript)
        kinds.append({Action::Kind::applescript, tr("AppleScript")});
    for (const auto &[kind, label] : kinds) {
        auto *segment = new QPushButton(label, segments);
        segment->setObjectName(label);
        segment->setCheckable(true);
        segment->setAutoDefault(false);
        segment->setChecked(kind == m_flow->commandKind());
        group->addButton(segment);
        segmentRow->addWidget(segment);
        const Action::Kind chosen = kind;
        // Acts on the toggle alone: pressing the chosen segment again changes nothing.
        connect(segment, &QPushButton::toggled, m_flow, [this, chosen](bool checked) {
            if (checked)
                m_flow->setCommandKind(chosen);
        });
    }
    group->setExclusive(true);
    layout->addWidget(segments);
    const QString host = m_flow->hostName();
    const int lineHeight = QFontMetrics(step->font()).lineSpacing();
    switch (m_flow->commandKind()) {
    case Action::Kind::script: {
        auto *field = new LineField(m_flow->command(), step);
        field->setObjectName(QStringLiteral("command"));
        field->setAccessibleName(tr("Path to the script on %1").arg(host));
        field->setPlaceholderText(QStringLiteral("~/bin/backup.sh"));
        field->setTakesFilePath(true);
        applyTextStyle(field, TextStyle::body, true);
        connect(field, &QLineEdit::textEdited, m_flow, &AddActionFlow::setCommand);
        layout->addWidget(field);
        layout->addWidget(new HiddenTextNote(field, step));
        m_firstField = field;
        break;
    }
    default: {
        const bool script = m_flow->commandKind() == Action::Kind::applescript;
        auto *editor = new PlainTextField(m_flow->command(), step);
        editor->setObjectName(QStringLiteral("command"));
        editor->setAccessibleName(script ? tr("AppleScript") : tr("Command"));
        if (!script)
            editor->setPlaceholderText(QStringLiteral("notify-send 'hello from %1'").arg(host));
        applyTextStyle(editor, TextStyle::body, true);
        if (script) {
            editor->setFixedHeight(appleScriptHeight);
        } else {
            editor->setMinimumHeight(lineHeight * commandMinLines + fieldFrame);
            editor->setMaximumHeight(lineHeight * commandMaxLines + fieldFrame);
        }
        connect(editor, &QPlainTextEdit::textChanged, m_flow,
                [this, editor] { m_flow->setCommand(editor->text()); });
        layout->addWidget(editor);
        layout->addWidget(new HiddenTextNote(editor, step));
        m_firstField = editor;
        break;
    }
    }
    auto *note = new PlainLabel(
        tr("It runs on %1 as your user, the same as typing it in a terminal there.").arg(host),
        TextStyle::caption, StatusTone::secondary, step);
    note->setWrapping();
    layout->addWidget(note);
    layout->addStretch(1);
    return step;
}

QWidget *AddActionSheet::valueStep()
{
    auto *step = new QWidget(this);
    QVBoxLayout *layout = column(step, detailSpacing);
    layout->addWidget(stepTitle(tr("What should it show?"), step));
    QList<std::pair<std::optional<ValuePreset>, QToolButton *>> rows;
    const auto addRow = [&](const std::optional<ValuePreset> &preset) {
        auto *row = new QToolButton(step);
        const QString title = preset ? preset->title() : tr("The output of a command");
        row->setObjectName(preset ? preset->rawValue() : QStringLiteral("command"));
        row->setText(preset
                         ? title + QStringLiteral("  \u00B7  ") + intervalPhrase(preset->interval())
                         : title);
        row->setAccessibleName(title);
        row->setIcon(SymbolIcons::icon(preset ? preset->symbol() : QStringLiteral("terminal")));
        row->setIconSize(QSize(presetSymbolSide, presetSymbolSide));
        row->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        row->setCheckable(true);
        row->setAutoRaise(true);
        row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        connect(row, &QToolButton::clicked, m_flow,
                [this, preset] { m_flow->setValuePreset(preset); });
        layout->addWidget(row);
        rows.append({preset, row});
    };
    for (const ValuePreset &preset : ValuePreset::all())
        addRow(preset);
    addRow(std::nullopt);
    m_firstField = rows.first().second;
    auto *field = new LineField(m_flow->customValue(), step);
    field->setObjectName(QStringLiteral("customValue"));
    field->setAccessibleName(tr("Command"));
    field->setPlaceholderText(QStringLiteral("date +%H:%M"));
    applyTextStyle(field, TextStyle::body, true);
    connect(field, &QLineEdit::textEdited, m_flow, &AddActionFlow::setCustomValue);
    layout->addWidget(field);
    auto *customNote = new HiddenTextNote(field, step);
    layout->addWidget(customNote);
    layout->addStretch(1);
    m_refreshers.push_back([this, rows, field, customNote] {
        for (const auto &[preset, row] : rows)
            row->setChecked(preset == m_flow->valuePreset());
        field->setVisible(!m_flow->valuePreset());
        customNote->setVisible(!m_flow->valuePreset() && !customNote->text().isEmpty());
    });
    return step;
}

QWidget *AddActionSheet::reviewStep()
{
    auto *step = new QWidget(this);
    if (!m_flow->draft())
        return step;
    QVBoxLayout *layout = column(step, intentSpacing);
    layout->addWidget(stepTitle(tr("Try it, then give it a name"), step));
    auto *description = new PlainLabel(QString(), TextStyle::body, StatusTone::none, step);
    description->setObjectName(QStringLiteral("description"));
    enlarge(description);
    description->setWrapping();
    layout->addWidget(description);

    auto *tryRow = new QWidget(step);
    tryRow->setObjectName(QStringLiteral("tryRow"));
    auto *tryLayout = new QHBoxLayout(tryRow);
    tryLayout->setContentsMargins(0, 0, 0, 0);
    tryLayout->setSpacing(tryRowSpacing);
    auto *busy = new BusyIndicator(busySide, tryRow);
    tryLayout->addStretch(1);
    tryLayout->addWidget(busy);
    layout->addWidget(tryRow);

    // The result's place is held before the first try, so that the name field below it stays
    // where the user is typing when a result comes.
    auto *resultSlot = new QWidget(step);
    resultSlot->setObjectName(QStringLiteral("resultSlot"));
    QVBoxLayout *slotLayout = column(resultSlot, 0);
    auto *resultBox = new QFrame(resultSlot);
    resultBox->setObjectName(QStringLiteral("resultBox"));
    resultBox->setAutoFillBackground(true);
    QVBoxLayout *resultLayout = column(resultBox, resultSpacing);
    resultLayout->setContentsMargins(resultPadding, resultPadding, resultPadding, resultPadding);
    auto *result = new TestResultLabel(ClientTestOutcome::failed(QString()), resultBox);
    applyTextStyle(result->textLabel(), TextStyle::callout);
    auto *hint = new PlainLabel(QString(), TextStyle::caption, StatusTone::secondary, resultBox);
    hint->setObjectName(QStringLiteral("hint"));
    resultLayout->addWidget(result);
    resultLayout->addWidget(hint);
    slotLayout->addWidget(resultBox);
    slotLayout->addStretch(1);
    resultSlot->setFixedHeight(2 * resultPadding +
                               QFontMetrics(result->textLabel()->font()).lineSpacing() *
                                   TestResultLabel::maxLines +
                               resultSpacing + QFontMetrics(hint->font()).lineSpacing());
    layout->addWidget(resultSlot);

    auto *switchBox = new QWidget(step);
    switchBox->setObjectName(QStringLiteral("switchOption"));
    QVBoxLayout *switchLayout = column(switchBox, switchSpacing);
    auto *switchRow = new QHBoxLayout;
    auto *makeSwitch = new QCheckBox(tr("Make it a switch that turns off with"), switchBox);
    makeSwitch->setObjectName(QStringLiteral("makeSwitch"));
    auto *offShortcut = new QComboBox(switchBox);
    offShortcut->setObjectName(QStringLiteral("offShortcut"));
    offShortcut->setAccessibleName(tr("Shortcut that turns it off"));
    offShortcut->setMaximumWidth(offPickerWidth);
    switchRow->addWidget(makeSwitch);
    switchRow->addWidget(offShortcut);
    switchRow->addStretch(1);
    switchLayout->addLayout(switchRow);
    auto *statusRow = new QWidget(switchBox);
    auto *statusLayout = new QHBoxLayout(statusRow);
    statusLayout->setContentsMargins(0, 0, 0, 0);
    statusLayout->addWidget(new PlainLabel(tr("It shows on while"), TextStyle::callout,
                                           StatusTone::secondary, statusRow));
    auto *statusApp = new QComboBox(statusRow);
    statusApp->setObjectName(QStringLiteral("switchStatusApp"));
    statusApp->setAccessibleName(tr("App whose running state it shows"));
    statusApp->setMaximumWidth(statusPickerWidth);
    statusLayout->addWidget(statusApp);
    statusLayout->addStretch(1);
    switchLayout->addWidget(statusRow);
    auto *switchNote = new PlainLabel(tr("You can change this to a command check after adding it."),
                                      TextStyle::caption, StatusTone::secondary, switchBox);
    switchLayout->addWidget(switchNote);
    layout->addWidget(switchBox);
    connect(makeSwitch, &QCheckBox::toggled, m_flow, &AddActionFlow::setMakeSwitch);
    connect(offShortcut, &QComboBox::activated, m_flow, [this, offShortcut](int index) {
        m_flow->setOffShortcut(offShortcut->itemData(index).toString());
    });
    connect(statusApp, &QComboBox::activated, m_flow, [this, statusApp](int index) {
        m_flow->setSwitchStatusApp(statusApp->itemData(index).toString());
    });

    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(iconNameSpacing);
    auto *iconColumn = new QVBoxLayout;
    iconColumn->addWidget(
        new PlainLabel(tr("Icon"), TextStyle::caption, StatusTone::secondary, step));
    auto *iconButton = new QToolButton(step);
    iconButton->setObjectName(QStringLiteral("iconButton"));
    iconButton->setAccessibleName(tr("Icon"));
    iconButton->setAutoRaise(true);
    auto *badge = new ControlBadge(std::nullopt, ControlType::button, reviewBadgeSize, iconButton);
    iconButton->setFixedSize(badge->sizeHint());
    iconColumn->addWidget(iconButton);
    connect(iconButton, &QToolButton::clicked, this, [this, iconButton] {
        auto *content = new QWidget;
        auto *contentLayout = new QVBoxLayout(content);
        contentLayout->setContentsMargins(iconPickerPadding, iconPickerPadding, iconPickerPadding,
                                          iconPickerPadding);
        auto *picker = new IconPicker(m_flow->icon(), content);
        contentLayout->addWidget(picker);
        connect(picker, &IconPicker::iconPicked, m_flow, &AddActionFlow::setIcon);
        auto *popover = new Popover(iconButton, content);
        popover->setObjectName(QStringLiteral("iconPopover"));
        popover->showBy(Popover::Side::below);
    });
    bottom->addLayout(iconColumn);
    auto *nameColumn = new QVBoxLayout;
    nameColumn->addWidget(
        new PlainLabel(tr("Name"), TextStyle::caption, StatusTone::secondary, step));
    auto *name = new LineField(m_flow->name(), step);
    name->setObjectName(QStringLiteral("name"));
    name->setPlaceholderText(tr("Name"));
    name->setAccessibleName(tr("Name"));
    enlarge(name);
    connect(name, &QLineEdit::textEdited, m_flow, &AddActionFlow::setName);
    nameColumn->addWidget(name);
    m_firstField = name;
    bottom->addLayout(nameColumn, 1);
    layout->addLayout(bottom);
    layout->addStretch(1);

    auto shownTries = std::make_shared<QList<AddActionFlow::TryButton>>();
    m_refreshers.push_back([=, this] {
        const std::optional<Control> finished = m_flow->finishedControl();
        if (!finished)
            return;
        description->setText(ShownText::withHiddenShown(m_flow->description()));
        const QList<AddActionFlow::TryButton> tries = m_flow->tryButtons();
        if (tries != *shownTries) {
            *shownTries = tries;
            for (QPushButton *old : tryRow->findChildren<QPushButton *>()) {
                old->hide();
                old->setParent(nullptr);
                old->deleteLater();
            }
            int position = 0;
            for (const AddActionFlow::TryButton &tryButton : tries) {
                auto *button = new QPushButton(tryButton.label, tryRow);
                button->setAutoDefault(false);
                const AddActionFlow::TryPart part = tryButton.part;
                connect(button, &QPushButton::clicked, m_flow,
                        [this, part] { m_flow->tryPart(part); });
                tryLayout->insertWidget(position++, button);
            }
        }
        for (QPushButton *button : tryRow->findChildren<QPushButton *>())
            button->setEnabled(m_flow->canTry());
        busy->setVisible(m_flow->isTrying());
        const std::optional<ClientTestOutcome> &outcome = m_flow->result();
        resultBox->setVisible(outcome.has_value());
        if (outcome) {
            result->setOutcome(*outcome);
            QColor tint = statusColor(resultTone(*outcome), resultBox->palette());
            tint.setAlphaF(resultTint);
            QPalette palette = resultBox->palette();
            palette.setColor(QPalette::Window, tint);
            resultBox->setPalette(palette);
            hint->setText(m_flow->failureHint());
            hint->setVisible(!hint->text().isEmpty());
        }
        switchBox->setVisible(m_flow->offersSwitch());
        makeSwitch->setChecked(m_flow->makeSwitch());
        const std::optional<HostCatalog> catalog = m_flow->client().catalog();
        QList<std::pair<QString, QString>> offChoices;
        QList<std::pair<QString, QString>> statusChoices{{tr("Choose an app…"), QString()}};
        if (catalog) {
            for (const QString &shortcut : catalog->shortcuts)
                offChoices.append({shortcut, shortcut});
            for (const HostCatalog::App &app : catalog->apps)
                statusChoices.append({tr("%1 is running").arg(app.name), app.name});
        }
        fillChoices(offShortcut, offChoices);
        fillChoices(statusApp, statusChoices);
        offShortcut->setCurrentIndex(offShortcut->findData(m_flow->offShortcut()));
        statusRow->setVisible(m_flow->makeSwitch());
        switchNote->setVisible(m_flow->makeSwitch());
        statusApp->setCurrentIndex(std::max(0, statusApp->findData(m_flow->switchStatusApp())));
        badge->set(m_flow->icon().isEmpty() ? std::nullopt : std::optional<QString>(m_flow->icon()),
                   finished->type);
        if (name->text() != m_flow->name())
            name->setText(m_flow->name());
    });
    return step;
}

} // namespace Quorvel
