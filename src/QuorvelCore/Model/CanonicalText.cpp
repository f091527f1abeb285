#include "QuorvelCore/Model/CanonicalText.h"

#include <QHash>

#include <algorithm>

namespace Quorvel {

QString canonicalText(const QString &text)
{
    return text.normalized(QString::NormalizationForm_C);
}

bool sameText(const QString &a, const QString &b)
{
    return a == b || canonicalText(a) == canonicalText(b);
}

bool sameText(const std::optional<QString> &a, const std::optional<QString> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || sameText(*a, *b);
}

bool sameTexts(const QStringList &a, const QStringList &b)
{
    return a.size() == b.size() &&
           std::equal(a.cbegin(), a.cend(), b.cbegin(),
                      [](const QString &x, const QString &y) { return sameText(x, y); });
}

size_t canonicalHash(const QString &text, size_t seed)
{
    return qHash(canonicalText(text), seed);
}

} // namespace Quorvel
