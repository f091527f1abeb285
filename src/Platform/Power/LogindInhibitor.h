#pragma once

#include "Platform/Power/IdleInhibitor.h"
#include "Platform/Power/InhibitRequest.h"

#include <chrono>
#include <memory>

namespace Quorvel {

// systemd-logind's "idle" inhibitor lock on the system bus. logind holds back automatic suspend
// for as long as the descriptor it hands out stays open; closing it releases the lock. logind
// may take a while to answer, so the call never blocks.
class LogindInhibitor : public IdleInhibitor {
public:
    // logind answers at once; a bus that does not answer must not keep the question open long.
    static constexpr std::chrono::milliseconds callTimeout{2000};

    LogindInhibitor();
    ~LogindInhibitor() override;

    QString name() const override;
    void acquire(const QString &who, const QString &why, Answer answer) override;
    void release() override;

private:
    // The request in flight or holding the lock.
    std::shared_ptr<InhibitRequest> m_request;
};

} // namespace Quorvel
