#include "QuorvelHostKit/Service/HostActivity.h"

#include <QList>
#include <QTextBoundaryFinder>

namespace Quorvel {

namespace {

bool isControlOrFormat(char32_t scalar)
{
    const auto category = QChar::category(scalar);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

// Only ordinary spaces (category Zs) and tabs count as ends to trim; line and paragraph
// separators are left alone. Every such character lies in the BMP, so UTF-16 units suffice.
bool isTrimmable(QChar unit)
{
    return unit == QLatin1Char('\t') || unit.category() == QChar::Separator_Space;
}

QString controlsToSpaces(const QString &text)
{
    QList<uint> scalars = text.toUcs4();
    for (uint &scalar : scalars) {
        if (isControlOrFormat(scalar)) {
            scalar = U' ';
        }
    }
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(scalars.constData()),
                             scalars.size());
}

QString trimEnds(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmable(text.at(begin))) {
        ++begin;
    }
    while (end > begin && isTrimmable(text.at(end - 1))) {
        --end;
    }
    return text.mid(begin, end - begin);
}

} // namespace

HostActivity HostActivity::make(const QString &device, const QString &summary, Outcome outcome,
                                const std::optional<QString> &detail)
{
    std::optional<QString> clippedDetail;
    if (detail) {
        clippedDetail = clip(*detail, detailLimit);
    }
    return HostActivity{QUuid::createUuid(),
                        QDateTime::currentDateTimeUtc(),
                        clip(device, deviceLimit),
                        summary,
                        outcome,
                        clippedDetail};
}

QString HostActivity::clip(const QString &text, int limit)
{
    const QString cleaned = trimEnds(controlsToSpaces(text));
    if (limit <= 0) {
        return cleaned.isEmpty() ? cleaned : QString(QChar(0x2026));
    }
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, cleaned);
    int count = 0;
    while (graphemes.toNextBoundary() != -1) {
        ++count;
        if (count == limit) {
            const auto cut = graphemes.position();
            if (cut < cleaned.size()) {
                return cleaned.left(cut) + QChar(0x2026);
            }
            return cleaned;
        }
    }
    return cleaned;
}

QString HostActivity::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::ok:
        return QStringLiteral("ok");
    case Outcome::failed:
        return QStringLiteral("failed");
    case Outcome::info:
        return QStringLiteral("info");
    }
    return {};
}

} // namespace Quorvel
