#include "QuorvelCore/Model/WireCodec.h"

#include <QCborValue>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>

namespace Quorvel::WireCodec {

namespace {

// The longest form one UTF-16 unit takes in a JSON string here: "\uXXXX" (UTF-8 needs at most
// three bytes per unit, four for a pair of two).
constexpr qsizetype maxBytesPerUnit = 6;
// The two quotes around a string.
constexpr qsizetype quoteBytes = 2;
// Below this code point a character is a control character and must be escaped.
constexpr char16_t firstPrintable = 0x20;
// The first code points that need two and three UTF-8 bytes.
constexpr char16_t firstTwoByte = 0x80;
constexpr char16_t firstThreeByte = 0x800;
// UTF-8: a lead byte whose tag tells the length, then continuation bytes tagged 10xxxxxx that
// carry six bits each.
constexpr unsigned twoByteLead = 0xc0;
constexpr unsigned threeByteLead = 0xe0;
constexpr unsigned fourByteLead = 0xf0;
constexpr unsigned continuationTag = 0x80;
constexpr unsigned continuationMask = 0x3f;
constexpr int continuationBits = 6;
// "\uXXXX": four lower-case hex digits of four bits each.
constexpr char hexDigits[] = "0123456789abcdef";
constexpr int unitHexDigits = 4;
constexpr int hexDigitBits = 4;
constexpr unsigned hexDigitMask = 0xf;
// Unused room an encoding may keep: the writer reserves for the worst case of escapes, and a
// large encoding kept for long should not hold several times its size.
constexpr qsizetype keptSlack = 64 * 1024;

// ASCII characters that stand for themselves inside a string: every printable one except the
// quote and the backslash, which JSON escapes, and "/", which this codec always escapes.
constexpr std::array<bool, firstTwoByte> plainAscii = [] {
    std::array<bool, firstTwoByte> plain{};
    for (char16_t c = firstPrintable; c < firstTwoByte; ++c)
        plain[c] = c != u'"' && c != u'\\' && c != u'/';
    return plain;
}();

// Most text is plain ASCII: it is checked and copied a block of units at a time, in vector
// registers where the machine has them (GCC and Clang vector extensions).
constexpr qsizetype plainBlock = 8;
using UnitBlock = char16_t __attribute__((vector_size(plainBlock * sizeof(char16_t))));
using ByteBlock = char __attribute__((vector_size(plainBlock)));

// Copies the block at units to cursor as bytes when every unit in it stands for itself.
bool copyPlainBlock(const char16_t *units, char *cursor)
{
    UnitBlock block;
    std::memcpy(&block, units, sizeof block);
    const auto special = (block < firstPrintable) | (block >= firstTwoByte) | (block == u'"') |
                         (block == u'\\') | (block == u'/');
    std::array<quint64, sizeof special / sizeof(quint64)> lanes;
    std::memcpy(lanes.data(), &special, sizeof special);
    for (const quint64 lane : lanes) {
        if (lane != 0)
            return false;
    }
    const ByteBlock bytes = __builtin_convertvector(block, ByteBlock);
    std::memcpy(cursor, &bytes, sizeof bytes);
    return true;
}

char *appendUnitEscape(char *cursor, char16_t unit)
{
    *cursor++ = '\\';
    *cursor++ = 'u';
    for (int digit = unitHexDigits - 1; digit >= 0; --digit)
        *cursor++ = hexDigits[(unit >> (digit * hexDigitBits)) & hexDigitMask];
    return cursor;
}

// The continuation byte that carries the given six-bit group of point, counted from the end.
char continuationByte(char32_t point, int group)
{
    return char(continuationTag | ((point >> (group * continuationBits)) & continuationMask));
}

QByteArray withoutSlack(QByteArray bytes)
{
    if (bytes.capacity() - bytes.size() > keptSlack)
        bytes.squeeze();
    return bytes;
}

char *appendAsciiEscape(char *cursor, char16_t unit)
{
    switch (unit) {
    case u'"':
    case u'\\':
    case u'/':
        *cursor++ = '\\';
        *cursor++ = char(unit);
        return cursor;
    case u'\b':
        *cursor++ = '\\';
        *cursor++ = 'b';
        return cursor;
    case u'\f':
        *cursor++ = '\\';
        *cursor++ = 'f';
        return cursor;
    case u'\n':
        *cursor++ = '\\';
        *cursor++ = 'n';
        return cursor;
    case u'\r':
        *cursor++ = '\\';
        *cursor++ = 'r';
        return cursor;
    case u'\t':
        *cursor++ = '\\';
        *cursor++ = 't';
        return cursor;
    default:
        return appendUnitEscape(cursor, unit);
    }
}

// A JSON string exactly as QJsonDocument writes it (UTF-8, the short escapes, \u00XX for other
// control characters, \uXXXX for a surrogate without its partner) but with every "/" as "\/".
void appendString(QByteArray &out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size() * maxBytesPerUnit + quoteBytes);
    char *const begin = out.data();
    char *cursor = begin + start;
    *cursor++ = '"';
    const char16_t *source = text.utf16();
    const char16_t *const end = source + text.size();
    while (source != end) {
        if (end - source >= plainBlock && copyPlainBlock(source, cursor)) {
            cursor += plainBlock;
            source += plainBlock;
            continue;
        }
        const char16_t unit = *source++;
        if (unit < firstTwoByte) {
            if (plainAscii[unit])
                *cursor++ = char(unit);
            else
                cursor = appendAsciiEscape(cursor, unit);
        } else if (unit < firstThreeByte) {
            *cursor++ = char(twoByteLead | (unit >> continuationBits));
            *cursor++ = continuationByte(unit, 0);
        } else if (!QChar::isSurrogate(unit)) {
            *cursor++ = char(threeByteLead | (unit >> (2 * continuationBits)));
            *cursor++ = continuationByte(unit, 1);
            *cursor++ = continuationByte(unit, 0);
        } else if (QChar::isHighSurrogate(unit) && source != end &&
                   QChar::isLowSurrogate(*source)) {
            const char32_t point = QChar::surrogateToUcs4(unit, *source++);
            *cursor++ = char(fourByteLead | (point >> (3 * continuationBits)));
            *cursor++ = continuationByte(point, 2);
            *cursor++ = continuationByte(point, 1);
            *cursor++ = continuationByte(point, 0);
        } else {
            cursor = appendUnitEscape(cursor, unit);
        }
    }
    *cursor++ = '"';
    out.truncate(cursor - begin);
}

// A number as QJsonDocument writes it: integers in full, other numbers in their shortest exact
// form. False for infinity or NaN, which JSON cannot say (QJsonDocument would write null).
bool appendNumber(QByteArray &out, const QJsonValue &json)
{
    const QCborValue number = QCborValue::fromJsonValue(json);
    if (number.isInteger()) {
        out += QByteArray::number(number.toInteger());
        return true;
    }
    const double value = number.toDouble();
    if (!std::isfinite(value))
        return false;
    out += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    return true;
}

// json as compact text in one pass, the same bytes QJsonDocument::toJson(Compact) gives with
// every "/" escaped; false at the first number that is not finite.
bool appendCompact(QByteArray &out, const QJsonValue &json)
{
    switch (json.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        out += "null";
        return true;
    case QJsonValue::Bool:
        out += json.toBool() ? "true" : "false";
        return true;
    case QJsonValue::Double:
        return appendNumber(out, json);
    case QJsonValue::String:
        appendString(out, json.toString());
        return true;
    case QJsonValue::Array: {
        const QJsonArray array = json.toArray();
        out += '[';
        for (qsizetype i = 0; i < array.size(); ++i) {
            if (i > 0)
                out += ',';
            if (!appendCompact(out, array.at(i)))
                return false;
        }
        out += ']';
        return true;
    }
    case QJsonValue::Object: {
        const QJsonObject object = json.toObject();
        out += '{';
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            if (it != object.constBegin())
                out += ',';
            appendString(out, it.key());
            out += ':';
            if (!appendCompact(out, it.value()))
                return false;
        }
        out += '}';
        return true;
    }
    }
    return false;
}

