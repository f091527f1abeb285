#include "QuorvelHostKit/Service/SleepPreventer.h"

#include "Platform/Text/OutsideText.h"
#include "QuorvelHostKit/HostKitLogging.h"

#include <QPointer>

#include <algorithm>

namespace Quorvel {

SleepPreventer::SleepPreventer(std::vector<std::unique_ptr<IdleInhibitor>> inhibitors,
                               QObject *parent)
    : QObject(parent)
{
    for (auto &inhibitor : inhibitors)
        m_slots.push_back(Slot{std::move(inhibitor), State::released, QString()});
}

SleepPreventer::~SleepPreventer()
{
    for (Slot &slot : m_slots)
        slot.inhibitor->release();
}

void SleepPreventer::setActive(bool active)
{
    const bool wasActive = isActive();
    m_wanted = active;
    if (!active) {
        m_toldNoLock = false;
        for (Slot &slot : m_slots) {
            if (slot.state == State::asking || slot.state == State::held)
                slot.inhibitor->release();
            slot.state = State::released;
            slot.refusal.clear();
        }
        if (wasActive)
            emit activeChanged(false);
        return;
    }
    const QPointer<SleepPreventer> self(this);
    for (std::size_t index = 0; index < m_slots.size(); ++index) {
        Slot &slot = m_slots[index];
        if (slot.state == State::asking || slot.state == State::held)
            continue;
        slot.state = State::asking;
        slot.inhibitor->acquire(QString::fromUtf8(who), QString::fromUtf8(reason),
                                [self, index](bool held, const QString &refusal) {
                                    if (self)
                                        self->answered(index, held, refusal);
                                });
    }
    tellIfNoLock();
}

void SleepPreventer::answered(std::size_t index, bool held, const QString &refusal)
{
    Slot &slot = m_slots[index];
    if (slot.state != State::asking)
        return;
    const bool wasActive = isActive();
    slot.state = held ? State::held : State::refused;
    slot.refusal = refusal;
    if (held)
        qCInfo(lcSleepPreventer, "Keeping this computer awake through %s",
               qUtf8Printable(slot.inhibitor->name()));
    if (isActive() != wasActive)
        emit activeChanged(isActive());
    emit answerArrived();

    tellIfNoLock();
}

void SleepPreventer::tellIfNoLock()
{
    const QString why = problem();
    if (!why.isEmpty() && !m_toldNoLock) {
        m_toldNoLock = true;
        qCWarning(lcSleepPreventer, "Keep awake is on, but no lock is held: %s",
                  qUtf8Printable(logText()));
    }
}

QString SleepPreventer::logText() const
{
    if (m_slots.empty())
        return problem();
    // The refusals are the services' own error texts, which may hold anything.
    QStringList reasons;
    for (const Slot &slot : m_slots)
        reasons.append(slot.inhibitor->name() + QStringLiteral(": ") +
                       OutsideText::forLog(slot.refusal));
    return reasons.join(QStringLiteral("; "));
}

QStringList SleepPreventer::heldLocks() const
{
    QStringList names;
    for (const Slot &slot : m_slots) {
        if (slot.state == State::held)
            names.append(slot.inhibitor->name());
    }
    return names;
}

bool SleepPreventer::isAsking() const
{
    return std::any_of(m_slots.cbegin(), m_slots.cend(),
                       [](const Slot &slot) { return slot.state == State::asking; });
}

QString SleepPreventer::problem() const
{
    if (!m_wanted || isActive() || isAsking())
        return QString();
    if (m_slots.empty())
        return QStringLiteral("this system offers no way to stay awake");
    QStringList reasons;
    for (const Slot &slot : m_slots)
        reasons.append(slot.inhibitor->name() + QStringLiteral(": ") + slot.refusal);
    return reasons.join(QStringLiteral("; "));
}

} // namespace Quorvel
