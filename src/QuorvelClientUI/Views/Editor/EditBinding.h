#pragma once

#include <functional>

namespace Quorvel {

// A popover's way into the part of an action it edits: it reads the part as it stands now and
// writes every change straight back, so the card and the editor's working copy follow at once.
template<typename T> struct EditBinding {
    std::function<T()> get;
    std::function<void(const T &)> set;
};

} // namespace Quorvel