// Whether json holds a number that is not finite anywhere inside.
bool hasNonFinite(const QJsonValue &json)
{
    switch (json.type()) {
    case QJsonValue::Double:
        return !std::isfinite(json.toDouble());
    case QJsonValue::Array: {
        const QJsonArray array = json.toArray();
        for (const QJsonValue &element : array) {
            if (hasNonFinite(element))
                return true;
        }
        return false;
    }
    case QJsonValue::Object: {
        const QJsonObject object = json.toObject();
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            if (hasNonFinite(it.value()))
                return true;
        }
        return false;
    }
    default:
        return false;
    }
}

// The path of the first non-finite number in json, or none. Only asked once an encode has
// failed, to say where.
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

// Every "/" of bytes as "\/", in one pass and only when there is one. A "/" can only stand
// inside a string of JSON text, so this is exact.
void escapeSlashes(QByteArray &bytes)
{
    const qsizetype first = bytes.indexOf('/');
    if (first < 0)
        return;
    const qsizetype slashes = bytes.count('/');
    const qsizetype oldSize = bytes.size();
    bytes.resize(oldSize + slashes);
    char *const data = bytes.data();
    // From the back, so every byte moves once and before it is overwritten.
    char *to = data + oldSize + slashes;
    for (const char *from = data + oldSize; from != data + first;) {
        const char c = *--from;
        *--to = c;
        if (c == '/')
            *--to = '\\';
    }
}

void setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
}

void setNonFiniteError(QString *error, const QJsonValue &json)
{
    setError(error, QStringLiteral("%1: a number that is not finite cannot be encoded")
                        .arg(nonFinitePath(json, QString()).value_or(QString())));
}

} // namespace

std::optional<QByteArray> Encoder::encodeJson(const QJsonValue &json, QString *error) const
{
    if (!json.isObject() && !json.isArray()) {
        setError(error, QStringLiteral("only an object or an array can be encoded"));
        return std::nullopt;
    }
    if (!m_pretty) {
        QByteArray bytes;
        if (!appendCompact(bytes, json)) {
            setNonFiniteError(error, json);
            return std::nullopt;
        }
        return withoutSlack(std::move(bytes));
    }
    if (hasNonFinite(json)) {
        setNonFiniteError(error, json);
        return std::nullopt;
    }
    const QJsonDocument document =
        json.isObject() ? QJsonDocument(json.toObject()) : QJsonDocument(json.toArray());
    // QJsonObject keeps its keys sorted, so indented output is also key-sorted at every level.
    QByteArray bytes = document.toJson(QJsonDocument::Indented);
    escapeSlashes(bytes);
    return bytes;
}

void CompactObject::insert(const QString &key, const QJsonValue &value)
{
    if (value.isUndefined()) {
        std::erase_if(m_members, [&key](const auto &member) { return member.first == key; });
        return;
    }
    set(key, value);
}

void CompactObject::set(const QString &key, Value value)
{
    for (auto &member : m_members) {
        if (member.first == key) {
            member.second = std::move(value);
            return;
        }
    }
    m_members.emplace_back(key, std::move(value));
}

std::optional<QByteArray> CompactObject::text() const
{
    std::vector<const std::pair<QString, Value> *> ordered;
    ordered.reserve(m_members.size());
    for (const auto &member : m_members)
        ordered.push_back(&member);
    // QJsonObject keeps its keys in UTF-16 order, which is QString's own.
    std::sort(ordered.begin(), ordered.end(),
              [](const auto *a, const auto *b) { return a->first < b->first; });
    QByteArray bytes;
    bytes += '{';
    for (const auto *member : ordered) {
        if (member != ordered.front())
            bytes += ',';
        appendString(bytes, member->first);
        bytes += ':';
        const Value &value = member->second;
        if (const auto *text = std::get_if<QString>(&value))
            appendString(bytes, *text);
        else if (const auto *flag = std::get_if<bool>(&value))
            bytes += *flag ? "true" : "false";
        else if (const auto *integer = std::get_if<qint64>(&value))
            bytes += QByteArray::number(*integer);
        else if (!appendCompact(bytes, std::get<QJsonValue>(value)))
            return std::nullopt;
    }
    bytes += '}';
    return withoutSlack(std::move(bytes));
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
