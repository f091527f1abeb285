// The deck editor window and its pieces in their main states: the editor over a real host, and
// over a scripted link for the states a host reaches only by chance (a save refused, the host's
// actions changed while editing).

#include "Gallery/GalleryDecks.h"
#include "Gallery/GalleryRegistry.h"
#include "Gallery/GallerySession.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Editor/ClientModelEditorClient.h"
#include "QuorvelClientUI/Editor/DeckEditorModel.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/CatalogPicker.h"
#include "QuorvelClientUI/Views/Editor/Chip.h"
#include "QuorvelClientUI/Views/Editor/ClientModelLiveStates.h"
#include "QuorvelClientUI/Views/Editor/ControlBadge.h"
#include "QuorvelClientUI/Views/Editor/ControlCard.h"
#include "QuorvelClientUI/Views/Editor/ControlJSONSheet.h"
#include "QuorvelClientUI/Views/Editor/DeckEditorView.h"
#include "QuorvelClientUI/Views/Editor/FixedLiveStates.h"
#include "QuorvelClientUI/Views/Editor/IconCatalog.h"
#include "QuorvelClientUI/Views/Editor/IconPicker.h"
#include "QuorvelClientUI/Views/Editor/JSONEditor.h"
#include "QuorvelClientUI/Views/Editor/RenamePopover.h"
#include "QuorvelClientUI/Views/Editor/TestResultLabel.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolIcons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

const QString editorView = QStringLiteral("DeckEditorView");
const QString cardView = QStringLiteral("ControlCard");
// Wide enough for the editor's content column, as its window opens.
constexpr int editorWidth = 900;
constexpr int editorHeight = 640;
// Room for one card with its advanced section open.
constexpr int cardHeight = 480;
constexpr int pickerWidth = 300;

Action shell(const QString &command)
{
    return Action{Action::Kind::shell, command, std::nullopt, std::nullopt, std::nullopt};
}

// A scripted link and the editor's model over it, kept for the page.
struct Scripted {
    ScriptedEditorClient *client;
    FixedLiveStates *live;
    DeckEditorModel *model;
};

Scripted scripted(GallerySession &session, bool offersLinks = true)
{
    auto *client = session.keep(std::make_unique<ScriptedEditorClient>());
    auto *live = session.keep(std::make_unique<FixedLiveStates>(offersLinks));
    auto *model = session.keep(std::make_unique<DeckEditorModel>(*client));
    return {client, live, model};
}

QWidget *editor(const Scripted &parts)
{
    auto *view = new DeckEditorView(*parts.model, *parts.live);
    parts.model->appear();
    view->resize(editorWidth, editorHeight);
    return view;
}

DeckEditorView *fixed(DeckEditorView *view)
{
    view->setFixedSize(editorWidth, editorHeight);
    return view;
}

// Actions that break the deck rules in several ways, and one the host lacks.
Deck troubledDeck()
{
    Control untitled;
    untitled.id = QStringLiteral("lamp");
    untitled.type = ControlType::button;
    untitled.action = shell(QString());
    Control twin = untitled;
    twin.title = QStringLiteral("Lamp again");
    Control opener;
    opener.id = QStringLiteral("editor");
    opener.title = QStringLiteral("Open the editor");
    opener.type = ControlType::button;
    opener.action = Action{Action::Kind::app, QStringLiteral("Zephyr Writer"), {}, {}, {}};
    Control fan;
    fan.id = QStringLiteral("fan");
    fan.title = QStringLiteral("Fan");
    fan.type = ControlType::toggle;
    return Deck{QStringLiteral("Studio"), {untitled, twin, opener, fan}};
}

HostCatalog smallCatalog()
{
    HostCatalog catalog;
    HostCatalog::App files;
    files.name = QStringLiteral("Files");
    files.path = QStringLiteral("org.gnome.Nautilus.desktop");
    catalog.apps.push_back(files);
    catalog.shortcuts = {QStringLiteral("Backup")};
    return catalog;
}

QWidget *connectedEditor(GallerySession &session)
{
    GalleryHost *host = session.startHost(GalleryDecks::studio());
    if (!host)
        return nullptr;
    host->coordinator().setAllowDeckEditing(true);
    ClientModel *model = session.makeModel(QStringLiteral("Remote"), true);
    if (!session.pair(model, host))
        return nullptr;
    auto *client = session.keep(std::make_unique<ClientModelEditorClient>(*model));
    auto *live = session.keep(std::make_unique<ClientModelLiveStates>(*model));
    auto *editorModel = session.keep(std::make_unique<DeckEditorModel>(*client));
    if (!session.waitFor([client] { return client->canEditDeck(); }))
        return nullptr;
    auto *view = new DeckEditorView(*editorModel, *live);
    editorModel->appear();
    if (!session.waitFor([editorModel] { return !editorModel->items().isEmpty(); }))
        return nullptr;
    return fixed(view);
}

