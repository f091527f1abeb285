#include "Quorvel/AppMenuSections.h"

namespace Quorvel {

AppMenuSections AppMenuSections::forRoles(bool remote, bool hosting, bool hostExists)
{
    return {remote, hosting && hostExists, !remote && !hosting};
}

QString AppMenuSections::connectedLine(const QStringList &names)
{
    if (names.isEmpty())
        return QStringLiteral("No devices connected");
    return QStringLiteral("Connected: ") + names.join(QStringLiteral(", "));
}

} // namespace Quorvel
