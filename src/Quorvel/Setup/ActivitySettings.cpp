#include "Quorvel/Setup/ActivitySettings.h"

#include "Quorvel/AppState.h"
#include "Quorvel/Setup/ActivityRow.h"
#include "Quorvel/Setup/NotHosting.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "Widgets/EmptyState.h"

#include <QScrollArea>
#include <QScrollBar>
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
    m_scroll = nullptr;
    m_rowsLayout = nullptr;
    m_anchor = nullptr;
    if (m_host != m_app.host()) {
        if (m_host)
            disconnect(m_host, nullptr, this, nullptr);
        m_host = m_app.host();
        if (m_host)
            connect(m_host, &HostCoordinator::activityChanged, this,
                    &ActivitySettings::activityChanged);
    }
    if (!m_host) {
        m_notHosting = new NotHosting(m_app);
        m_content = m_notHosting;
    } else if (m_host->activity().isEmpty()) {
        m_nothingYet = true;
        m_content = nothingYet();
    } else {
        auto *list = new QWidget;
        m_rowsLayout = new QVBoxLayout(list);
        m_rowsLayout->addStretch(1);
        m_scroll = new QScrollArea;
        m_scroll->setWidgetResizable(true);
        m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_scroll->setWidget(list);
        QScrollBar *bar = m_scroll->verticalScrollBar();
        // The list grows after its rows change, once its layout has run.
        connect(bar, &QScrollBar::rangeChanged, this, &ActivitySettings::keepAnchorInPlace);
        // The reader moved on: where they are now is theirs.
        connect(bar, &QScrollBar::actionTriggered, this, [this] { m_anchor = nullptr; });
        m_content = m_scroll;
        updateRows();
    }
    m_layout->addWidget(m_content);
}

void ActivitySettings::activityChanged()
{
    const bool showsList = m_rowsLayout != nullptr;
    if (showsList != (m_host && !m_host->activity().isEmpty())) {
        rebuild();
        return;
    }
    if (showsList)
        updateRows();
}

void ActivitySettings::updateRows()
{
    QScrollBar *bar = m_scroll->verticalScrollBar();
    m_anchor = nullptr;
    if (bar->value() > 0) {
        for (ActivityRow *row : std::as_const(m_rows)) {
            if (row->geometry().bottom() >= bar->value()) {
                m_anchor = row;
                m_anchorOffset = row->y() - bar->value();
                break;
            }
        }
    }

    QHash<QUuid, ActivityRow *> kept;
    for (ActivityRow *row : std::as_const(m_rows))
        kept.insert(row->entryID(), row);
    QList<ActivityRow *> rows;
    for (const HostActivity &entry : m_host->activity()) {
        ActivityRow *row = kept.take(entry.id);
        rows.append(row ? row : new ActivityRow(entry));
    }
    for (ActivityRow *gone : std::as_const(kept)) {
        if (gone == m_anchor)
            m_anchor = nullptr;
        m_rowsLayout->removeWidget(gone);
        gone->hide();
        gone->deleteLater();
    }
    for (qsizetype index = 0; index < rows.size(); ++index) {
        ActivityRow *row = rows.at(index);
        if (m_rowsLayout->indexOf(row) == index)
            continue;
        m_rowsLayout->removeWidget(row);
        m_rowsLayout->insertWidget(int(index), row);
    }
    m_rows = rows;
    keepAnchorInPlace();
}

void ActivitySettings::keepAnchorInPlace()
{
    if (!m_anchor || !m_scroll)
        return;
    m_scroll->widget()->layout()->activate();
    m_scroll->verticalScrollBar()->setValue(m_anchor->y() - m_anchorOffset);
}

} // namespace Quorvel
