#pragma once

#include <QPointer>
#include <QWidget>

namespace Quorvel {

class HostCoordinator;
class SymbolLabel;

// Says that the host's listener failed, with its reason, so a host nobody can reach never looks
// like a working one. Hidden while the listener works.
class ListenerFailureNotice : public QWidget {
    Q_OBJECT

public:
    explicit ListenerFailureNotice(HostCoordinator *host, QWidget *parent = nullptr);

    // The notice; empty while the listener works.
    QString text() const;
    bool failed() const { return m_failed; }

signals:
    void failedChanged();

private:
    void refresh();

    QPointer<HostCoordinator> m_host;
    SymbolLabel *m_line;
    bool m_failed = false;
};

} // namespace Quorvel
