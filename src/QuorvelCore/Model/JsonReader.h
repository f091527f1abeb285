#pragma once

#include "QuorvelCore/Model/RawEnum.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace Quorvel {

// Strict reading of one JSON object into a record. The first failure is kept and every later
// read becomes a no-op, so a decoder reads its keys in order and checks ok() once at the end.
// A missing or null optional key reads as absent; a present key of the wrong JSON type fails
// like a missing required one. Booleans and numbers never stand in for each other.
class JsonReader {
public:
    // Fails at once when json is not an object.
    JsonReader(const QJsonValue &json, QString *error);

    bool ok() const { return !m_failed; }
    // Records an error of the caller's own (for example a reading rule of the record).
    void fail(const QString &message);

    QString requiredString(const QString &key);
    std::optional<QString> optionalString(const QString &key);
    bool requiredBool(const QString &key);
    std::optional<bool> optionalBool(const QString &key);
    std::optional<double> optionalDouble(const QString &key);
    // An integer: a JSON number with no fraction within the signed 64-bit range.
    std::optional<qint64> optionalInteger(const QString &key);
    QDateTime requiredDate(const QString &key);
    // A list of strings; missing or null gives nothing, which the caller may default.
    std::optional<QStringList> optionalStringList(const QString &key);
    QStringList requiredStringList(const QString &key);

    template<typename E> E requiredEnum(const QString &key)
    {
        const QString raw = requiredString(key);
        if (!ok())
            return E{};
        const std::optional<E> value = fromRawValue<E>(raw);
        if (!value) {
            failAt(key, QStringLiteral("\"%1\" is not a known value").arg(raw));
            return E{};
        }
        return *value;
    }

    template<typename T> std::optional<T> optionalRecord(const QString &key)
    {
        const QJsonValue json = present(key);
        if (json.isUndefined())
            return std::nullopt;
        return readRecord<T>(key, json);
    }

    template<typename T> T requiredRecord(const QString &key)
    {
        const QJsonValue json = required(key);
        if (json.isUndefined())
            return T{};
        return readRecord<T>(key, json).value_or(T{});
    }

    // A list of records; missing or null gives nothing, which the caller may default.
    template<typename T> std::optional<std::vector<T>> optionalRecordList(const QString &key)
    {
        const QJsonValue json = present(key);
        if (json.isUndefined())
            return std::nullopt;
        if (!json.isArray()) {
            failType(key, QStringLiteral("an array"));
            return std::nullopt;
        }
        const QJsonArray array = json.toArray();
        std::vector<T> result;
        result.reserve(array.size());
        for (qsizetype i = 0; i < array.size(); ++i) {
            const QString path = QStringLiteral("%1[%2]").arg(key).arg(i);
            std::optional<T> element = readRecord<T>(path, array.at(i));
            if (!element)
                return std::nullopt;
            result.push_back(std::move(*element));
        }
        return result;
    }

    template<typename T> std::vector<T> requiredRecordList(const QString &key)
    {
        if (required(key).isUndefined())
            return {};
        return optionalRecordList<T>(key).value_or(std::vector<T>{});
    }

private:
    // The member, or undefined after a failure or when it is missing or null.
    QJsonValue present(const QString &key) const;
    // The member, or undefined after recording that it is missing.
    QJsonValue required(const QString &key);
    void failAt(const QString &key, const QString &message);
    void failType(const QString &key, const QString &expected);

    template<typename T> std::optional<T> readRecord(const QString &path, const QJsonValue &json)
    {
        QString nested;
        std::optional<T> record = T::fromJson(json, &nested);
        if (!record)
            failAt(path, nested);
        return record;
    }

    QJsonObject m_object;
    QString *m_error;
    bool m_failed = false;
};

} // namespace Quorvel
