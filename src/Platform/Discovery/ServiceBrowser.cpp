#include "Platform/Discovery/ServiceBrowser.h"

namespace Quorvel {

void ServiceBrowser::dispose(ServiceBrowser *&browser, QObject *receiver)
{
    if (!browser) {
        return;
    }
    browser->disconnect(receiver);
    browser->setParent(nullptr);
    browser->deleteLater();
    browser = nullptr;
}

} // namespace Quorvel
