#pragma once

#include "QuorvelClientUI/Views/RemoteViewRules.h"
#include "QuorvelCore/Discovery/DiscoveredHost.h"

#include <QAbstractButton>

class QLabel;

namespace Quorvel {

class BusyIndicator;
class PlainLabel;

// One found host: its name and a mark of where the connection to it stands. Clicking it asks for
// a connection; its context menu is built by the list.
class HostRow : public QAbstractButton {
    Q_OBJECT
public:
    explicit HostRow(const DiscoveredHost &host, QWidget *parent = nullptr);

    const DiscoveredHost &host() const { return m_host; }
    void setMark(const RemoteViewRules::HostMark &mark);
    const RemoteViewRules::HostMark &mark() const { return m_mark; }
    QString name() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    DiscoveredHost m_host;
    RemoteViewRules::HostMark m_mark;
    PlainLabel *m_name;
    QLabel *m_symbol;
    BusyIndicator *m_spinner;
};

} // namespace Quorvel
