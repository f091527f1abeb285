#include "Quorvel/Setup/LocalEditorButton.h"

#include "Quorvel/AppState.h"
#include "Quorvel/Setup/HostSettingsWording.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "Widgets/PlainLabel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace Quorvel {

LocalEditorButton::LocalEditorButton(AppState &app, HostCoordinator *host, QWidget *parent)
    : QWidget(parent), m_app(app), m_host(host), m_button(new QPushButton(title)),
      m_reason(new PlainLabel(QString(), TextStyle::caption, StatusTone::secondary))
{
    m_button->setAutoDefault(false);
    m_reason->setWrapping();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout;
    row->addWidget(m_button);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addWidget(m_reason);
    connect(m_button, &QPushButton::clicked, this, [this] {
        if (m_host && HostSettingsWording::editUnavailableReason(*m_host).isEmpty())
            m_app.openLocalEditor();
    });
    connect(host, &HostCoordinator::listenerStatusChanged, this, &LocalEditorButton::refresh);
    refresh();
}

QString LocalEditorButton::reasonText() const
{
    return m_reason->text();
}

void LocalEditorButton::refresh()
{
    const QString reason = m_host ? HostSettingsWording::editUnavailableReason(*m_host) : QString();
    m_button->setEnabled(reason.isEmpty());
    m_button->setToolTip(reason);
    m_reason->setText(reason);
    m_reason->setHidden(reason.isEmpty());
}

} // namespace Quorvel
