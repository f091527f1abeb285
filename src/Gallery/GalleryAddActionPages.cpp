// The add-action sheet at each of its steps and the popovers behind an action's chips, over a
// scripted link to a host whose catalog offers apps, shortcuts and another app's controls.

#include "Gallery/GalleryRegistry.h"
#include "Gallery/GallerySession.h"
#include "QuorvelClientUI/Editor/ActionMakers.h"
#include "QuorvelClientUI/Editor/AppControlBinding.h"
#include "QuorvelClientUI/Editor/ScriptedEditorClient.h"
#include "QuorvelClientUI/Views/Editor/ActionPopover.h"
#include "QuorvelClientUI/Views/Editor/AddActionSheet.h"
#include "QuorvelClientUI/Views/Editor/AppControlPopover.h"
#include "QuorvelClientUI/Views/Editor/IntervalPopover.h"
#include "QuorvelClientUI/Views/Editor/MetricSourcePopover.h"
#include "QuorvelClientUI/Views/Editor/Popover.h"
#include "QuorvelClientUI/Views/Editor/StatusPopover.h"
#include "QuorvelClientUI/Views/Editor/TypePopover.h"

#include <QFrame>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

const QString sheetView = QStringLiteral("AddActionSheet");
// Tall enough for the tallest step, the review with a result and the switch option.
constexpr int sheetHeight = 640;
constexpr int popoverWidth = 480;

using Item = HostCatalog::AppControls::Item;

HostCatalog catalog()
{
    HostCatalog made;
    made.shortcuts = {QStringLiteral("Morning"), QStringLiteral("Quit Rhythmbox")};
    made.apps = {{QStringLiteral("Firefox ESR"),
                  QStringLiteral("/usr/share/applications/firefox-esr.desktop"),
                  QStringLiteral("firefox-esr.desktop")},
                 {QStringLiteral("Rhythmbox"),
                  QStringLiteral("/usr/share/applications/org.gnome.Rhythmbox3.desktop"),
                  QStringLiteral("org.gnome.Rhythmbox3.desktop")}};
    made.runningApps = {QStringLiteral("Rhythmbox")};
    HostCatalog::AppControls player;
    player.app = QStringLiteral("a.b.Player");
    player.name = QStringLiteral("Player Pro");
    player.isRunning = true;
    player.controls = {
        Item{QStringLiteral("mute"), QStringLiteral("Mute"), QStringLiteral("toggle"),
             QStringLiteral("Sound"), false, std::nullopt, true},
        Item{QStringLiteral("volume"), QStringLiteral("Volume"), QStringLiteral("level"),
             QStringLiteral("Sound"), false, QStringLiteral("42%"), std::nullopt},
        Item{QStringLiteral("skip"), QStringLiteral("Skip"), QStringLiteral("button"), std::nullopt,
             false, std::nullopt, std::nullopt},
        Item{QStringLiteral("peak"), QStringLiteral("Peak"), QStringLiteral("meter"), std::nullopt,
             false, std::nullopt, std::nullopt}};
    HostCatalog::AppControls lamp;
    lamp.app = QStringLiteral("c.d.Lamp");
    lamp.name = QStringLiteral("Desk Lamp");
    made.appControls = {player, lamp};
    return made;
}

ScriptedEditorClient *client(GallerySession &session, bool withCatalog = true)
{
    auto *made = session.keep(std::make_unique<ScriptedEditorClient>());
    made->connectTo(QStringLiteral("Studio"), Deck{QStringLiteral("Desk"), {}});
    if (withCatalog)
        made->setCatalog(catalog());
    made->setTestOutcome(ClientTestOutcome::action(true, QStringLiteral("hi")));
    return made;
}

using Setup = std::function<void(AddActionFlow &)>;

std::function<QWidget *(GallerySession &)>
sheet(Setup setup, std::optional<Control> preset = std::nullopt, bool withCatalog = true)
{
    return [setup, preset, withCatalog](GallerySession &session) -> QWidget * {
        auto *made =
            new AddActionSheet(*client(session, withCatalog), {}, preset, std::nullopt, {});
        setup(made->flow());
        made->resize(AddActionSheet::sheetWidth, sheetHeight);
        return made;
    };
}

