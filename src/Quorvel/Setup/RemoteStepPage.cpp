#include "Quorvel/Setup/RemoteStepPage.h"

#include "Quorvel/AppState.h"
#include "Quorvel/Setup/LocalNetworkExplainer.h"
#include "Quorvel/Setup/StepHeader.h"
#include "Quorvel/Setup/WelcomePage.h"
#include "QuorvelClientUI/ClientModel.h"
#include "QuorvelClientUI/Views/HostListView.h"
#include "QuorvelClientUI/Views/PairingView.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolLabel.h"

#include <QGroupBox>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int pageSpacing = 16;
constexpr int boxSpacing = 10;
constexpr int boxPadding = 6;

} // namespace

std::optional<QString> RemoteStepPage::deckSentence(std::optional<int> actionCount)
{
    if (!actionCount)
        return std::nullopt;
    if (*actionCount == 0)
        return QStringLiteral("It has no actions yet.");
    if (*actionCount == 1)
        return QStringLiteral("Its 1 action is in the Quorvel menu.");
    return QStringLiteral("Its %1 actions are in the Quorvel menu.").arg(*actionCount);
}

RemoteStepPage::RemoteStepPage(AppState &app, QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(pageSpacing);
    layout->addWidget(
        new StepHeader(QStringLiteral("dot.radiowaves.left.and.right"), WelcomePage::remoteTitle));

    if (!app.roles().remote()) {
        auto *text = new PlainLabel(QStringLiteral("Quorvel looks for computers on your local "
                                                   "network that are set up to be controlled, "
                                                   "and shows their actions in the system tray. "
                                                   "Each one asks for its pairing code the first "
                                                   "time."),
                                    TextStyle::body);
        text->setWrapping();
        layout->addWidget(text);
        layout->addWidget(
            new LocalNetworkExplainer(QStringLiteral("it's how Quorvel finds your other "
                                                     "computers")));
        layout->addStretch(1);
        return;
    }

    ClientModel &model = app.model();
    auto *box = new QGroupBox;
    auto *boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(boxPadding, boxPadding, boxPadding, boxPadding);
    boxLayout->setSpacing(boxSpacing);
    const ClientConnectionStatus &status = model.status();
    switch (status.kind()) {
    case ClientConnectionStatus::Kind::needsPairing:
        m_pairing = new PairingView(&model);
        boxLayout->addWidget(m_pairing);
        break;
    case ClientConnectionStatus::Kind::connected: {
        m_connected = new SymbolLabel(QStringLiteral("checkmark.circle.fill"),
                                      QStringLiteral("Connected to ") + status.host()->name,
                                      TextStyle::body, StatusTone::green);
        boxLayout->addWidget(m_connected);
        const std::optional<QString> line = deckSentence(
            model.deck() ? std::optional<int>(int(model.deck()->controls.size())) : std::nullopt);
        if (line) {
            m_deckLine = *line;
            boxLayout->addWidget(new PlainLabel(*line, TextStyle::caption, StatusTone::secondary));
        }
        break;
    }
    case ClientConnectionStatus::Kind::connecting:
    case ClientConnectionStatus::Kind::failed:
    case ClientConnectionStatus::Kind::idle:
        boxLayout->addWidget(new HostListView(&model));
        break;
    }
    layout->addWidget(box);
    auto *hint = new PlainLabel(QStringLiteral("Don't see your computer? Install Quorvel on it and "
                                               "choose “Let your devices control this computer.” "
                                               "You can also skip this and pick a host from the "
                                               "menu later."),
                                TextStyle::caption, StatusTone::secondary);
    hint->setWrapping();
    layout->addWidget(hint);
    layout->addStretch(1);
}

} // namespace Quorvel
