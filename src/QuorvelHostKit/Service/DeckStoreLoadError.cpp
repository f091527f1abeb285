#include "QuorvelHostKit/Service/DeckStoreLoadError.h"

namespace Quorvel::DeckStore {

LoadError::LoadError(Kind kind, QString text, QStringList problems)
    : m_kind(kind), m_text(std::move(text)), m_problems(std::move(problems))
{}

LoadError LoadError::unreadable(const QString &text)
{
    return LoadError(Kind::unreadable, text, {});
}

LoadError LoadError::invalidJSON(const QString &text)
{
    return LoadError(Kind::invalidJSON, text, {});
}

LoadError LoadError::invalidDeck(const QStringList &problems)
{
    return LoadError(Kind::invalidDeck, {}, problems);
}

QString LoadError::errorDescription() const
{
    switch (m_kind) {
    case Kind::unreadable:
        return QStringLiteral("can't read deck.json: ") + m_text;
    case Kind::invalidJSON:
        return QStringLiteral("deck.json isn't valid: ") + m_text;
    case Kind::invalidDeck:
        return m_problems.join(QStringLiteral("; "));
    }
    return {};
}

} // namespace Quorvel::DeckStore
