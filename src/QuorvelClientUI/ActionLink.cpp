#include "QuorvelClientUI/ActionLink.h"

#include <QStringList>

namespace Quorvel {

namespace {

// One item of a query: "state" alone has no value at all, "state=" an empty one.
struct QueryItem {
    QString name;
    std::optional<QString> value;
};

QList<QueryItem> queryItems(const QUrl &url)
{
    QList<QueryItem> items;
    if (!url.hasQuery())
        return items;
    const QString query = url.query(QUrl::FullyEncoded);
    for (const QString &part : query.split(u'&')) {
        const qsizetype equals = part.indexOf(u'=');
        QueryItem item;
        item.name = QUrl::fromPercentEncoding(part.left(equals).toUtf8());
        if (equals >= 0)
            item.value = QUrl::fromPercentEncoding(part.mid(equals + 1).toUtf8());
        items.append(item);
    }
    return items;
}

QString trimmedSlashes(const QString &path)
{
    qsizetype start = 0;
    qsizetype end = path.size();
    while (start < end && path.at(start) == u'/')
        ++start;
    while (end > start && path.at(end - 1) == u'/')
        --end;
    return path.mid(start, end - start);
}

// The verb that a run link's state value asks for; none for a value outside the six known.
std::optional<ActionLink::Verb> verbForState(const QString &value)
{
    const QString lowered = value.toLower();
    if (lowered == u"on" || lowered == u"true" || lowered == u"1")
        return ActionLink::Verb::on;
    if (lowered == u"off" || lowered == u"false" || lowered == u"0")
        return ActionLink::Verb::off;
    return std::nullopt;
}

} // namespace

std::optional<bool> ActionLink::desiredState(Verb verb)
{
    switch (verb) {
    case Verb::run:
        return std::nullopt;
    case Verb::on:
        return true;
    case Verb::off:
        return false;
    }
    return std::nullopt;
}

std::optional<ActionLink> ActionLink::fromUrl(const QUrl &url)
{
    if (!url.isValid() || url.scheme().toLower() != scheme)
        return std::nullopt;
    const QString host = url.host(QUrl::FullyDecoded).toLower();
    if (host.isEmpty())
        return std::nullopt;
    std::optional<Verb> verb;
    for (Verb candidate : allCases<Verb>()) {
        if (rawValue(candidate) == host)
            verb = candidate;
    }
    if (!verb)
        return std::nullopt;
    const QString id = trimmedSlashes(url.path(QUrl::FullyDecoded));
    if (id.isEmpty() || id.contains(u'/'))
        return std::nullopt;
    if (*verb == Verb::run) {
        for (const QueryItem &item : queryItems(url)) {
            if (item.name != u"state")
                continue;
            if (item.value) {
                verb = verbForState(*item.value);
                if (!verb)
                    return std::nullopt;
            }
            break;
        }
    }
    return ActionLink{*verb, id};
}

QUrl ActionLink::url() const
{
    QUrl url;
    url.setScheme(scheme);
    url.setHost(rawValue(verb));
    url.setPath(u'/' + action, QUrl::DecodedMode);
    return url;
}

std::optional<Control> ActionLink::findControl(const Deck &deck) const
{
    if (std::optional<Control> byID = deck.control(action))
        return byID;
    for (const Control &control : deck.controls) {
        if (control.title.compare(action, Qt::CaseInsensitive) == 0)
            return control;
    }
    return std::nullopt;
}

QList<ActionLink::Offer> ActionLink::links(const Control &control)
{
    switch (control.type) {
    case ControlType::button:
        return {{QStringLiteral("Run"), {Verb::run, control.id}}};
    case ControlType::toggle:
        return {{QStringLiteral("Turn On"), {Verb::on, control.id}},
                {QStringLiteral("Turn Off"), {Verb::off, control.id}},
                {QStringLiteral("Flip"), {Verb::run, control.id}}};
    case ControlType::metric:
        return {};
    }
    return {};
}

} // namespace Quorvel
