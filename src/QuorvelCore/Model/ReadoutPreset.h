#pragma once

#include <QString>

#include <array>
#include <optional>

namespace Quorvel {

// The three ready-made readouts. Their commands are what a readout's shell_output check runs on
// this platform; the commands an older deck may hold for the same readings are still recognised,
// so such a deck is shown and edited as the preset it was made from.
enum class ReadoutPreset { freeDisk, uptime, load };

inline constexpr std::array<ReadoutPreset, 3> allReadoutPresets{
    ReadoutPreset::freeDisk, ReadoutPreset::uptime, ReadoutPreset::load};

// The command written into a deck for the preset, byte for byte.
QString readoutPresetCommand(ReadoutPreset preset);

// The preset whose command this is, after trimming white space and line breaks at both ends.
// Any other difference (one more space inside) is no preset. The command a deck written
// elsewhere holds for the same preset is accepted too.
std::optional<ReadoutPreset> readoutPresetForCommand(const QString &command);

} // namespace Quorvel
