#include "Platform/Files/IniValueText.h"

#include <QDataStream>
#include <QDateTime>
#include <QIODevice>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringDecoder>
#include <QStringList>

namespace Quorvel::IniValueText {

namespace {

constexpr char upperHexDigits[] = "0123456789ABCDEF";
constexpr int hexBase = 16;
constexpr int hexDigitBits = 4;
constexpr int octalDigitBits = 3;
// Characters up to here become "%XX" in keys; above it "%UXXXX".
constexpr char16_t lastTwoDigitKeyCharacter = 0xFF;
constexpr char16_t lastControlCharacter = 0x1F;
// DEL and above, escaped in the texts that stand for bytes.
constexpr char16_t firstNonAsciiCharacter = 0x7F;
// The QDataStream versions Qt's settings files use: date-times in the form of Qt 5.6 (which
// keeps the time zone), everything else in that of Qt 4.0.
constexpr QDataStream::Version dateTimeStreamVersion = QDataStream::Qt_5_6;
constexpr QDataStream::Version variantStreamVersion = QDataStream::Qt_4_0;

const QLatin1String byteArrayPrefix("@ByteArray(");
const QLatin1String stringPrefix("@String(");
const QLatin1String variantPrefix("@Variant(");
const QLatin1String dateTimePrefix("@DateTime(");
const QLatin1String rectPrefix("@Rect(");
const QLatin1String sizePrefix("@Size(");
const QLatin1String pointPrefix("@Point(");
const QLatin1String invalidText("@Invalid()");

bool isHexDigit(char16_t character)
{
    return (character >= '0' && character <= '9') || (character >= 'a' && character <= 'f') ||
           (character >= 'A' && character <= 'F');
}

int hexValue(char character)
{
    if (character >= '0' && character <= '9')
        return character - '0';
    if (character >= 'a' && character <= 'f')
        return character - 'a' + 10;
    if (character >= 'A' && character <= 'F')
        return character - 'A' + 10;
    return -1;
}

int octalValue(char character)
{
    return character >= '0' && character <= '7' ? character - '0' : -1;
}

bool isBlank(QChar character)
{
    return character == u' ' || character == u'\t';
}

QString streamedText(const QVariant &value)
{
    const bool isDateTime = value.userType() == QMetaType::QDateTime;
    QByteArray bytes;
    {
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream.setVersion(isDateTime ? dateTimeStreamVersion : variantStreamVersion);
        stream << value;
    }
    return (isDateTime ? dateTimePrefix : variantPrefix) + QLatin1String(bytes) + u')';
}

// One value as the text that is then escaped.
QString textOf(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::UnknownType:
        return invalidText;
    case QMetaType::QByteArray:
        return byteArrayPrefix + QLatin1String(value.toByteArray()) + u')';
    case QMetaType::QString:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Bool:
    case QMetaType::Float:
    case QMetaType::Double: {
        const QString text = value.toString();
        if (text.contains(QChar::Null))
            return stringPrefix + text + u')';
        return text.startsWith(u'@') ? u'@' + text : text;
    }
    case QMetaType::QRect: {
        const QRect rect = value.toRect();
        return QString::asprintf("@Rect(%d %d %d %d)", rect.x(), rect.y(), rect.width(),
                                 rect.height());
    }
    case QMetaType::QSize: {
        const QSize size = value.toSize();
        return QString::asprintf("@Size(%d %d)", size.width(), size.height());
    }
    case QMetaType::QPoint: {
        const QPoint point = value.toPoint();
        return QString::asprintf("@Point(%d %d)", point.x(), point.y());
    }
    default:
        return streamedText(value);
    }
}

void appendHexEscape(char16_t character, QByteArray &out)
{
    out += "\\x";
    out += QByteArray::number(character, hexBase);
}

// One text, escaped and quoted where needed.
void appendText(const QString &text, QByteArray &out)
{
    // These stand for bytes: their characters go out one byte each, never as UTF-8.
    const bool standsForBytes = text.startsWith(byteArrayPrefix) ||
                                text.startsWith(variantPrefix) || text.startsWith(dateTimePrefix);
    const qsizetype start = out.size();
    bool needsQuotes = false;
    // After a numeric escape a hex digit would be read as part of it.
    bool escapeHexDigit = false;
    for (qsizetype index = 0; index < text.size(); ++index) {
        const char16_t character = text.at(index).unicode();
        if (character == ';' || character == ',' || character == '=')
            needsQuotes = true;
        if (escapeHexDigit && isHexDigit(character)) {
            appendHexEscape(character, out);
            continue;
        }
        escapeHexDigit = false;
        switch (character) {
        case '\0':
            out += "\\0";
            escapeHexDigit = true;
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\v':
            out += "\\v";
            break;
        case '"':
        case '\\':
            out += '\\';
            out += char(character);
            break;
        default:
            if (character <= lastControlCharacter ||
                (standsForBytes && character >= firstNonAsciiCharacter)) {
                appendHexEscape(character, out);
                escapeHexDigit = true;
            } else if (standsForBytes) {
                out += char(character);
            } else if (QChar::isHighSurrogate(character) && index + 1 < text.size() &&
                       text.at(index + 1).isLowSurrogate()) {
                out += QStringView(text).sliced(index, 2).toUtf8();
                ++index;
            } else {
                out += QStringView(text).sliced(index, 1).toUtf8();
            }
        }
    }
    if (needsQuotes || (out.size() > start && (out.at(start) == ' ' || out.back() == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

QStringList splitArguments(const QString &text, qsizetype openingParenthesis)
{
    QStringList arguments;
    QString argument;
    for (const QChar character : QStringView(text).sliced(openingParenthesis + 1)) {
        if (character == u')') {
            arguments.append(argument);
        } else if (character == u' ') {
            arguments.append(argument);
            argument.clear();
        } else {
            argument += character;
        }
    }
    return arguments;
}

QVariant streamedValue(const QString &text, qsizetype prefixSize, QDataStream::Version version)
{
    QByteArray bytes = QStringView(text).sliced(prefixSize).toLatin1();
    QDataStream stream(&bytes, QIODevice::ReadOnly);
    stream.setVersion(version);
    QVariant value;
    stream >> value;
    return value;
}

// The value one unescaped text stands for.
QVariant valueOf(const QString &text)
{
    if (!text.startsWith(u'@'))
        return text;
    if (text.endsWith(u')')) {
        if (text.startsWith(byteArrayPrefix))
            return QStringView(text).sliced(byteArrayPrefix.size()).chopped(1).toLatin1();
        if (text.startsWith(stringPrefix))
            return QStringView(text).sliced(stringPrefix.size()).chopped(1).toString();
        if (text.startsWith(variantPrefix))
            return streamedValue(text, variantPrefix.size(), variantStreamVersion);
        if (text.startsWith(dateTimePrefix))
            return streamedValue(text, dateTimePrefix.size(), dateTimeStreamVersion);
        if (text.startsWith(rectPrefix)) {
            const QStringList numbers = splitArguments(text, rectPrefix.size() - 1);
            if (numbers.size() == 4)
                return QRect(numbers[0].toInt(), numbers[1].toInt(), numbers[2].toInt(),
                             numbers[3].toInt());
        } else if (text.startsWith(sizePrefix)) {
            const QStringList numbers = splitArguments(text, sizePrefix.size() - 1);
            if (numbers.size() == 2)
                return QSize(numbers[0].toInt(), numbers[1].toInt());
        } else if (text.startsWith(pointPrefix)) {
            const QStringList numbers = splitArguments(text, pointPrefix.size() - 1);
            if (numbers.size() == 2)
                return QPoint(numbers[0].toInt(), numbers[1].toInt());
        } else if (text == invalidText) {
            return QVariant();
        }
    }
    if (text.startsWith(QLatin1String("@@")))
        return text.sliced(1);
    return text;
}

// The value a list of unescaped texts stands for: a text list, or when one of them is of the
// "@Type(...)" forms, a list of values.
QVariant valueOf(const QStringList &texts)
{
    QStringList plain = texts;
    for (QString &text : plain) {
        if (!text.startsWith(u'@'))
            continue;
        if (text.size() >= 2 && text.at(1) == u'@') {
            text.remove(0, 1);
            continue;
        }
        QVariantList values;
        for (const QString &each : texts)
            values.append(valueOf(each));
        return values;
    }
    return plain;
}

// Removes the spaces and tabs at the end of text, but none before limit.
void chopBlanks(QString &text, qsizetype limit)
{
    qsizetype end = text.size();
    while (end > limit && isBlank(text.at(end - 1)))
        --end;
    text.truncate(end);
}

// Reads a value's text: unescapes it, drops the unquoted blanks around it and splits it at the
// commas outside quotes.
class ValueReader {
public:
    explicit ValueReader(QByteArrayView text) : m_text(text) {}

    QVariant read()
    {
        skipBlanks();
        while (m_at < m_text.size()) {
            const char character = m_text.at(m_at);
            if (character == '\\') {
                ++m_at;
                if (!readEscape())
                    return finish(false);
            } else if (character == '"') {
                ++m_at;
                m_quoted = true;
                m_inQuotes = !m_inQuotes;
                if (!m_inQuotes)
                    skipBlanks();
            } else if (character == ',' && !m_inQuotes) {
                if (!m_quoted)
                    chopBlanks(m_current, m_chopLimit);
                m_items.append(m_current);
                m_current.clear();
                m_isList = true;
                m_quoted = false;
                ++m_at;
                skipBlanks();
            } else {
                readRun();
            }
        }
        return finish(!m_quoted);
    }

private:
    void skipBlanks()
    {
        while (m_at < m_text.size() && (m_text.at(m_at) == ' ' || m_text.at(m_at) == '\t'))
            ++m_at;
        m_chopLimit = m_current.size();
    }

    // Plain characters up to the next one with a meaning.
    void readRun()
    {
        qsizetype end = m_at + 1;
        while (end < m_text.size() && m_text.at(end) != '\\' && m_text.at(end) != '"' &&
               m_text.at(end) != ',')
            ++end;
        m_current += QString(m_decoder(m_text.sliced(m_at, end - m_at)));
        m_at = end;
    }

    // The escape after a backslash; false when the text ends within it, which ends the value
    // as it stands, blanks and all.
    bool readEscape()
    {
        static constexpr char simpleEscapes[][2] = {
            {'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},  {'r', '\r'}, {'t', '\t'},
            {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
        if (m_at >= m_text.size())
            return false;
        const char character = m_text.at(m_at++);
        for (const auto &escape : simpleEscapes) {
            if (character == escape[0]) {
                m_current += QLatin1Char(escape[1]);
                m_chopLimit = m_current.size();
                return true;
            }
        }
        if (character == 'x') {
            if (m_at >= m_text.size())
                return false;
            if (hexValue(m_text.at(m_at)) >= 0)
                return readNumber(0, hexDigitBits, hexValue);
        } else if (const int first = octalValue(character); first >= 0) {
            return readNumber(char16_t(first), octalDigitBits, octalValue);
        } else if (character == '\n' || character == '\r') {
            // A line continued: either line end, or a pair of them, goes.
            if (m_at < m_text.size()) {
                const char next = m_text.at(m_at);
                if ((next == '\n' || next == '\r') && next != character)
                    ++m_at;
            }
        }
        // Anything else after a backslash is dropped.
        m_chopLimit = m_current.size();
        return true;
    }

    bool readNumber(char16_t code, int digitBits, int (*digitValue)(char))
    {
        while (m_at < m_text.size() && digitValue(m_text.at(m_at)) >= 0)
            code = char16_t((code << digitBits) + digitValue(m_text.at(m_at++)));
        m_current += QChar(code);
        if (m_at >= m_text.size())
            return false;
        m_chopLimit = m_current.size();
        return true;
    }

    QVariant finish(bool chop)
    {
        if (chop)
            chopBlanks(m_current, m_chopLimit);
        if (!m_isList)
            return valueOf(m_current);
        m_items.append(m_current);
        return valueOf(m_items);
    }

    QByteArrayView m_text;
    // One decoder for the whole value, as Qt's reader has: only the value's first bytes may be a
    // byte order mark that is dropped, a character whose bytes an escape, a quote or a comma
    // splits is still put together, and the bytes of one cut short at the end are dropped.
    QStringDecoder m_decoder{QStringDecoder::Utf8};
    qsizetype m_at = 0;
    // An empty value, or an empty first item of a list, is empty text, as Qt reads it; an empty
    // later item is null text, again as Qt reads it.
    QString m_current = QStringLiteral("");
    QStringList m_items;
    qsizetype m_chopLimit = 0;
    bool m_isList = false;
    bool m_inQuotes = false;
    bool m_quoted = false;
};

} // namespace

void appendKey(const QString &key, QByteArray &out)
{
    for (const QChar each : key) {
        const char16_t character = each.unicode();
        if (character == '/') {
            out += '\\';
        } else if ((character >= 'a' && character <= 'z') ||
                   (character >= 'A' && character <= 'Z') ||
                   (character >= '0' && character <= '9') || character == '_' || character == '-' ||
                   character == '.') {
            out += char(character);
        } else if (character <= lastTwoDigitKeyCharacter) {
            out += '%';
            out += upperHexDigits[character >> hexDigitBits];
            out += upperHexDigits[character & 0xF];
        } else {
            out += "%U";
            for (int shift = 3 * hexDigitBits; shift >= 0; shift -= hexDigitBits)
                out += upperHexDigits[(character >> shift) & 0xF];
        }
    }
}

QString key(QByteArrayView text)
{
    const QString decoded = QString::fromUtf8(text);
    QString key;
    qsizetype at = 0;
    while (at < decoded.size()) {
        const QChar character = decoded.at(at);
        if (character == u'\\') {
            key += u'/';
            ++at;
            continue;
        }
        if (character != u'%' || at == decoded.size() - 1) {
            key += character;
            ++at;
            continue;
        }
        const bool long_ = decoded.at(at + 1) == u'U';
        const qsizetype first = long_ ? at + 2 : at + 1;
        const qsizetype digits = long_ ? 4 : 2;
        bool ok = false;
        const ushort code = first + digits <= decoded.size()
                                ? QStringView(decoded).sliced(first, digits).toUShort(&ok, hexBase)
                                : 0;
        if (!ok) {
            // Not an escape after all: the "%" stands for itself.
            key += u'%';
            ++at;
            continue;
        }
        key += QChar(code);
        at = first + digits;
    }
    return key;
}

void appendValue(const QVariant &value, QByteArray &out)
{
    const int type = value.metaType().id();
    // A list of one value other than a text list is written as that value alone, as Qt does.
    if (type != QMetaType::QStringList &&
        (type != QMetaType::QVariantList || value.toList().size() == 1)) {
        appendText(textOf(value), out);
        return;
    }
    const QVariantList values = value.toList();
    if (values.isEmpty()) {
        out += invalidText.latin1();
        return;
    }
    for (qsizetype index = 0; index < values.size(); ++index) {
        if (index > 0)
            out += ", ";
        appendText(textOf(values.at(index)), out);
    }
}

QVariant value(QByteArrayView text)
{
    return ValueReader(text).read();
}

} // namespace Quorvel::IniValueText
