#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace Quorvel {

// Texts of the deck model compare by Unicode canonical equivalence: the same text typed
// precomposed on one machine and decomposed on another names the same thing.

// The NFC form of a text; canonically equivalent texts give the same result.
QString canonicalText(const QString &text);

bool sameText(const QString &a, const QString &b);
bool sameText(const std::optional<QString> &a, const std::optional<QString> &b);
bool sameTexts(const QStringList &a, const QStringList &b);

// A hash that agrees with sameText: canonically equivalent texts hash alike.
size_t canonicalHash(const QString &text, size_t seed = 0);

} // namespace Quorvel
