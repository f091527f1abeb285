#pragma once

#include <QString>
#include <QStringList>

namespace Quorvel::DeckStore {

// Why deck bytes were not taken; its description is what the host shows and logs for a bad
// deck file.
class LoadError {
public:
    enum class Kind { unreadable, invalidJSON, invalidDeck };

    // The file exists but could not be read; text is the system's reason.
    static LoadError unreadable(const QString &text);
    // The bytes do not decode as a deck; text says what and where.
    static LoadError invalidJSON(const QString &text);
    // The deck decodes but breaks the deck rules; problems in the rules' order.
    static LoadError invalidDeck(const QStringList &problems);

    Kind kind() const { return m_kind; }
    const QString &text() const { return m_text; }
    const QStringList &problems() const { return m_problems; }

    QString errorDescription() const;

    friend bool operator==(const LoadError &, const LoadError &) = default;

private:
    LoadError(Kind kind, QString text, QStringList problems);

    Kind m_kind;
    QString m_text;
    QStringList m_problems;
};

} // namespace Quorvel::DeckStore