QWidget *viewOnly(GallerySession &session)
{
    const Scripted parts = scripted(session);
    parts.client->connectTo(QStringLiteral("Studio"), GalleryDecks::studio(), false);
    return fixed(static_cast<DeckEditorView *>(editor(parts)));
}

QWidget *notConnected(GallerySession &session)
{
    const Scripted parts = scripted(session);
    parts.client->connectTo(QStringLiteral("Studio"), GalleryDecks::studio());
    auto *view = static_cast<DeckEditorView *>(editor(parts));
    parts.client->setStatus(
        ClientConnectionStatus::failed(QStringLiteral("The host closed the link.")));
    return fixed(view);
}

QWidget *hostChanged(GallerySession &session)
{
    const Scripted parts = scripted(session);
    parts.client->connectTo(QStringLiteral("Studio"), GalleryDecks::studio());
    auto *view = static_cast<DeckEditorView *>(editor(parts));
    parts.model->setDeckName(QStringLiteral("Studio (mine)"));
    Deck theirs = GalleryDecks::studio();
    theirs.deckName = QStringLiteral("Studio (theirs)");
    parts.client->setDeck(theirs);
    return parts.model->hostChangedWhileEditing() ? fixed(view) : nullptr;
}

QWidget *emptyWithIdeas(GallerySession &session)
{
    const Scripted parts = scripted(session);
    parts.client->connectTo(QStringLiteral("Studio"), Deck{QStringLiteral("Studio"), {}});
    parts.client->setCatalog(smallCatalog());
    return fixed(static_cast<DeckEditorView *>(editor(parts)));
}

QWidget *saveFailed(GallerySession &session)
{
    const Scripted parts = scripted(session);
    parts.client->connectTo(QStringLiteral("Studio"), GalleryDecks::studio());
    auto *view = static_cast<DeckEditorView *>(editor(parts));
    parts.model->setDeckName(QStringLiteral("Studio at night"));
    parts.client->setUpdateAnswer(QStringList{QStringLiteral("\"render\": title is empty")});
    parts.model->save();
    if (!session.waitFor([&parts] { return parts.model->saveMessage().has_value(); }))
        return nullptr;
    return fixed(view);
}

QWidget *manyProblems(GallerySession &session)
{
    const Scripted parts = scripted(session);
    parts.client->connectTo(QStringLiteral("Studio"), troubledDeck());
    parts.client->setCatalog(smallCatalog());
    auto *view = static_cast<DeckEditorView *>(editor(parts));
    parts.model->setDeckName(QString());
    return fixed(view);
}

// A deck title longer than the header has room for.
QWidget *longTitle(GallerySession &session)
{
    const Scripted parts = scripted(session);
    Deck deck = GalleryDecks::studio();
    deck.deckName = QStringLiteral("Evening Broadcast and Rehearsal Room ").repeated(4).trimmed();
    parts.client->connectTo(QStringLiteral("Studio"), deck);
    return fixed(static_cast<DeckEditorView *>(editor(parts)));
}

// A hand-edited deck file: a title that holds a line break, and a button whose command hides a
// direction override that would make it read "echo live".
QWidget *hiddenCharacters(GallerySession &session)
{
    const Scripted parts = scripted(session);
    Deck deck = GalleryDecks::studio();
    deck.deckName = QStringLiteral("\u001B[1mStudio\nControls");
    Control say;
    say.id = QStringLiteral("say");
    say.title = QStringLiteral("Say\r\nHello");
    say.type = ControlType::button;
    say.icon = QStringLiteral("speaker.wave.2");
    say.action = shell(QStringLiteral("echo \u202Elive\u202C"));
    deck.controls.insert(deck.controls.begin(), say);
    Control nul = say;
    nul.id = QStringLiteral("nul");
    nul.title = QStringLiteral("Touch");
    nul.action = shell(QStringLiteral("print a%1b; touch /tmp/afterNUL").arg(QChar(0)));
    deck.controls.insert(deck.controls.begin() + 1, nul);
    parts.client->connectTo(QStringLiteral("Studio"), deck);
    return fixed(static_cast<DeckEditorView *>(editor(parts)));
}

