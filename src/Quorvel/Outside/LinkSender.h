#pragma once

#include <QString>

namespace Quorvel {

// The application that opened a link: its desktop-entry id and its name.
struct LinkSender {
    QString appID;
    QString name;
    friend bool operator==(const LinkSender &, const LinkSender &) = default;
};

} // namespace Quorvel
