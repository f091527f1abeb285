#pragma once

#include "Quorvel/Outside/ApprovalQuestion.h"
#include "Quorvel/Outside/LinkSender.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace Quorvel {

class ActionRunner;
class LinkApprovals;

// Tells the user how a link ended, as one desktop notification.
class LinkNotices {
public:
    virtual ~LinkNotices() = default;
    virtual void postNotice(const QString &title, const QString &body) = 0;
};

// Shows the approval alert and answers once the user chose.
class LinkApprovalAsker {
public:
    virtual ~LinkApprovalAsker() = default;
    virtual void ask(const ApprovalQuestion &question, std::function<void(bool)> onAnswer) = 0;
};

// The road of one opened "quorvel://" link: parse it, honour the opener's stored answer, wait for
// the host, find the action, ask when needed, check its kind against the verb and run it; every
// failure ends in one notice.
class LinkHandler : public QObject {
    Q_OBJECT
public:
    // Longer URLs are shortened in notices, so one odd link cannot fill the screen.
    static constexpr qsizetype longestShownUrl = 200;

    LinkHandler(ActionRunner *runner, LinkApprovals *approvals, LinkNotices *notices,
                LinkApprovalAsker *asker, QObject *parent = nullptr);

    // Handles one link; several may be in flight at once.
    void handleLink(const QUrl &url, const std::optional<LinkSender> &sender);

    // The URL as shown in a notice: at most longestShownUrl characters.
    static QString shownUrl(const QString &url);

private:
    void askToAllow(const ApprovalQuestion &question, std::function<void(bool)> onAnswer);
    void runFound(const QString &id, const QString &title, std::optional<bool> desiredState);

    // Asked again when the host is ready, which may be after the runner went.
    QPointer<ActionRunner> m_runner;
    LinkApprovals *m_approvals;
    LinkNotices *m_notices;
    LinkApprovalAsker *m_asker;
    // Links of an opener whose alert is open wait here for its answer.
    QHash<QString, QList<std::function<void(bool)>>> m_waitingForAnswer;
};

} // namespace Quorvel
