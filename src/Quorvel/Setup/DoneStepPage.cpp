#include "Quorvel/Setup/DoneStepPage.h"

#include "Quorvel/AppState.h"
#include "Quorvel/Setup/LocalEditorButton.h"
#include "Quorvel/Setup/MarkTile.h"
#include "Quorvel/Setup/StepHeader.h"
#include "QuorvelClientUI/ClientModel.h"
#include "Widgets/PlainLabel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

constexpr int pageSpacing = 18;
constexpr int rowSpacing = 10;
constexpr int nextSpacing = 6;
constexpr int buttonGap = 4;

} // namespace

QString DoneStepPage::whereText(bool trayAvailable)
{
    if (trayAvailable) {
        return QStringLiteral("Quorvel lives in the system tray. Click its icon to run actions "
                              "and change settings.");
    }
    return QStringLiteral("Your desktop shows no system tray, so Quorvel's window opens each "
                          "time you launch Quorvel. On GNOME, install the AppIndicator extension "
                          "(package gnome-shell-extension-appindicator) and turn it on in "
                          "Extensions to keep Quorvel in the tray.");
}

DoneStepPage::DoneStepPage(AppState &app, bool trayAvailable, QWidget *parent)
    : QWidget(parent), m_where(new PlainLabel(whereText(trayAvailable), TextStyle::body))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(pageSpacing);
    layout->addWidget(
        new StepHeader(QStringLiteral("checkmark.seal"), QStringLiteral("You're all set")));

    auto *where = new QHBoxLayout;
    where->setSpacing(rowSpacing);
    auto *mark = new MarkTile;
    mark->setObjectName(QStringLiteral("markTile"));
    where->addWidget(mark, 0, Qt::AlignTop);
    m_where->setWrapping();
    where->addWidget(m_where, 1);
    layout->addLayout(where);

    if (HostCoordinator *host = app.host()) {
        auto *next = new QVBoxLayout;
        next->setSpacing(nextSpacing);
        next->addWidget(new PlainLabel(QStringLiteral("Next, choose what this computer can do."),
                                       TextStyle::headline));
        auto *hint = new PlainLabel(QStringLiteral("Add actions like “Lock screen,” “Run a "
                                                   "shortcut” or “Open an app” for your devices "
                                                   "to use."),
                                    TextStyle::body, StatusTone::secondary);
        hint->setWrapping();
        next->addWidget(hint);
        next->addSpacing(buttonGap);
        m_localEditor = new LocalEditorButton(app, host);
        next->addWidget(m_localEditor);
        layout->addLayout(next);
    }

    const ClientModel &model = app.model();
    if (app.roles().remote() && model.canEditDeck() &&
        model.status().kind() == ClientConnectionStatus::Kind::connected) {
        m_remoteEditor = new QPushButton(QStringLiteral("Edit ") + model.status().host()->name +
                                         QStringLiteral("'s Actions…"));
        m_remoteEditor->setAutoDefault(false);
        connect(m_remoteEditor, &QPushButton::clicked, &app, &AppState::openDeckEditor);
        auto *row = new QHBoxLayout;
        row->addWidget(m_remoteEditor);
        row->addStretch(1);
        layout->addLayout(row);
    }

    layout->addStretch(1);
    layout->addWidget(new PlainLabel(QStringLiteral("You can run this setup again from Settings: "
                                                    "Set Up Quorvel…"),
                                     TextStyle::caption, StatusTone::secondary));
}

QString DoneStepPage::whereText() const
{
    return m_where->text();
}

} // namespace Quorvel
