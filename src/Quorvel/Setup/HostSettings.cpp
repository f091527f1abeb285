#include "Quorvel/Setup/HostSettings.h"

#include "Quorvel/AppState.h"
#include "Quorvel/Setup/HostSettingsWording.h"
#include "Quorvel/Setup/KeepAwakeSwitch.h"
#include "Quorvel/Setup/ListenerFailureNotice.h"
#include "Quorvel/Setup/LocalEditorButton.h"
#include "Quorvel/Setup/NotHosting.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "QuorvelHostKit/Views/DeckEditingView.h"
#include "QuorvelHostKit/Views/PairingCodeView.h"
#include "Widgets/ElidedField.h"
#include "Widgets/PlainLabel.h"

#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QTextDocument>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

// The connected devices take at most two lines.
constexpr int connectedLines = 2;

} // namespace

HostSettings::HostSettings(AppState &app, ShowInFiles showInFiles, QWidget *parent)
    : QWidget(parent), m_app(app), m_showInFilesAction(std::move(showInFiles)),
      m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    connect(&app, &AppState::hostChanged, this, &HostSettings::rebuild);
    rebuild();
}

QString HostSettings::connectedText() const
{
    return m_connected ? m_connected->text() : QString();
}

QString HostSettings::savedInText() const
{
    return m_savedIn ? m_savedIn->fullText() : QString();
}

void HostSettings::rebuild()
{
    if (m_content) {
        m_layout->removeWidget(m_content);
        m_content->hide();
        m_content->deleteLater();
    }
    m_notHosting = nullptr;
    m_connected = nullptr;
    m_keepAwake = nullptr;
    m_listenerFailure = nullptr;
    m_localEditor = nullptr;
    m_savedIn = nullptr;
    m_showInFiles = nullptr;
    m_host = m_app.host();
    if (!m_host) {
        m_notHosting = new NotHosting(m_app);
        m_content = m_notHosting;
        m_layout->addWidget(m_content);
        return;
    }
    HostCoordinator *host = m_host;

    auto *form = new QWidget;
    auto *layout = new QVBoxLayout(form);

    m_listenerFailure = new ListenerFailureNotice(host);
    layout->addWidget(m_listenerFailure);

    auto *status = new QGroupBox(QStringLiteral("Status"));
    auto *statusLayout = new QFormLayout(status);
    m_connected = new PlainLabel(QString(), TextStyle::body, StatusTone::secondary);
    m_connected->setWrapping(connectedLines);
    statusLayout->addRow(QStringLiteral("Connected"), m_connected);
    layout->addWidget(status);
    connect(host, &HostCoordinator::connectedClientsChanged, this, &HostSettings::refreshConnected);
    refreshConnected();

    auto *awake = new QGroupBox;
    auto *awakeLayout = new QVBoxLayout(awake);
    m_keepAwake = new KeepAwakeSwitch(host, QStringLiteral("Keep this computer awake"));
    awakeLayout->addWidget(m_keepAwake);
    auto *awakeFooter = new PlainLabel(QStringLiteral("A sleeping computer can't run actions. This "
                                                      "stops it sleeping by itself; the display "
                                                      "still turns off, and closing a laptop's "
                                                      "lid still puts it to sleep."),
                                       TextStyle::caption, StatusTone::secondary);
    awakeFooter->setWrapping();
    awakeLayout->addWidget(awakeFooter);
    layout->addWidget(awake);

    auto *pairing = new QGroupBox(QStringLiteral("Pairing"));
    auto *pairingLayout = new QVBoxLayout(pairing);
    pairingLayout->addWidget(new PairingCodeView(host));
    layout->addWidget(pairing);

    auto *actions = new QGroupBox(QStringLiteral("Actions"));
    auto *actionsLayout = new QVBoxLayout(actions);
    m_localEditor = new LocalEditorButton(m_app, host);
    actionsLayout->addWidget(m_localEditor);
    actionsLayout->addWidget(new DeckEditingView(host));
    auto *savedRow = new QHBoxLayout;
    savedRow->addWidget(new PlainLabel(QStringLiteral("Saved in"), TextStyle::body));
    m_savedIn = new ElidedField(
        HostSettingsWording::savedInText(host->deckURL().toLocalFile(), QDir::homePath()),
        TextStyle::body, StatusTone::secondary, Qt::ElideMiddle);
    m_savedIn->setToolTip(Qt::convertFromPlainText(host->deckURL().toLocalFile()));
    savedRow->addWidget(m_savedIn, 1);
    m_showInFiles = new QPushButton(QStringLiteral("Show in Files"));
    connect(m_showInFiles, &QPushButton::clicked, this, [this] {
        // Read again: the deck file's place is the host's to know.
        if (m_host && m_showInFilesAction)
            m_showInFilesAction(m_host->deckURL().toLocalFile());
    });
    savedRow->addWidget(m_showInFiles);
    actionsLayout->addLayout(savedRow);
    layout->addWidget(actions);
    layout->addStretch(1);

    auto *scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFrameShape(QFrame::NoFrame);
    // Its controls take the focus and scroll it into view: as a stop of its own it showed nothing.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidget(form);
    m_content = scroll;
    m_layout->addWidget(m_content);
}

void HostSettings::refreshConnected()
{
    if (m_host && m_connected)
        m_connected->setText(HostSettingsWording::connectedText(m_host->connectedClientNames()));
}

} // namespace Quorvel
