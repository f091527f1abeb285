#include "QuorvelCore/Model/ReadoutPreset.h"

namespace Quorvel {

namespace {

// The commands the same presets were written with on a computer that has sysctl and BSD uptime.
QString foreignCommand(ReadoutPreset preset)
{
    switch (preset) {
    case ReadoutPreset::freeDisk:
        return QStringLiteral("df -h / | awk 'NR==2 {print $4}'");
    case ReadoutPreset::uptime:
        return QStringLiteral("uptime | sed -E 's/.*up ([^,]*,[^,]*),.*/\\1/'");
    case ReadoutPreset::load:
        return QStringLiteral("sysctl -n vm.loadavg | awk '{print $2}'");
    }
    return {};
}

} // namespace

QString readoutPresetCommand(ReadoutPreset preset)
{
    switch (preset) {
    case ReadoutPreset::freeDisk:
        return QStringLiteral("df -h / | awk 'NR==2 {print $4}'");
    case ReadoutPreset::uptime:
        return QStringLiteral("uptime -p | sed 's/^up //'");
    case ReadoutPreset::load:
        return QStringLiteral("cut -d ' ' -f 1 /proc/loadavg");
    }
    return {};
}

std::optional<ReadoutPreset> readoutPresetForCommand(const QString &command)
{
    const QString trimmed = command.trimmed();
    for (const ReadoutPreset preset : allReadoutPresets) {
        if (trimmed == readoutPresetCommand(preset) || trimmed == foreignCommand(preset))
            return preset;
    }
    return std::nullopt;
}

} // namespace Quorvel
