#include "Quorvel/Outside/LinkHandler.h"

#include "Quorvel/Outside/ActionRunner.h"
#include "Quorvel/Outside/LinkApprovals.h"
#include "QuorvelClientUI/ActionLink.h"

#include <QPointer>

namespace Quorvel {

namespace {

QString couldNotRun(const QString &what)
{
    return QStringLiteral("Couldn't run ") + what;
}

} // namespace

LinkHandler::LinkHandler(ActionRunner *runner, LinkApprovals *approvals, LinkNotices *notices,
                         LinkApprovalAsker *asker, QObject *parent)
    : QObject(parent), m_runner(runner), m_approvals(approvals), m_notices(notices), m_asker(asker)
{}

QString LinkHandler::shownUrl(const QString &url)
{
    if (url.size() <= longestShownUrl)
        return url;
    return url.left(longestShownUrl - 1) + QStringLiteral("\u2026");
}

void LinkHandler::handleLink(const QUrl &url, const std::optional<LinkSender> &sender)
{
    const std::optional<ActionLink> link = ActionLink::fromUrl(url);
    if (!link) {
        m_notices->postNotice(QStringLiteral("Quorvel doesn't know this link"),
                              shownUrl(url.toString(QUrl::FullyEncoded)));
        return;
    }
    if (sender && m_approvals->decision(sender->appID) == false) {
        m_notices->postNotice(
            QStringLiteral("Links from ") + sender->name + QStringLiteral(" are turned off"),
            QStringLiteral("Allow them in Quorvel's settings (General → Links)."));
        return;
    }
    const QString waitingHostName = m_runner->hostNameForTexts();
    m_runner->waitForHost(this, [this, link = *link, sender, waitingHostName](bool ready) {
        ClientModel *model = m_runner ? m_runner->model() : nullptr;
        if (!ready || !model || !model->deck()) {
            m_notices->postNotice(couldNotRun(link.action),
                                  QStringLiteral("Couldn't reach ") + waitingHostName +
                                      QStringLiteral(". It may be asleep or turned off, or on a "
                                                     "different network from this computer."));
            return;
        }
        const QString hostName = model->hostInfo() ? model->hostInfo()->hostName : waitingHostName;
        const std::optional<Control> control = link.findControl(*model->deck());
        if (!control) {
            m_notices->postNotice(couldNotRun(link.action),
                                  hostName + QStringLiteral(" has no action called ") +
                                      link.action + u'.');
            return;
        }
        const QString id = control->id;
        const QString title = control->title;
        const ControlType type = control->type;
        const ActionLink::Verb verb = link.verb;
        askToAllow({sender, title, hostName}, [this, id, title, type, verb](bool allowed) {
            if (!allowed)
                return;
            if (type == ControlType::metric) {
                m_notices->postNotice(couldNotRun(title),
                                      QStringLiteral("It's a readout, so there's nothing to run."));
                return;
            }
            if (type == ControlType::button && verb != ActionLink::Verb::run) {
                const QString runLink =
                    ActionLink{ActionLink::Verb::run, id}.url().toString(QUrl::FullyEncoded);
                m_notices->postNotice(
                    couldNotRun(title),
                    QStringLiteral("It's a button, so it can't be turned on or off. Use ") +
                        shownUrl(runLink) + u'.');
                return;
            }
            runFound(id, title, ActionLink::desiredState(verb));
        });
    });
}

void LinkHandler::askToAllow(const ApprovalQuestion &question, std::function<void(bool)> onAnswer)
{
    // An alert is a window of its own and can outlive this handler: a late answer is dropped.
    if (!question.sender) {
        m_asker->ask(question, [self = QPointer<LinkHandler>(this), onAnswer](bool allowed) {
            if (self)
                onAnswer(allowed);
        });
        return;
    }
    const LinkSender sender = *question.sender;
    if (const std::optional<bool> decision = m_approvals->decision(sender.appID)) {
        onAnswer(*decision);
        return;
    }
    // One alert per opener: its further links wait for the same answer.
    auto waiting = m_waitingForAnswer.find(sender.appID);
    if (waiting != m_waitingForAnswer.end()) {
        waiting->append(std::move(onAnswer));
        return;
    }
    m_waitingForAnswer.insert(sender.appID, {std::move(onAnswer)});
    m_asker->ask(question, [self = QPointer<LinkHandler>(this), sender](bool allowed) {
        if (!self)
            return;
        LinkHandler *const handler = self.data();
        handler->m_approvals->record(sender.appID, sender.name, allowed);
        const QList<std::function<void(bool)>> answered =
            handler->m_waitingForAnswer.take(sender.appID);
        for (const std::function<void(bool)> &waiting : answered)
            waiting(allowed);
    });
}

void LinkHandler::runFound(const QString &id, const QString &title,
                           std::optional<bool> desiredState)
{
    if (!m_runner)
        return;
    m_runner->runAction(id, desiredState, this, [this, title](const ActionRunner::Ran &ran) {
        if (ran.error)
            m_notices->postNotice(couldNotRun(title), ran.error->text);
    });
}

} // namespace Quorvel
