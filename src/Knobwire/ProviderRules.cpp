#include "Knobwire/ProviderRules.h"

#include "Knobwire/Limits.h"
#include "Knobwire/Message.h"

#include <QByteArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>

namespace Knobwire {

namespace {

// Meter levels travel in tenths of a decibel: finer steps are invisible on a meter.
constexpr double meterSteps = 10.0;
// A stereo meter has two channels; more levels than that mean nothing.
constexpr qsizetype maxMeterChannels = 2;
// The comma between two controls of the list.
constexpr qsizetype separatorBytes = 1;
// The line feed that ends every line and that the line limit does not count.
constexpr qsizetype lineFeedBytes = 1;

} // namespace

bool keysMatch(const QString &given, const QString &expected)
{
    const QByteArray left = given.toUtf8();
    const QByteArray right = expected.toUtf8();
    if (left.size() != right.size()) {
        return false;
    }
    unsigned char difference = 0;
    for (qsizetype index = 0; index < left.size(); ++index) {
        difference |= static_cast<unsigned char>(left[index] ^ right[index]);
    }
    return difference == 0;
}

double limitedLevel(double value)
{
    if (!std::isfinite(value) || value <= 0) {
        return 0;
    }
    return value > 1 ? 1 : value;
}

QList<double> meterLevels(const QList<double> &levels)
{
    QList<double> result;
    for (const double level : levels.first(std::min(levels.size(), maxMeterChannels))) {
        if (!std::isfinite(level)) {
            result.append(Limits::meterRange.lower);
            continue;
        }
        const double rounded = std::round(level * meterSteps) / meterSteps;
        result.append(std::clamp(rounded, Limits::meterRange.lower, Limits::meterRange.upper));
    }
    return result;
}

Update outgoingUpdate(const Control &before, const Control &after, bool echo)
{
    Update update{.id = after.id};
    if (before.value != after.value) {
        update.value = after.value;
    }
    if (before.text != after.text) {
        update.text = after.text;
    }
    if (before.on != after.on) {
        update.on = after.on;
    }
    if (echo) {
        if (!update.value) {
            update.value = after.value;
        }
        if (!update.text && after.text) {
            update.text = after.text;
        }
        if (!update.on) {
            update.on = after.on;
        }
    }
    return update;
}

qsizetype controlsThatFit(const QList<Control> &controls)
{
    // A compact line is the frame of an empty list with every control's own compact object
    // inside, separated by commas, so it can be measured control by control.
    qsizetype size = Message::controls({}).encodeLine().size() - lineFeedBytes;
    for (qsizetype index = 0; index < controls.size(); ++index) {
        size +=
            QJsonDocument(controls.at(index).jsonObject()).toJson(QJsonDocument::Compact).size();
        if (index > 0) {
            size += separatorBytes;
        }
        if (size > Limits::maxLine) {
            return index;
        }
    }
    return controls.size();
}

} // namespace Knobwire
