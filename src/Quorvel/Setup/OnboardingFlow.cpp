#include "Quorvel/Setup/OnboardingFlow.h"

#include "Quorvel/AppState.h"

#include <algorithm>

namespace Quorvel {

OnboardingFlow::OnboardingFlow(AppState &app, Finish finish, QObject *parent)
    : QObject(parent), m_app(app), m_finish(std::move(finish)),
      m_wantsHosting(app.roles().hosting()), m_wantsRemote(app.roles().remote())
{
    // The primary button's title follows the running host and the remote flag.
    connect(&app, &AppState::hostChanged, this, &OnboardingFlow::changed);
    connect(&app.roles(), &AppRoles::remoteChanged, this, &OnboardingFlow::changed);
}

QList<OnboardingFlow::Step> OnboardingFlow::steps() const
{
    QList<Step> list{Step::welcome};
    if (m_wantsHosting)
        list.append(Step::host);
    if (m_wantsRemote)
        list.append(Step::remote);
    list.append(Step::done);
    return list;
}

void OnboardingFlow::setWantsHosting(bool on)
{
    if (m_wantsHosting == on)
        return;
    m_wantsHosting = on;
    emit changed();
}

void OnboardingFlow::setWantsRemote(bool on)
{
    if (m_wantsRemote == on)
        return;
    m_wantsRemote = on;
    emit changed();
}

void OnboardingFlow::setStartAtLogin(bool on)
{
    if (m_startAtLogin == on)
        return;
    m_startAtLogin = on;
    emit changed();
}

QString OnboardingFlow::primaryTitle() const
{
    switch (m_step) {
    case Step::welcome:
        return continueTitle;
    case Step::host:
        return m_app.host() ? continueTitle : startHostingTitle;
    case Step::remote:
        return m_app.roles().remote() ? continueTitle : startLookingTitle;
    case Step::done:
        return doneTitle;
    }
    return continueTitle;
}

bool OnboardingFlow::primaryEnabled() const
{
    return m_step != Step::welcome || m_wantsHosting || m_wantsRemote;
}

void OnboardingFlow::pressPrimary()
{
    if (!primaryEnabled())
        return;
    switch (m_step) {
    case Step::welcome:
        continueFromWelcome();
        return;
    case Step::host:
        if (m_app.host())
            move(1);
        else
            startHosting();
        return;
    case Step::remote:
        if (m_app.roles().remote())
            move(1);
        else
            startLooking();
        return;
    case Step::done:
        finishSetup();
        return;
    }
}

void OnboardingFlow::move(int offset)
{
    const QList<Step> list = steps();
    const qsizetype position = list.indexOf(m_step);
    if (position < 0) {
        setStep(Step::welcome);
        return;
    }
    const qsizetype next = std::clamp<qsizetype>(position + offset, 0, list.size() - 1);
    setStep(list.at(next));
}

void OnboardingFlow::continueFromWelcome()
{
    if (!m_wantsHosting && m_app.roles().hosting()) {
        m_app.roles().setHosting(false);
        m_app.applyRoles();
    }
    if (!m_wantsRemote && m_app.roles().remote()) {
        m_app.roles().setRemote(false);
        m_app.applyRoles();
    }
    move(1);
}

void OnboardingFlow::startHosting()
{
    m_app.roles().setHosting(true);
    m_app.applyRoles();
    if (m_startAtLogin && !m_app.startsAtLogin())
        m_app.setStartsAtLogin(true);
    emit changed();
}

void OnboardingFlow::startLooking()
{
    m_app.roles().setRemote(true);
    m_app.applyRoles();
    emit changed();
}

void OnboardingFlow::finishSetup()
{
    m_app.roles().setOnboarded(true);
    if (m_finish)
        m_finish();
}

void OnboardingFlow::setStep(Step step)
{
    if (m_step == step)
        return;
    m_step = step;
    emit changed();
}

} // namespace Quorvel
