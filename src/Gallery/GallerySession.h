#pragma once

#include "Gallery/GalleryHost.h"
#include "QuorvelClientUI/ClientTimings.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Quorvel {

class ClientModel;

// What one page needs to reach its state: real hosts and models kept alive until the page is
// drawn, and waits on their state with a limit (never a fixed pause).
class GallerySession {
public:
    // The longest a page waits for a state; a real link on loopback takes well under a second.
    static constexpr int defaultLimitMs = 20000;

    GallerySession() = default;
    ~GallerySession();
    GallerySession(const GallerySession &) = delete;
    GallerySession &operator=(const GallerySession &) = delete;

    // Keeps the object until the page ends; later objects go first.
    template<typename T> T *keep(std::unique_ptr<T> object)
    {
        T *raw = object.get();
        m_kept.push_back(std::shared_ptr<T>(std::move(object)));
        return raw;
    }
    // Processes events until the condition holds; false when the limit passed first.
    bool waitFor(const std::function<bool()> &condition, int limitMs = defaultLimitMs);

    // A host serving the deck, listening; null when it could not listen.
    GalleryHost *startHost(const Deck &deck,
                           const std::optional<QString> &environmentCode = std::nullopt);
    // A remote model with short waits, so pages reach their state quickly.
    ClientModel *makeModel(const QString &clientName, bool persistent = false,
                           ClientTimings timings = quickTimings());
    // Types the host's code into the model and waits until its deck has arrived.
    bool pair(ClientModel *model, GalleryHost *host);

    static ClientTimings quickTimings();

    // Drops everything kept, newest first.
    void endPage();

private:
    std::vector<std::shared_ptr<void>> m_kept;
};

} // namespace Quorvel
