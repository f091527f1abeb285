#include "Knobwire/Sanitize.h"

#include "Knobwire/Clip.h"
#include "Knobwire/Limits.h"

#include <QSet>

namespace Knobwire {

namespace {

// A meter shows one level (mono) or two (stereo).
constexpr int stereo = 2;
constexpr int mono = 1;

} // namespace

QList<Control> sanitize(const QList<Control> &controls)
{
    QList<Control> result;
    QSet<QString> seen;
    for (const Control &control : controls) {
        if (result.size() >= Limits::maxControls) {
            break;
        }
        Control clean = control;
        clean.id = clip(control.id, Limits::maxName);
        if (clean.id.isEmpty() || seen.contains(clean.id)) {
            continue;
        }
        seen.insert(clean.id);
        clean.name = clip(control.name, Limits::maxName);
        if (clean.name.isEmpty()) {
            clean.name = clean.id;
        }
        clean.kind = Control::Kind(clip(control.kind.rawValue, Limits::maxName));
        if (control.value) {
            clean.value = Control::normalizedValue(*control.value);
        }
        if (control.text) {
            clean.text = clip(*control.text, Limits::maxText);
        }
        if (control.group) {
            clean.group = clip(*control.group, Limits::maxName);
        }
        if (clean.kind == Control::Kind::meter) {
            clean.channels = control.channels == stereo ? stereo : mono;
        } else {
            clean.channels.reset();
        }
        result.append(clean);
    }
    return result;
}

} // namespace Knobwire
