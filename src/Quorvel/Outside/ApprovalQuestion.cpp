#include "Quorvel/Outside/ApprovalQuestion.h"

namespace Quorvel {

namespace {

QString quotedAction(const ApprovalQuestion &question)
{
    return QStringLiteral("\u201C") + question.actionTitle + QStringLiteral("\u201D on ") +
           question.hostName;
}

} // namespace

QString ApprovalQuestion::message() const
{
    if (sender)
        return QStringLiteral("Let ") + sender->name + QStringLiteral(" run your actions?");
    return QStringLiteral("Run ") + quotedAction(*this) + u'?';
}

QString ApprovalQuestion::informativeText() const
{
    if (sender)
        return sender->name + QStringLiteral(" opened a link to run ") + quotedAction(*this) +
               QStringLiteral(".\n\nIf you allow it, ") + sender->name +
               QStringLiteral(" can run any of your actions with links from now on, without "
                              "asking. You can change this in Quorvel's settings.");
    return QStringLiteral("A link asked to run ") + quotedAction(*this) +
           QStringLiteral(", but the desktop didn't say which app opened it, so Quorvel asks each "
                          "time.");
}

QString ApprovalQuestion::yesButton() const
{
    return sender ? QStringLiteral("Allow") : QStringLiteral("Run");
}

QString ApprovalQuestion::noButton() const
{
    return sender ? QStringLiteral("Don't Allow") : QStringLiteral("Don't Run");
}

} // namespace Quorvel
