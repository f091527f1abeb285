#include "QuorvelCore/Model/JsonReader.h"

#include "QuorvelCore/Model/WireDate.h"

namespace Quorvel {

JsonReader::JsonReader(const QJsonValue &json, QString *error) : m_error(error)
{
    if (!json.isObject()) {
        fail(QStringLiteral("expected an object"));
        return;
    }
    m_object = json.toObject();
}

void JsonReader::fail(const QString &message)
{
    if (m_failed)
        return;
    m_failed = true;
    if (m_error)
        *m_error = message;
}

void JsonReader::failAt(const QString &key, const QString &message)
{
    // Nested failures read as a path: "controls[1]: type: missing".
    fail(key + QStringLiteral(": ") + message);
}

void JsonReader::failType(const QString &key, const QString &expected)
{
    failAt(key, QStringLiteral("expected %1").arg(expected));
}

QJsonValue JsonReader::present(const QString &key) const
{
    if (m_failed)
        return QJsonValue(QJsonValue::Undefined);
    // Not const, so that the value is returned without another copy.
    QJsonValue value = m_object.value(key);
    if (value.isNull())
        return QJsonValue(QJsonValue::Undefined);
    return value;
}

QJsonValue JsonReader::required(const QString &key)
{
    if (m_failed)
        return QJsonValue(QJsonValue::Undefined);
    QJsonValue value = present(key);
    if (value.isUndefined())
        failAt(key, QStringLiteral("missing"));
    return value;
}

QString JsonReader::requiredString(const QString &key)
{
    // One lookup: the member found is the one optionalString would read.
    const QJsonValue value = required(key);
    if (value.isUndefined())
        return {};
    if (!value.isString()) {
        failType(key, QStringLiteral("a string"));
        return {};
    }
    return value.toString();
}

std::optional<QString> JsonReader::optionalString(const QString &key)
{
    const QJsonValue value = present(key);
    if (value.isUndefined())
        return std::nullopt;
    if (!value.isString()) {
        failType(key, QStringLiteral("a string"));
        return std::nullopt;
    }
    return value.toString();
}

bool JsonReader::requiredBool(const QString &key)
{
    const QJsonValue value = required(key);
    if (value.isUndefined())
        return false;
    if (!value.isBool()) {
        failType(key, QStringLiteral("true or false"));
        return false;
    }
    return value.toBool();
}

std::optional<bool> JsonReader::optionalBool(const QString &key)
{
    const QJsonValue value = present(key);
    if (value.isUndefined())
        return std::nullopt;
    if (!value.isBool()) {
        failType(key, QStringLiteral("true or false"));
        return std::nullopt;
    }
    return value.toBool();
}

std::optional<double> JsonReader::optionalDouble(const QString &key)
{
    const QJsonValue value = present(key);
    if (value.isUndefined())
        return std::nullopt;
    if (!value.isDouble()) {
        failType(key, QStringLiteral("a number"));
        return std::nullopt;
    }
    return value.toDouble();
}

std::optional<qint64> JsonReader::optionalInteger(const QString &key)
{
    const QJsonValue value = present(key);
    if (value.isUndefined())
        return std::nullopt;
    // toInteger() answers only for a number without fraction within 64 bits; two different
    // defaults tell its answer from the default.
    const qint64 integer = value.toInteger(0);
    if (!value.isDouble() || integer != value.toInteger(1)) {
        failType(key, QStringLiteral("an integer"));
        return std::nullopt;
    }
    return integer;
}

QDateTime JsonReader::requiredDate(const QString &key)
{
    const QString text = requiredString(key);
    if (!ok())
        return {};
    const std::optional<QDateTime> date = parseWireDate(text);
    if (!date) {
        failType(key, QStringLiteral("a date of the form yyyy-MM-ddTHH:mm:ssZ"));
        return {};
    }
    return *date;
}

std::optional<QStringList> JsonReader::optionalStringList(const QString &key)
{
    const QJsonValue value = present(key);
    if (value.isUndefined())
        return std::nullopt;
    if (!value.isArray()) {
        failType(key, QStringLiteral("an array of strings"));
        return std::nullopt;
    }
    QStringList result;
    const QJsonArray array = value.toArray();
    result.reserve(array.size());
    for (const QJsonValue &element : array) {
        if (!element.isString()) {
            failType(key, QStringLiteral("an array of strings"));
            return std::nullopt;
        }
        result.append(element.toString());
    }
    return result;
}

QStringList JsonReader::requiredStringList(const QString &key)
{
    if (required(key).isUndefined())
        return {};
    return optionalStringList(key).value_or(QStringList());
}

} // namespace Quorvel
