#include "QuorvelHostKit/Execution/Utf8Repair.h"

#include <QStringDecoder>
#include <QUtf8StringView>

namespace Quorvel {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;
constexpr unsigned char continuationLow = 0x80;
constexpr unsigned char continuationHigh = 0xBF;
constexpr unsigned char continuationPayloadMask = 0x3F;
constexpr int continuationPayloadBits = 6;

// The shape of a well-formed sequence that starts with a given lead byte: its total length, the
// lead byte's payload bits and the allowed range of the second byte (the later bytes are plain
// continuation bytes).
struct Lead {
    int length = 0;
    char32_t payload = 0;
    unsigned char secondLow = continuationLow;
    unsigned char secondHigh = continuationHigh;
};

// The well-formed byte sequences of UTF-8 by lead byte; length 0 means the byte never starts one.
Lead leadOf(unsigned char byte)
{
    if (byte < 0x80)
        return {1, byte};
    if (byte >= 0xC2 && byte <= 0xDF)
        return {2, char32_t(byte & 0x1F)};
    if (byte == 0xE0)
        return {3, char32_t(byte & 0x0F), 0xA0, continuationHigh};
    if (byte == 0xED)
        return {3, char32_t(byte & 0x0F), continuationLow, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF)
        return {3, char32_t(byte & 0x0F)};
    if (byte == 0xF0)
        return {4, char32_t(byte & 0x07), 0x90, continuationHigh};
    if (byte >= 0xF1 && byte <= 0xF3)
        return {4, char32_t(byte & 0x07)};
    if (byte == 0xF4)
        return {4, char32_t(byte & 0x07), continuationLow, 0x8F};
    return {};
}

} // namespace

QString repairedUtf8(const QByteArray &bytes)
{
    if (QUtf8StringView(bytes).isValidUtf8()) {
        // A byte order mark the program printed is part of its output; QString::fromUtf8 would
        // drop a leading one.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        return decoder(bytes);
    }

    // Built character by character: QString::fromUcs4 would drop a leading byte order mark too.
    QString text;
    text.reserve(bytes.size());
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const Lead lead = leadOf(data[i]);
        if (lead.length == 0) {
            text.append(QChar::fromUcs4(replacementCharacter));
            ++i;
            continue;
        }
        char32_t codePoint = lead.payload;
        qsizetype taken = 1;
        while (taken < lead.length && i + taken < size) {
            const unsigned char byte = data[i + taken];
            const unsigned char low = taken == 1 ? lead.secondLow : continuationLow;
            const unsigned char high = taken == 1 ? lead.secondHigh : continuationHigh;
            if (byte < low || byte > high)
                break;
            codePoint = (codePoint << continuationPayloadBits) | (byte & continuationPayloadMask);
            ++taken;
        }
        text.append(QChar::fromUcs4(taken == lead.length ? codePoint : replacementCharacter));
        i += taken;
    }
    return text;
}

} // namespace Quorvel