// A card as wide as its sentence's last chip just reaching the card's edge, where the sentence's
// full stop has no room left on that line.
QWidget *fullStopAtEdge(GallerySession &session)
{
    Control lamp;
    lamp.id = QStringLiteral("lamp");
    lamp.title = QStringLiteral("Desk Lamp");
    lamp.type = ControlType::button;
    lamp.icon = QStringLiteral("lightbulb");
    lamp.action = shell(QStringLiteral("systemctl --user start desk-lamp"));
    const Scripted parts = scripted(session);
    parts.client->connectTo(QStringLiteral("Studio"), Deck{QStringLiteral("Studio"), {lamp}});
    parts.model->appear();
    const EditableControl row = parts.model->items().value(0);
    auto card = std::make_unique<ControlCard>(*parts.model, *parts.live, row.id);
    card->setInputs(ControlCard::Inputs{row, {}, true, false, false});
    // Laid out on one line first, to find where the last chip ends.
    constexpr int oneLineWidth = 1600;
    card->setAttribute(Qt::WA_DontShowOnScreen);
    card->resize(oneLineWidth, cardHeight);
    card->show();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    auto *sentence = card->findChild<QWidget *>(QStringLiteral("sentence"));
    if (!sentence || card->chips().isEmpty())
        return nullptr;
    const int chipEnd = card->chips().last()->geometry().right() + 1;
    card->setFixedWidth(chipEnd + card->width() - sentence->width());
    return card.release();
}

// One card of the given deck's action, with a try result and its advanced section open.
QWidget *card(GallerySession &session, const Control &control, const ClientTestOutcome &outcome,
              const std::optional<ControlState> &state)
{
    const Scripted parts = scripted(session);
    parts.client->connectTo(QStringLiteral("Studio"), Deck{QStringLiteral("Studio"), {control}});
    parts.client->setTestOutcome(outcome);
    if (state)
        parts.live->setState(*state);
    std::unique_ptr<DeckEditorView> view(static_cast<DeckEditorView *>(editor(parts)));
    ControlCard *shown = view->cards().value(0);
    if (!shown)
        return nullptr;
    shown->tryIt(control.type == ControlType::metric ? ControlCard::Try::check
                                                     : ControlCard::Try::action);
    if (!session.waitFor([shown] { return shown->tryResult().has_value(); }))
        return nullptr;
    shown->toggleAdvanced();
    view->setFixedSize(editorWidth, cardHeight);
    return view.release();
}

Control buttonWithProblem()
{
    Control control;
    control.id = QStringLiteral("render");
    control.type = ControlType::button;
    control.icon = QStringLiteral("film");
    control.action = Action{Action::Kind::shortcut, QString(), 30, {}, {}};
    return control;
}

Control switchWithProblem()
{
    Control control;
    control.id = QStringLiteral("stream");
    control.title = QStringLiteral("Stream");
    control.type = ControlType::toggle;
    control.icon = QStringLiteral("record.circle");
    control.onAction = shell(QStringLiteral("systemctl --user start stream"));
    control.statusCheck =
        StatusCheck{StatusCheck::Kind::processRunning, QStringLiteral("obs"), 10, std::nullopt};
    return control;
}

Control readoutWithProblem()
{
    Control control;
    control.id = QString();
    control.title = QStringLiteral("Disk");
    control.type = ControlType::metric;
    control.icon = QStringLiteral("internaldrive");
    control.statusCheck =
        StatusCheck{StatusCheck::Kind::shellOutput,
                    QStringLiteral("df -h / | awk 'NR==2 {print $4}'"), 60, std::nullopt};
    return control;
}

QWidget *deckSheetWithError(GallerySession &session)
{
    const Scripted parts = scripted(session);
    parts.client->connectTo(QStringLiteral("Studio"), GalleryDecks::studio());
    parts.model->appear();
    auto *sheet = new JSONEditor(QStringLiteral("Edit all actions as JSON"));
    sheet->setText(parts.model->deckJSONText().left(400));
    sheet->setError(parts.model->applyDeckJSON(sheet->text()));
    return sheet->error() ? sheet : nullptr;
}

