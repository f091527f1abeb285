#include "QuorvelClientUI/Editor/ControlID.h"

#include "QuorvelCore/Model/CanonicalText.h"

#include <QTextBoundaryFinder>

namespace Quorvel {

namespace {

const QString fallbackBase = QStringLiteral("control");
// Numbering of a taken id starts here: the bare base is the first.
constexpr int firstNumber = 2;

// A user-perceived character counts as a letter or a number by its first code point, so a
// letter with combining marks stays one letter.
bool isLetterOrNumber(const QString &character)
{
    if (character.isEmpty())
        return false;
    return QChar::isLetterOrNumber(character.toUcs4().constFirst());
}

QString collapsedBase(const QString &title)
{
    const QString lower = title.toLower();
    QString base;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, lower);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        const QString character = lower.mid(start, end - start);
        start = end;
        if (isLetterOrNumber(character))
            base += character;
        else if (!base.endsWith(u'_'))
            base += u'_';
    }
    while (base.startsWith(u'_'))
        base.remove(0, 1);
    while (base.endsWith(u'_'))
        base.chop(1);
    return base.isEmpty() ? fallbackBase : base;
}

} // namespace

QString makeControlID(const QString &title, const QSet<QString> &taken)
{
    QSet<QString> canonicalTaken;
    for (const QString &id : taken)
        canonicalTaken.insert(canonicalText(id));
    const auto isTaken = [&canonicalTaken](const QString &id) {
        return canonicalTaken.contains(canonicalText(id));
    };
    const QString base = collapsedBase(title);
    if (!isTaken(base))
        return base;
    for (qint64 number = firstNumber;; ++number) {
        const QString candidate = base + u'_' + QString::number(number);
        if (!isTaken(candidate))
            return candidate;
    }
}

} // namespace Quorvel
