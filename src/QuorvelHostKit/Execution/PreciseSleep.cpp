#include "QuorvelHostKit/Execution/PreciseSleep.h"

#include <QTimer>

#include <qcoro/qcorotimer.h>

namespace Quorvel {

QCoro::Task<> preciseSleep(std::chrono::milliseconds duration)
{
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(duration);
    co_await timer;
}

} // namespace Quorvel
