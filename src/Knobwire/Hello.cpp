#include "Knobwire/Hello.h"

#include "Knobwire/Clip.h"
#include "Knobwire/Limits.h"
#include "Knobwire/ProtocolVersion.h"

namespace Knobwire {

Hello Hello::own(const QString &app, const QString &name, const std::optional<QString> &version)
{
    return Hello{.app = clip(app, Limits::maxName),
                 .name = clip(name, Limits::maxName),
                 .version = version ? std::optional(clip(*version, Limits::maxName)) : std::nullopt,
                 .protocolVersion = Knobwire::protocolVersion,
                 .key = std::nullopt};
}

} // namespace Knobwire
