#include "Knobwire/Announcement.h"

#include "Knobwire/Clip.h"
#include "Knobwire/JsonMembers.h"
#include "Knobwire/Limits.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QTextBoundaryFinder>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace Knobwire {

namespace {

// Ports below this belong to system services; a provider's port is one the system chose.
constexpr double lowestPort = 1024;
constexpr double highestPort = std::numeric_limits<quint16>::max();
// A key shorter than this is too easy to guess.
constexpr int minKeyCharacters = 16;

// A received number cut toward zero, when the result fits in a signed 32-bit integer.
std::optional<qint32> truncatedInt32(std::optional<double> number)
{
    if (!number) {
        return std::nullopt;
    }
    const double whole = std::trunc(*number);
    if (!(whole >= std::numeric_limits<qint32>::min() &&
          whole <= std::numeric_limits<qint32>::max())) {
        return std::nullopt;
    }
    return static_cast<qint32>(whole);
}

// Whether the text has at least `count` characters as a reader sees them.
bool hasCharacters(const QString &text, int count)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int seen = 0;
    while (seen < count && finder.toNextBoundary() != -1) {
        ++seen;
    }
    return seen >= count;
}

// A text from another process that is to be used as it stands: clipping must not change it.
bool isClean(const QString &text)
{
    return !text.isEmpty() && clip(text, Limits::maxName) == text;
}

} // namespace

QString Announcement::json() const
{
    QJsonObject object{{u"app"_s, app},
                       {u"name"_s, name},
                       {u"port"_s, int(port)},
                       {u"protocol"_s, protocol},
                       {u"key"_s, key}};
    if (pid) {
        object.insert(u"pid"_s, *pid);
    }
    QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Compact);
    // A slash can only stand inside a JSON string, so escaping every one is exact.
    text.replace("/", "\\/");
    return QString::fromUtf8(text);
}

std::optional<Announcement> Announcement::fromJson(const QString &json)
{
    // Each UTF-16 unit takes at least one UTF-8 byte, so a long text is refused before any
    // conversion or parsing.
    if (json.size() > Limits::maxHelloLine) {
        return std::nullopt;
    }
    const QByteArray bytes = json.toUtf8();
    if (bytes.size() > Limits::maxHelloLine) {
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    const std::optional<QString> app = string("app"_L1, object);
    const std::optional<QString> name = string("name"_L1, object);
    const std::optional<QString> key = string("key"_L1, object);
    const std::optional<double> port = number("port"_L1, object);
    const std::optional<qint32> protocol = truncatedInt32(number("protocol"_L1, object));
    if (!app || !name || !key || !port || !protocol) {
        return std::nullopt;
    }
    const double wholePort = std::trunc(*port);
    if (!(wholePort >= lowestPort && wholePort <= highestPort)) {
        return std::nullopt;
    }
    if (!isClean(*app) || !isClean(*key) || !hasCharacters(*key, minKeyCharacters)) {
        return std::nullopt;
    }
    Announcement announcement;
    announcement.app = *app;
    announcement.name = clip(*name, Limits::maxName);
    if (announcement.name.isEmpty()) {
        announcement.name = *app;
    }
    announcement.port = static_cast<quint16>(wholePort);
    announcement.protocol = *protocol;
    announcement.key = *key;
    announcement.pid = truncatedInt32(number("pid"_L1, object));
    return announcement;
}

} // namespace Knobwire
