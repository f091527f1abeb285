#include "Quorvel/Setup/KeepAwakeSwitch.h"

#include "Quorvel/Setup/HostSettingsWording.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolLabel.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace Quorvel {

KeepAwakeSwitch::KeepAwakeSwitch(HostCoordinator *host, const QString &title, QWidget *parent)
    : QWidget(parent), m_host(host), m_box(new QCheckBox(title)),
      m_warning(new SymbolLabel(QStringLiteral("exclamationmark.triangle.fill"), QString(),
                                TextStyle::caption, StatusTone::orange))
{
    m_warning->textLabel()->setWrapping();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_box);
    layout->addWidget(m_warning);
    connect(m_box, &QCheckBox::toggled, this, [this](bool on) {
        if (m_host)
            m_host->setKeepsAwake(on);
    });
    connect(host, &HostCoordinator::keepsAwakeChanged, this, &KeepAwakeSwitch::refresh);
    connect(host, &HostCoordinator::awakeLockHeldChanged, this, &KeepAwakeSwitch::refresh);
    connect(host, &HostCoordinator::runningChanged, this, &KeepAwakeSwitch::refresh);
    connect(host, &HostCoordinator::awakeLockProblemChanged, this, &KeepAwakeSwitch::refresh);
    refresh();
}

QString KeepAwakeSwitch::warningText() const
{
    return m_warning->text();
}

void KeepAwakeSwitch::refresh()
{
    if (!m_host)
        return;
    const QSignalBlocker blocker(m_box);
    m_box->setChecked(m_host->keepsAwake());
    const QString warning = HostSettingsWording::keepAwakeWarning(*m_host);
    m_warning->set(m_warning->symbol(), warning, StatusTone::orange);
    m_warning->setHidden(warning.isEmpty());
}

} // namespace Quorvel
