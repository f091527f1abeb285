#pragma once

#include "QuorvelCore/Discovery/DiscoveredHost.h"
#include "QuorvelCore/Model/Deck.h"

#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <optional>

namespace Quorvel::ClientTest {

// host-runner in a process of its own with deck editing allowed: its deck file, and its data and
// settings in one private folder.
class RunnerHost {
public:
    // A host process under the sanitizers starts, notices a file and answers within this.
    static constexpr int limitMs = 20000;

    // Puts what the host should find into its folder before it starts; false when that fails.
    using Preparation = std::function<bool(const RunnerHost &)>;

    explicit RunnerHost(const Deck &deck, const Preparation &prepare = {});
    ~RunnerHost();
    RunnerHost(const RunnerHost &) = delete;
    RunnerHost &operator=(const RunnerHost &) = delete;

    // The host as a browser would list it; none when the runner announced no port.
    std::optional<DiscoveredHost> listing();

    const QString &deckPath() const { return m_deckPath; }
    QString home() const;
    QString filePath(const QString &name) const;
    // Writes the deck file as another program would, underneath the host.
    bool writeDeck(const Deck &deck) const;
    std::optional<Deck> readDeck() const;
    int historyCopies() const;
    // Changes the host's setting as its user would, while it runs.
    void turnEditingOff() const;
    // Makes the host silent, or lets it answer again.
    void pause();
    void resume();

private:
    void signal(int number);

    QTemporaryDir m_dir;
    QString m_deckPath;
    bool m_ready = false;
    QProcess m_process;
};

} // namespace Quorvel::ClientTest
