#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>

namespace Quorvel {

// Hands a result to a caller on the event loop, unless its context is gone by then.
template<typename T>
inline void deliverToCaller(QObject *context, const std::function<void(T)> &onDone, T value)
{
    QMetaObject::invokeMethod(
        context, [onDone, value = std::move(value)] { onDone(value); }, Qt::QueuedConnection);
}

} // namespace Quorvel
