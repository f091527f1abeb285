#include "Quorvel/Setup/ActivitySettings.h"

#include "Quorvel/AppState.h"
#include "Quorvel/Setup/ActivityRow.h"
#include "Quorvel/Setup/NotHosting.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "Widgets/EmptyState.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace Quorvel {

namespace {

QWidget *nothingYet()
{
    return new EmptyState(QStringLiteral("list.bullet.rectangle"), QStringLiteral("Nothing yet"),
                          QStringLiteral("Actions your devices run on this computer, and devices "
                                         "connecting or being turned away, show up here."));
}

} // namespace

ActivitySettings::ActivitySettings(AppState &app, QWidget *parent)
    : QWidget(parent), m_app(app), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    connect(&app, &AppState::hostChanged, this, &ActivitySettings::rebuild);
    rebuild();
}

void ActivitySettings::rebuild()
{
    if (m_content) {
        m_layout->removeWidget(m_content);
        m_content->hide();
        m_content->deleteLater();
    }
    m_notHosting = nullptr;
    m_nothingYet = false;
    m_rows.clear();
    if (m_host != m_app.host()) {
        if (m_host)
            disconnect(m_host, nullptr, this, nullptr);
        m_host = m_app.host();
        if (m_host)
            connect(m_host, &HostCoordinator::activityChanged, this, &ActivitySettings::rebuild);
    }
    if (!m_host) {
        m_notHosting = new NotHosting(m_app);
        m_content = m_notHosting;
    } else if (m_host->activity().isEmpty()) {
        m_nothingYet = true;
        m_content = nothingYet();
    } else {
        auto *list = new QWidget;
        auto *rows = new QVBoxLayout(list);
        for (const HostActivity &entry : m_host->activity()) {
            auto *row = new ActivityRow(entry);
            rows->addWidget(row);
            m_rows.append(row);
        }
        rows->addStretch(1);
        auto *scroll = new QScrollArea;
        scroll->setWidgetResizable(true);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setWidget(list);
        m_content = scroll;
    }
    m_layout->addWidget(m_content);
}

} // namespace Quorvel
