#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <functional>

namespace Quorvel {

// Hands a result to a caller on the event loop, unless its context is gone by then. A caller
// answered later than the call keeps its context as a QPointer from the start: the caller may be
// destroyed while it waits, and a bare pointer to it would then name freed memory (or the next
// object built in the same place, which would get the answer).
template<typename T>
inline void deliverToCaller(const QPointer<QObject> &context, const std::function<void(T)> &onDone,
                            T value)
{
    if (!context)
        return;
    QMetaObject::invokeMethod(
        context, [onDone, value = std::move(value)] { onDone(value); }, Qt::QueuedConnection);
}

} // namespace Quorvel
