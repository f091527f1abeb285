#include "Quorvel/Setup/ListenerFailureNotice.h"

#include "Quorvel/Setup/HostSettingsWording.h"
#include "QuorvelHostKit/Service/HostCoordinator.h"
#include "Widgets/PlainLabel.h"
#include "Widgets/SymbolLabel.h"

#include <QVBoxLayout>

namespace Quorvel {

ListenerFailureNotice::ListenerFailureNotice(HostCoordinator *host, QWidget *parent)
    : QWidget(parent), m_host(host),
      m_line(new SymbolLabel(QStringLiteral("xmark.octagon.fill"), QString(), TextStyle::body,
                             StatusTone::red))
{
    m_line->textLabel()->setWrapping();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_line);
    connect(host, &HostCoordinator::listenerStatusChanged, this, &ListenerFailureNotice::refresh);
    refresh();
}

QString ListenerFailureNotice::text() const
{
    return m_failed ? m_line->text() : QString();
}

void ListenerFailureNotice::refresh()
{
    const std::optional<QString> error =
        m_host ? HostSettingsWording::listenerFailure(m_host->listenerStatus()) : std::nullopt;
    m_line->set(m_line->symbol(),
                error ? HostSettingsWording::listenerFailureText(*error) : QString(),
                StatusTone::red);
    setHidden(!error);
    if (m_failed != error.has_value()) {
        m_failed = error.has_value();
        emit failedChanged();
    }
}

} // namespace Quorvel
