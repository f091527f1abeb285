#pragma once

#include "QuorvelCore/Link/LinkParameters.h"

#include <QTcpServer>

namespace Quorvel {

// The host's TCP listener for one pairing code. It only hands over each accepted descriptor, so
// that its owner applies its own limits before any TLS work starts and no connection waits in
// Qt's own pending queue.
class LinkListener : public QTcpServer {
    Q_OBJECT
public:
    explicit LinkListener(LinkParameters parameters, QObject *parent = nullptr);

    const LinkParameters &parameters() const { return m_parameters; }

signals:
    void accepted(qintptr descriptor);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    LinkParameters m_parameters;
};

} // namespace Quorvel