// A popover's content as the card shows it: in a framed box with the popover's padding.
QWidget *framed(QWidget *content)
{
    auto *frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(Popover::padding, Popover::padding, Popover::padding,
                               Popover::padding);
    layout->addWidget(content);
    frame->setFixedWidth(popoverWidth + 2 * Popover::padding);
    return frame;
}

// A value kept for the life of the run, edited by a popover.
template<typename T> EditBinding<T> held(GallerySession &session, T value)
{
    auto *kept = session.keep(std::make_unique<T>(std::move(value)));
    return {[kept] { return *kept; }, [kept](const T &next) { *kept = next; }};
}

Action action(Action::Kind kind, const QString &target)
{
    return Action{kind, target, std::nullopt, std::nullopt, std::nullopt};
}

Control shortcutButton()
{
    return shortcutButtonControl(QStringLiteral("Morning"), {});
}

const GalleryRegistry::Registration pages{
    {sheetView, QStringLiteral("step1"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &) {})},
    {sheetView, QStringLiteral("step1-before-catalog"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &) {}, std::nullopt, false)},
    {sheetView, QStringLiteral("app-switch"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &flow) {
         flow.chooseIntent(AddActionFlow::Intent::appSwitch);
         flow.setApp(QStringLiteral("Rhythmbox"));
     })},
    {sheetView, QStringLiteral("app-switch-empty"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &flow) { flow.chooseIntent(AddActionFlow::Intent::appSwitch); })},
    {sheetView, QStringLiteral("app-control"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &flow) {
         flow.chooseIntent(AddActionFlow::Intent::appControl);
         flow.setControlApp(QStringLiteral("a.b.Player"));
         flow.setControlItem(QStringLiteral("mute"));
     })},
    {sheetView, QStringLiteral("shortcut"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &flow) {
         flow.chooseIntent(AddActionFlow::Intent::shortcut);
         flow.setShortcut(QStringLiteral("Morning"));
     })},
    {sheetView, QStringLiteral("command"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &flow) { flow.chooseIntent(AddActionFlow::Intent::command); })},
    {sheetView, QStringLiteral("value"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &flow) { flow.chooseIntent(AddActionFlow::Intent::value); })},
    {sheetView, QStringLiteral("value-command"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &flow) {
         flow.chooseIntent(AddActionFlow::Intent::value);
         flow.setValuePreset(std::nullopt);
         flow.setCustomValue(QStringLiteral("date +%H:%M"));
     })},
    {sheetView, QStringLiteral("review"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &flow) {
         flow.chooseIntent(AddActionFlow::Intent::command);
         flow.setCommand(QStringLiteral("echo hi"));
         flow.continueToReview();
     })},
    {sheetView, QStringLiteral("review-long-command"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &flow) {
         flow.chooseIntent(AddActionFlow::Intent::command);
         flow.setCommand(QStringLiteral("rsync --archive --delete ~/Music/ "
                                        "backup@studio.local:/srv/backups/music/ && notify-send "
                                        "'Music backed up'"));
         flow.continueToReview();
     })},
    // A command of two lines whose first hides a direction override: the step's crumb shows the
    // first line and "…", the description the override's code.
    {sheetView, QStringLiteral("review-hidden-characters"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &flow) {
         flow.chooseIntent(AddActionFlow::Intent::command);
         flow.setCommand(QStringLiteral("echo \u202Elive\u202C\nnotify-send done"));
         flow.continueToReview();
     })},
    {sheetView, QStringLiteral("review-tried"), GalleryPass::withoutDiscovery,
     sheet([](AddActionFlow &flow) {
         flow.chooseIntent(AddActionFlow::Intent::command);
         flow.setCommand(QStringLiteral("echo hi"));
         flow.continueToReview();
         flow.setName(QStringLiteral("Say Hi"));
         flow.tryPart(AddActionFlow::TryPart::action);
     })},
    {sheetView, QStringLiteral("review-switch"), GalleryPass::withoutDiscovery,
     sheet(
         [](AddActionFlow &flow) {
             flow.setMakeSwitch(true);
             flow.setSwitchStatusApp(QStringLiteral("Rhythmbox"));
         },
         shortcutButton())},
    {QStringLiteral("ActionPopover"), QStringLiteral("open-app"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) -> QWidget * {
         return framed(new ActionPopover(
             QStringLiteral("Turning it on…"),
             held(session, action(Action::Kind::app, QStringLiteral("Rhythmbox"))),
             *client(session)));
     }},
    {QStringLiteral("ActionPopover"), QStringLiteral("command"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) -> QWidget * {
         return framed(new ActionPopover(
             QStringLiteral("Pressing it…"),
             held(session, action(Action::Kind::shell, QStringLiteral("echo hi"))),
             *client(session)));
     }},
    {QStringLiteral("ActionPopover"), QStringLiteral("hidden-characters"),
     GalleryPass::withoutDiscovery,
     [](GallerySession &session) -> QWidget * {
         return framed(new ActionPopover(
             QStringLiteral("Pressing it…"),
             held(session, action(Action::Kind::shell, QStringLiteral("echo \u202Elive\u202C"))),
             *client(session)));
     }},
    {QStringLiteral("ActionPopover"), QStringLiteral("app-control"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) -> QWidget * {
         Action bound = action(Action::Kind::appControl, QStringLiteral("a.b.Player"));
         bound.control = QStringLiteral("mute");
         bound.value = QStringLiteral("off");
         return framed(new ActionPopover(QStringLiteral("Pressing it…"), held(session, bound),
                                         *client(session)));
     }},
    {QStringLiteral("StatusPopover"), QStringLiteral("running"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) -> QWidget * {
         return framed(new StatusPopover(
             held(session, StatusCheck{StatusCheck::Kind::processRunning,
                                       QStringLiteral("Rhythmbox"), std::nullopt, std::nullopt}),
             *client(session)));
     }},
    {QStringLiteral("StatusPopover"), QStringLiteral("command"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) -> QWidget * {
         return framed(
             new StatusPopover(held(session, StatusCheck{StatusCheck::Kind::shellExitCode,
                                                         QStringLiteral("pgrep -x sonobus"),
                                                         std::nullopt, std::nullopt}),
                               *client(session)));
     }},
    {QStringLiteral("TypePopover"), QStringLiteral("switch"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) -> QWidget * {
         return framed(new TypePopover(
             held(session, appSwitchControl(QStringLiteral("Rhythmbox"), std::nullopt, {}))));
     }},
    {QStringLiteral("MetricSourcePopover"), QStringLiteral("preset"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) -> QWidget * {
         return framed(new MetricSourcePopover(
             held(session, *presetReadoutControl(ValuePreset::uptime(), {}, {}, 0).statusCheck),
             *client(session)));
     }},
    {QStringLiteral("IntervalPopover"), QStringLiteral("extra"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) -> QWidget * {
         return framed(new IntervalPopover(held(session, std::optional<double>(45))));
     }},
    {QStringLiteral("AppControlPopover"), QStringLiteral("bound"), GalleryPass::withoutDiscovery,
     [](GallerySession &session) -> QWidget * {
         Control control = appSwitchControl(QStringLiteral("Mute"), std::nullopt, {});
         useAppControl(control, QStringLiteral("a.b.Player"), QStringLiteral("mute"),
                       ControlType::toggle);
         return framed(new AppControlPopover(held(session, control), *client(session)));
     }},
    {QStringLiteral("AppControlPopover"), QStringLiteral("no-catalog"),
     GalleryPass::withoutDiscovery,
     [](GallerySession &session) -> QWidget * {
         return framed(new AppControlPopover(
             held(session, appSwitchControl(QStringLiteral("Mute"), std::nullopt, {})),
             *client(session, false)));
     }},
};

} // namespace

} // namespace Quorvel
