#include "Quorvel/Outside/ActionIntentError.h"

#include "QuorvelCore/Link/DeviceText.h"

namespace Quorvel {

ActionIntentError ActionIntentError::notConnected(const QString &hostName)
{
    return {Case::notConnected,
            QStringLiteral("Couldn't reach ") + hostName +
                QStringLiteral(". It may be asleep or turned off, or on a different network from "
                               "this device.")};
}

ActionIntentError ActionIntentError::noSuchAction(const QString &actionID, const QString &hostName)
{
    return {Case::noSuchAction,
            hostName + QStringLiteral(" has no action ") + actionID + QStringLiteral(" any more.")};
}

ActionIntentError ActionIntentError::wrongKind(const QString &title, const QString &reason)
{
    return {Case::wrongKind, title + u' ' + reason + u'.'};
}

ActionIntentError ActionIntentError::failed(const QString &title, const QString &message)
{
    return {Case::failed, title + QStringLiteral(" didn't work: ") + message};
}

std::optional<ActionIntentError> ActionIntentError::unusableID(const QString &actionID)
{
    if (actionID.isEmpty())
        return ActionIntentError{Case::noSuchAction,
                                 QStringLiteral("No action was named: the id is empty.")};
    if (actionID.size() > DeviceText::maxIdLength)
        return ActionIntentError{Case::noSuchAction,
                                 QStringLiteral("No action has an id that long: ids have at most "
                                                "%1 characters.")
                                     .arg(DeviceText::maxIdLength)};
    return std::nullopt;
}

QString ActionIntentError::dbusName() const
{
    QString name;
    switch (kind) {
    case Case::notConnected:
        name = QStringLiteral("NotConnected");
        break;
    case Case::noSuchAction:
        name = QStringLiteral("NoSuchAction");
        break;
    case Case::wrongKind:
        name = QStringLiteral("WrongKind");
        break;
    case Case::failed:
        name = QStringLiteral("Failed");
        break;
    }
    return QStringLiteral("com.vantrel.quorvel.Error.") + name;
}

} // namespace Quorvel
