#include "QuorvelClientUI/Views/Editor/IconCatalog.h"

namespace Quorvel {

const QStringList &IconCatalog::symbols()
{
    static const QStringList all{
        QStringLiteral("power.circle"),
        QStringLiteral("record.circle"),
        QStringLiteral("play.circle"),
        QStringLiteral("stop.circle"),
        QStringLiteral("play.square"),
        QStringLiteral("music.note"),
        QStringLiteral("music.note.list"),
        QStringLiteral("speaker.wave.2"),
        QStringLiteral("hifispeaker"),
        QStringLiteral("headphones"),
        QStringLiteral("mic"),
        QStringLiteral("radio"),
        QStringLiteral("tv"),
        QStringLiteral("display"),
        QStringLiteral("desktopcomputer"),
        QStringLiteral("laptopcomputer"),
        QStringLiteral("server.rack"),
        QStringLiteral("externaldrive"),
        QStringLiteral("internaldrive"),
        QStringLiteral("clock"),
        QStringLiteral("timer"),
        QStringLiteral("gauge.with.dots.needle.50percent"),
        QStringLiteral("thermometer.medium"),
        QStringLiteral("cpu"),
        QStringLiteral("memorychip"),
        QStringLiteral("network"),
        QStringLiteral("wifi"),
        QStringLiteral("antenna.radiowaves.left.and.right"),
        QStringLiteral("lightbulb"),
        QStringLiteral("lamp.desk"),
        QStringLiteral("fan"),
        QStringLiteral("house"),
        QStringLiteral("lock"),
        QStringLiteral("key"),
        QStringLiteral("camera"),
        QStringLiteral("video"),
        QStringLiteral("film"),
        QStringLiteral("gamecontroller"),
        QStringLiteral("terminal"),
        QStringLiteral("hammer"),
        QStringLiteral("wrench.and.screwdriver"),
        QStringLiteral("gearshape"),
        QStringLiteral("arrow.clockwise"),
        QStringLiteral("moon"),
        QStringLiteral("sun.max"),
        QStringLiteral("bell"),
        QStringLiteral("envelope"),
        QStringLiteral("cloud"),
        QStringLiteral("folder"),
        QStringLiteral("doc"),
        QStringLiteral("trash"),
        QStringLiteral("star"),
        QStringLiteral("heart"),
        QStringLiteral("bolt.circle"),
        QStringLiteral("waveform"),
        QStringLiteral("dial.medium"),
        QStringLiteral("slider.horizontal.3"),
        QStringLiteral("power"),
        QStringLiteral("poweroff"),
    };
    return all;
}

QStringList IconCatalog::filtered(const QString &search)
{
    const QString query = search.toLower();
    if (query.isEmpty())
        return symbols();
    QStringList found;
    for (const QString &symbol : symbols()) {
        if (symbol.contains(query))
            found.append(symbol);
    }
    return found;
}

} // namespace Quorvel
