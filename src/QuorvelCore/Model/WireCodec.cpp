#include "QuorvelCore/Model/WireCodec.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace Quorvel::WireCodec {

namespace {

// The path of the first non-finite number in json, or none. JSON has no form for infinity or
// NaN, and QJsonDocument would silently write them as null.
std::optional<QString> nonFinitePath(const QJsonValue &json, const QString &path)
{
    if (json.isDouble())
        return std::isfinite(json.toDouble()) ? std::nullopt : std::optional<QString>(path);
    if (json.isArray()) {
        const QJsonArray array = json.toArray();
        for (qsizetype i = 0; i < array.size(); ++i) {
            if (auto found = nonFinitePath(array.at(i), QStringLiteral("%1[%2]").arg(path).arg(i)))
                return found;
        }
    }
    if (json.isObject()) {
        const QJsonObject object = json.toObject();
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            const QString member = path.isEmpty() ? it.key() : path + u'.' + it.key();
            if (auto found = nonFinitePath(it.value(), member))
                return found;
        }
    }
    return std::nullopt;
}

void setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
}

} // namespace

std::optional<QByteArray> Encoder::encodeJson(const QJsonValue &json, QString *error) const
{
    if (!json.isObject() && !json.isArray()) {
        setError(error, QStringLiteral("only an object or an array can be encoded"));
        return std::nullopt;
    }
    if (const std::optional<QString> path = nonFinitePath(json, QString())) {
        setError(error,
                 QStringLiteral("%1: a number that is not finite cannot be encoded").arg(*path));
        return std::nullopt;
    }
    const QJsonDocument document =
        json.isObject() ? QJsonDocument(json.toObject()) : QJsonDocument(json.toArray());
    // QJsonObject keeps its keys sorted, so indented output is also key-sorted at every level.
    QByteArray bytes = document.toJson(m_pretty ? QJsonDocument::Indented : QJsonDocument::Compact);
    // A "/" can only stand inside a string, so escaping every one in the output is exact.
    bytes.replace('/', "\\/");
    return bytes;
}

std::optional<QJsonValue> Decoder::decodeJson(const QByteArray &bytes, QString *error) const
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (document.isNull()) {
        setError(error, QStringLiteral("not valid JSON at offset %1: %2")
                            .arg(parseError.offset)
                            .arg(parseError.errorString()));
        return std::nullopt;
    }
    if (document.isArray())
        return QJsonValue(document.array());
    return QJsonValue(document.object());
}

std::optional<QByteArray> encode(const Message &message, QString *error)
{
    return prettyEncoder(false).encode(message, error);
}

std::optional<Message> decode(const QByteArray &bytes, QString *error)
{
    return decoder().decode<Message>(bytes, error);
}

Encoder prettyEncoder(bool pretty)
{
    return Encoder(pretty);
}

Decoder decoder()
{
    return Decoder();
}

} // namespace Quorvel::WireCodec
