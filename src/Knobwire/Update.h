#pragma once

#include <QString>

#include <optional>

namespace Knobwire {

// A provider's change of some fields of one control.
struct Update {
    // Absent leaves the text, an inner absent (null) clears it, a text sets it.
    using TextChange = std::optional<std::optional<QString>>;

    bool isEmpty() const { return !value && !text && !on && !name; }

    friend bool operator==(const Update &, const Update &) = default;

    QString id{};
    std::optional<double> value{};
    TextChange text{};
    std::optional<bool> on{};
    std::optional<QString> name{};
};

} // namespace Knobwire
