#include "QuorvelClientUI/Editor/ValuePreset.h"

namespace Quorvel {

namespace {

// How often each reading changes enough to be worth running again: free space slowly, the
// load from moment to moment.
constexpr double freeDiskInterval = 60;
constexpr double uptimeInterval = 30;
constexpr double loadInterval = 10;

} // namespace

std::optional<ValuePreset> ValuePreset::fromRawValue(const QString &rawValue)
{
    for (const ReadoutPreset preset : allReadoutPresets) {
        if (ValuePreset(preset).rawValue() == rawValue)
            return ValuePreset(preset);
    }
    return std::nullopt;
}

std::optional<ValuePreset> ValuePreset::fromCommand(const QString &command)
{
    if (const auto preset = readoutPresetForCommand(command))
        return ValuePreset(*preset);
    return std::nullopt;
}

QString ValuePreset::rawValue() const
{
    switch (m_preset) {
    case ReadoutPreset::freeDisk:
        return QStringLiteral("freeDisk");
    case ReadoutPreset::uptime:
        return QStringLiteral("uptime");
    case ReadoutPreset::load:
        return QStringLiteral("load");
    }
    return {};
}

QString ValuePreset::title() const
{
    switch (m_preset) {
    case ReadoutPreset::freeDisk:
        return QStringLiteral("Free disk space");
    case ReadoutPreset::uptime:
        return QStringLiteral("Uptime");
    case ReadoutPreset::load:
        return QStringLiteral("Load average");
    }
    return {};
}

QString ValuePreset::symbol() const
{
    switch (m_preset) {
    case ReadoutPreset::freeDisk:
        return QStringLiteral("internaldrive");
    case ReadoutPreset::uptime:
        return QStringLiteral("clock");
    case ReadoutPreset::load:
        return QStringLiteral("gauge.with.dots.needle.50percent");
    }
    return {};
}

double ValuePreset::interval() const
{
    switch (m_preset) {
    case ReadoutPreset::freeDisk:
        return freeDiskInterval;
    case ReadoutPreset::uptime:
        return uptimeInterval;
    case ReadoutPreset::load:
        return loadInterval;
    }
    return freeDiskInterval;
}

} // namespace Quorvel