// A hand-edited deck's characters that don't show, written as escapes.
QWidget *deckSheetWithHiddenCharacters(GallerySession &session)
{
    const Scripted parts = scripted(session);
    Deck deck{QStringLiteral("Studio"), {}};
    Control say;
    say.id = QStringLiteral("say");
    say.title = QStringLiteral("Say\u00A0Hello");
    say.type = ControlType::button;
    say.action = shell(QStringLiteral("notify-send 'nb\u00A0sp' 'ls\u2028x' 'A\u202Eevil\u202CB'"));
    deck.controls.push_back(say);
    parts.client->connectTo(QStringLiteral("Studio"), deck);
    parts.model->appear();
    auto *sheet = new JSONEditor(QStringLiteral("Edit all actions as JSON"));
    sheet->setText(parts.model->deckJSONText());
    return sheet;
}

QWidget *actionSheetWithError(GallerySession &)
{
    const Control control = switchWithProblem();
    auto *sheet = new JSONEditor(ControlJSONSheet::title(control));
    sheet->setText(QStringLiteral("{\n  \"id\": \"stream\",\n  \"title\": \"Stream\"\n}"));
    sheet->setError(ControlJSONSheet::invalidPrefix + QStringLiteral("missing key \"type\""));
    return sheet;
}

QWidget *catalogPicker(const QString &search, const QStringList &items)
{
    auto *picker = new CatalogPicker;
    picker->setItems(items);
    picker->setPrompt(QStringLiteral("Search apps"));
    picker->setSelection(items.value(1));
    picker->setBadge([](const QString &name) -> std::optional<QString> {
        return name == QStringLiteral("Files") ? std::optional(QStringLiteral("running"))
                                               : std::nullopt;
    });
    picker->searchField()->setText(search);
    picker->setFixedWidth(pickerWidth);
    return picker;
}

// The icon picker with every symbol at once, not only what its scrolling grid shows.
QWidget *wholeIconPicker(GallerySession &)
{
    auto *picker = new IconPicker(QStringLiteral("fan"));
    auto *scroll = picker->findChild<QScrollArea *>();
    scroll->setFixedHeight(scroll->widget()->sizeHint().height());
    return picker;
}

// Every symbol the icon picker offers, named, at the sizes the editor draws them: to check by eye
// that each picture shows what its name says.
QWidget *namedSymbols(GallerySession &)
{
    constexpr int columns = 6;
    constexpr int largeSide = 32;
    constexpr int smallSide = 16;
    auto *box = new QWidget;
    auto *grid = new QGridLayout(box);
    // Also those the action makers and the ideas give that the picker does not offer.
    const QStringList symbols =
        IconCatalog::symbols() + QStringList{QStringLiteral("hand.tap"), QStringLiteral("switch.2"),
                                             QStringLiteral("sparkles"),
                                             QStringLiteral("app.dashed")};
    for (int i = 0; i < symbols.size(); ++i) {
        auto *cell = new QWidget(box);
        auto *cellLayout = new QVBoxLayout(cell);
        auto *pictures = new QHBoxLayout;
        for (const int side : {largeSide, smallSide}) {
            auto *picture = new QLabel(cell);
            picture->setPixmap(SymbolIcons::icon(symbols.at(i)).pixmap(side, side));
            pictures->addWidget(picture, 0, Qt::AlignBottom);
        }
        pictures->addStretch(1);
        cellLayout->addLayout(pictures);
        cellLayout->addWidget(
            new PlainLabel(symbols.at(i), TextStyle::caption, StatusTone::secondary, cell));
        grid->addWidget(cell, i / columns, i % columns);
    }
    return box;
}

QWidget *chips(GallerySession &)
{
    auto *box = new QWidget;
    auto *layout = new QHBoxLayout(box);
    layout->addWidget(new Chip(QStringLiteral("opens Files"), true, false, box));
    layout->addWidget(new Chip(QStringLiteral("opens Zephyr Writer"), true, true, box));
    layout->addWidget(new Chip(QStringLiteral("readout"), false, true, box));
    auto *open = new Chip(QStringLiteral("every minute"), true, false, box);
    open->setContent([] { return new QWidget; });
    layout->addWidget(open);
    open->click();
    return box;
}

QWidget *results(GallerySession &)
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    for (const ClientTestOutcome &outcome :
         {ClientTestOutcome::action(true, QStringLiteral("hi")),
          ClientTestOutcome::action(true, QString()), ClientTestOutcome::action(false, QString()),
          ClientTestOutcome::action(true,
                                    QStringLiteral("\u001B[31mred\u001B[0m \u202Eevil\u202C done")),
          ClientTestOutcome::statusCheck(true, QStringLiteral("42 GB free")),
          ClientTestOutcome::statusCheck(false, QString()),
          ClientTestOutcome::failed(QStringLiteral("No answer from the host."))})
        layout->addWidget(new TestResultLabel(outcome, box));
    auto *badges = new QHBoxLayout;
    badges->addWidget(new ControlBadge(QStringLiteral("film"), ControlType::button, 40, box));
    badges->addWidget(new ControlBadge(QStringLiteral("fan"), ControlType::toggle, 40, box));
    badges->addWidget(new ControlBadge(std::nullopt, ControlType::metric, 40, box));
    layout->addLayout(badges);
    return box;
}

