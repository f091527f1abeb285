#include "QuorvelCore/Link/LinkListener.h"

#include <utility>

namespace Quorvel {

LinkListener::LinkListener(LinkParameters parameters, QObject *parent)
    : QTcpServer(parent), m_parameters(std::move(parameters))
{}

void LinkListener::incomingConnection(qintptr descriptor)
{
    emit accepted(descriptor);
}

} // namespace Quorvel
