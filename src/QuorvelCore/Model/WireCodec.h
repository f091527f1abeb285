#pragma once

#include "QuorvelCore/Model/Message.h"
#include "QuorvelCore/Model/ServiceType.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <cstddef>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace Quorvel::WireCodec {

// Writes JSON the way the host link and the host's files share: every "/" escaped as "\/",
// dates as "yyyy-MM-ddTHH:mm:ssZ" (the records' own toJson), and a non-finite number anywhere
// fails the whole encode instead of turning into null.
class Encoder {
public:
    explicit Encoder(bool pretty) : m_pretty(pretty) {}

    // An object or an array; other values fail.
    std::optional<QByteArray> encodeJson(const QJsonValue &json, QString *error = nullptr) const;

    // Any record with toJson().
    template<typename T>
    std::optional<QByteArray> encode(const T &value, QString *error = nullptr) const
    {
        return encodeJson(QJsonValue(value.toJson()), error);
    }

    bool isPretty() const { return m_pretty; }

private:
    bool m_pretty;
};

// The compact text of one object given member by member, for a record that writes itself
// without building a QJsonObject first: the same bytes Encoder(false) writes for the object
// those inserts would make (keys in QJsonObject's order, a later insert replacing an earlier).
class CompactObject {
public:
    // Room for this many members is made at once; link messages have at most six.
    static constexpr std::size_t usualMembers = 8;

    CompactObject() { m_members.reserve(usualMembers); }

    void insert(const QString &key, const QString &value) { set(key, value); }
    void insert(const QString &key, bool value) { set(key, value); }
    void insert(const QString &key, qint64 value) { set(key, value); }
    // An object, an array or a number; undefined removes the key, as in a QJsonObject.
    void insert(const QString &key, const QJsonValue &value);

    // The text; nothing when a number inside is not finite.
    std::optional<QByteArray> text() const;

private:
    using Value = std::variant<QString, bool, qint64, QJsonValue>;
    void set(const QString &key, Value value);

    std::vector<std::pair<QString, Value>> m_members;
};

// Reads JSON text into the records of the host link and the host's files.
class Decoder {
public:
    // The top-level object or array; fails on anything that is not valid JSON text.
    std::optional<QJsonValue> decodeJson(const QByteArray &bytes, QString *error = nullptr) const;

    // Any record with a static fromJson(const QJsonValue &, QString *).
    template<typename T>
    std::optional<T> decode(const QByteArray &bytes, QString *error = nullptr) const
    {
        const std::optional<QJsonValue> json = decodeJson(bytes, error);
        if (!json)
            return std::nullopt;
        return T::fromJson(*json, error);
    }
};

// One message as compact JSON bytes, the same as encoding message.toJson() but written straight
// from its members (defined beside them, in Message.cpp).
std::optional<QByteArray> encode(const Message &message, QString *error = nullptr);
// One message from JSON bytes; fails as a whole.
std::optional<Message> decode(const QByteArray &bytes, QString *error = nullptr);

// A new encoder: pretty means indented with keys sorted at every level (files, copied text);
// otherwise compact.
Encoder prettyEncoder(bool pretty);
Decoder decoder();

} // namespace Quorvel::WireCodec