const GalleryRegistry::Registration pages{
    {editorView, QStringLiteral("connected"), GalleryPass::withoutDiscovery, connectedEditor},
    {editorView, QStringLiteral("view-only"), GalleryPass::withoutDiscovery, viewOnly},
    {editorView, QStringLiteral("not-connected"), GalleryPass::withoutDiscovery, notConnected},
    {editorView, QStringLiteral("host-changed"), GalleryPass::withoutDiscovery, hostChanged},
    {editorView, QStringLiteral("empty-ideas"), GalleryPass::withoutDiscovery, emptyWithIdeas},
    {editorView, QStringLiteral("save-failed"), GalleryPass::withoutDiscovery, saveFailed},
    {editorView, QStringLiteral("many-problems"), GalleryPass::withoutDiscovery, manyProblems},
    {editorView, QStringLiteral("long-title"), GalleryPass::withoutDiscovery, longTitle},
    {editorView, QStringLiteral("hidden-characters"), GalleryPass::withoutDiscovery,
     hiddenCharacters},
    {cardView, QStringLiteral("full-stop-at-edge"), GalleryPass::withoutDiscovery, fullStopAtEdge},
    {cardView, QStringLiteral("button"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) {
         return card(session, buttonWithProblem(),
                     ClientTestOutcome::action(false, QStringLiteral("No shortcut named “”.")),
                     std::nullopt);
     }},
    {cardView, QStringLiteral("switch"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) {
         ControlState on;
         on.id = QStringLiteral("stream");
         on.isOn = true;
         return card(session, switchWithProblem(),
                     ClientTestOutcome::action(true, QStringLiteral("hi")), on);
     }},
    {cardView, QStringLiteral("readout"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) {
         return card(session, readoutWithProblem(),
                     ClientTestOutcome::statusCheck(std::nullopt, QStringLiteral("42G")),
                     std::nullopt);
     }},
    {QStringLiteral("DeckJSONSheet"), QStringLiteral("error"), GalleryPass::withoutDiscovery,
     deckSheetWithError},
    {QStringLiteral("DeckJSONSheet"), QStringLiteral("hidden-characters"),
     GalleryPass::withoutDiscovery, deckSheetWithHiddenCharacters},
    {QStringLiteral("ControlJSONSheet"), QStringLiteral("error"), GalleryPass::withoutDiscovery,
     actionSheetWithError},
    {QStringLiteral("CatalogPicker"), QStringLiteral("picked"), GalleryPass::withoutDiscovery,
     [](GallerySession &) {
         return catalogPicker(QString(), {"Firefox", "Files", "Terminal", "Text Editor"});
     }},
    {QStringLiteral("CatalogPicker"), QStringLiteral("offer"), GalleryPass::withoutDiscovery,
     [](GallerySession &) {
         return catalogPicker(QStringLiteral(" te "), {"Terminal", "Files"});
     }},
    {QStringLiteral("CatalogPicker"), QStringLiteral("empty"), GalleryPass::withoutDiscovery,
     [](GallerySession &) { return catalogPicker(QString(), {}); }},
    {QStringLiteral("IconPicker"), QStringLiteral("picked"), GalleryPass::withoutDiscovery,
     [](GallerySession &) -> QWidget * { return new IconPicker(QStringLiteral("fan")); }},
    {QStringLiteral("IconPicker"), QStringLiteral("all"), GalleryPass::withoutDiscovery,
     wholeIconPicker},
    {QStringLiteral("IconPicker"), QStringLiteral("named"), GalleryPass::withoutDiscovery,
     namedSymbols},
    {QStringLiteral("RenamePopover"), QStringLiteral("default"), GalleryPass::withoutDiscovery,
     [](GallerySession &) -> QWidget * {
         return new RenamePopover(QStringLiteral("Stream"), QStringLiteral("record.circle"));
     }},
    {QStringLiteral("Chip"), QStringLiteral("states"), GalleryPass::withoutDiscovery, chips},
    {QStringLiteral("TestResultLabel"), QStringLiteral("outcomes"), GalleryPass::withoutDiscovery,
     results},
};

} // namespace

} // namespace Quorvel
