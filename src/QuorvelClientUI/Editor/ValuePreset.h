#pragma once

#include "QuorvelCore/Model/ReadoutPreset.h"

#include <QHashFunctions>
#include <QString>

#include <array>
#include <optional>

namespace Quorvel {

// One of the ready-made readouts as the editor offers it: its title, symbol and refresh
// interval beside the command the host runs for it.
class ValuePreset {
public:
    explicit ValuePreset(ReadoutPreset preset) : m_preset(preset) {}

    static ValuePreset freeDisk() { return ValuePreset(ReadoutPreset::freeDisk); }
    static ValuePreset uptime() { return ValuePreset(ReadoutPreset::uptime); }
    static ValuePreset load() { return ValuePreset(ReadoutPreset::load); }

    // Every preset, in the order they are offered.
    static std::array<ValuePreset, 3> all() { return {freeDisk(), uptime(), load()}; }

    // "freeDisk", "uptime" and "load" exactly.
    static std::optional<ValuePreset> fromRawValue(const QString &rawValue);
    // The preset whose command this is, after trimming white space and line breaks at both
    // ends; also the command an older deck holds for it.
    static std::optional<ValuePreset> fromCommand(const QString &command);

    ReadoutPreset preset() const { return m_preset; }
    QString rawValue() const;
    QString id() const { return rawValue(); }
    QString title() const;
    QString command() const { return readoutPresetCommand(m_preset); }
    QString symbol() const;
    // Seconds between two readings.
    double interval() const;

    friend bool operator==(const ValuePreset &, const ValuePreset &) = default;

private:
    ReadoutPreset m_preset;
};

inline size_t qHash(const ValuePreset &preset, size_t seed = 0)
{
    return ::qHash(static_cast<int>(preset.preset()), seed);
}

} // namespace Quorvel
