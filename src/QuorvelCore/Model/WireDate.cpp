#include "QuorvelCore/Model/WireDate.h"

#include <QRegularExpression>

namespace Quorvel {

namespace {

const QString wireFormat = QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'");

} // namespace

QDateTime wholeSeconds(const QDateTime &date)
{
    if (!date.isValid())
        return date;
    constexpr qint64 msecsPerSecond = 1000;
    const qint64 msecs = date.toMSecsSinceEpoch();
    // The second the date lies in: before 1970 the remainder is negative, and dividing would
    // move the date forward into the next second.
    const qint64 fraction = (msecs % msecsPerSecond + msecsPerSecond) % msecsPerSecond;
    return QDateTime::fromMSecsSinceEpoch(msecs - fraction, Qt::UTC);
}

std::optional<QString> formatWireDate(const QDateTime &date)
{
    if (!date.isValid())
        return std::nullopt;
    const QString text = wholeSeconds(date).toString(wireFormat);
    // Years outside 0 to 9999 have no four-digit form and would not read back.
    if (!parseWireDate(text))
        return std::nullopt;
    return text;
}

std::optional<QDateTime> parseWireDate(const QString &text)
{
    // Anchored to the whole text: "$" alone would also let a trailing line feed through.
    static const QRegularExpression form(QRegularExpression::anchoredPattern(
        QStringLiteral("([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})Z")));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate day(match.captured(1).toInt(), match.captured(2).toInt(),
                    match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(),
                     match.captured(6).toInt());
    if (!day.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(day, time, Qt::UTC);
}

} // namespace Quorvel
