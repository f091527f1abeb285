#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <functional>

namespace Quorvel {

// A caller's handler together with the object it answers to (its receiver), held weakly. Whatever
// keeps an answer for later keeps one of these, never the receiver's raw pointer: a window may be
// closed, a script call may end or a model may be torn down before the answer comes, and an
// answer to a receiver that is gone is dropped.
template<typename T> class CallerReply {
public:
    CallerReply(QObject *receiver, std::function<void(T)> onDone)
        : m_receiver(receiver), m_onDone(std::move(onDone))
    {}

    // Hands the value to the caller on the event loop, unless its receiver is gone by then.
    void operator()(T value) const
    {
        if (!m_receiver)
            return;
        // A receiver deleted before the event loop gets there takes the posted call with it.
        QMetaObject::invokeMethod(
            m_receiver.data(), [onDone = m_onDone, value = std::move(value)] { onDone(value); },
            Qt::QueuedConnection);
    }

private:
    QPointer<QObject> m_receiver;
    std::function<void(T)> m_onDone;
};

template<typename T> CallerReply(QObject *, std::function<void(T)>) -> CallerReply<T>;

} // namespace Quorvel
