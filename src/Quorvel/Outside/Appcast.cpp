#include "Quorvel/Outside/Appcast.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

namespace Quorvel::Appcast {

namespace {

const QString sparkleNamespace =
    QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");
const QString testingChannel = QStringLiteral("testing");

QStringList versionParts(const QString &version)
{
    static const QRegularExpression parts(QStringLiteral("\\d+|[^\\d.\\-+ ]+"));
    QStringList result;
    for (auto it = parts.globalMatch(version); it.hasNext();)
        result.append(it.next().captured());
    return result;
}

bool isNumber(const QString &part)
{
    return !part.isEmpty() && part.front().isDigit();
}

int comparePart(const QString &a, const QString &b)
{
    if (isNumber(a) && isNumber(b)) {
        // Without leading zeros, the longer number is the larger.
        QString x = a, y = b;
        while (x.size() > 1 && x.front() == u'0')
            x.remove(0, 1);
        while (y.size() > 1 && y.front() == u'0')
            y.remove(0, 1);
        if (x.size() != y.size())
            return x.size() < y.size() ? -1 : 1;
        return x.compare(y);
    }
    if (isNumber(a) != isNumber(b))
        return isNumber(a) ? 1 : -1;
    return a.compare(b);
}

} // namespace

int compareVersions(const QString &a, const QString &b)
{
    const QStringList x = versionParts(a);
    const QStringList y = versionParts(b);
    for (qsizetype i = 0; i < std::max(x.size(), y.size()); ++i) {
        if (i >= x.size())
            return isNumber(y.at(i)) ? -1 : 1;
        if (i >= y.size())
            return isNumber(x.at(i)) ? 1 : -1;
        if (const int order = comparePart(x.at(i), y.at(i)); order != 0)
            return order < 0 ? -1 : 1;
    }
    return 0;
}

std::optional<QList<AppcastItem>> parse(const QByteArray &xml)
{
    QList<AppcastItem> items;
    QXmlStreamReader reader(xml);
    std::optional<AppcastItem> item;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QStringView name = reader.name();
            const bool sparkle = reader.namespaceUri() == sparkleNamespace;
            if (name == QLatin1String("item")) {
                item = AppcastItem();
            } else if (!item) {
                continue;
            } else if (name == QLatin1String("title") && !sparkle) {
                item->title = reader.readElementText().trimmed();
            } else if (sparkle && name == QLatin1String("version")) {
                item->version = reader.readElementText().trimmed();
            } else if (sparkle && name == QLatin1String("shortVersionString")) {
                item->displayVersion = reader.readElementText().trimmed();
            } else if (sparkle && name == QLatin1String("channel")) {
                item->channel = reader.readElementText().trimmed();
            } else if (name == QLatin1String("enclosure")) {
                const QXmlStreamAttributes attributes = reader.attributes();
                item->download = QUrl(attributes.value(QStringLiteral("url")).toString().trimmed());
                if (item->version.isEmpty())
                    item->version = attributes.value(sparkleNamespace, QStringLiteral("version"))
                                        .toString()
                                        .trimmed();
                if (item->displayVersion.isEmpty())
                    item->displayVersion =
                        attributes.value(sparkleNamespace, QStringLiteral("shortVersionString"))
                            .toString()
                            .trimmed();
            }
        } else if (reader.isEndElement() && reader.name() == QLatin1String("item") && item) {
            if (item->displayVersion.isEmpty())
                item->displayVersion = item->version;
            if (!item->version.isEmpty() && item->download.isValid())
                items.append(*item);
            item.reset();
        }
    }
    if (reader.hasError())
        return std::nullopt;
    return items;
}

std::optional<AppcastItem> newestUpdate(const QList<AppcastItem> &items, const QString &current,
                                        bool testing)
{
    std::optional<AppcastItem> newest;
    for (const AppcastItem &item : items) {
        if (item.channel && !(testing && *item.channel == testingChannel))
            continue;
        if (item.download.scheme() != QLatin1String("https") || item.download.host().isEmpty())
            continue;
        if (compareVersions(item.version, current) <= 0)
            continue;
        if (!newest || compareVersions(item.version, newest->version) > 0)
            newest = item;
    }
    return newest;
}

} // namespace Quorvel::Appcast
