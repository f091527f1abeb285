#include "QuorvelCore/Link/DeviceText.h"

#include "QuorvelCore/Model/Message.h"

namespace Quorvel::DeviceText {

QString deviceName(const QString &name)
{
    return OutsideText::forShowing(name);
}

std::optional<QString> overlongId(const Message &message)
{
    QString longest;
    const auto consider = [&longest](const QString &id) {
        if (id.size() > maxIdLength && id.size() > longest.size())
            longest = id;
    };
    if (const auto *trigger = message.as<Message::TriggerAction>()) {
        consider(trigger->requestID);
        consider(trigger->controlID);
    } else if (const auto *update = message.as<Message::UpdateDeck>()) {
        consider(update->requestID);
    } else if (const auto *test = message.as<Message::Test>()) {
        consider(test->requestID);
    }
    if (longest.isEmpty())
        return std::nullopt;
    return longest;
}

} // namespace Quorvel::DeviceText
