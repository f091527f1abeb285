#include "Widgets/SymbolIcons.h"

#include <QHash>
#include <QPainter>
#include <QPair>

namespace Quorvel::SymbolIcons {

namespace {

const QHash<QString, QString> &table()
{
    static const QHash<QString, QString> names{
        // Symbols of the views.
        {QStringLiteral("circle"), QStringLiteral("draw-circle")},
        {QStringLiteral("circle.fill"), QStringLiteral("draw-circle")},
        {QStringLiteral("circle.dashed"), QStringLiteral("draw-circle")},
        // The theme has no plain key: its lock says the same and takes a tint.
        {QStringLiteral("key"), QStringLiteral("lock")},
        {QStringLiteral("key.fill"), QStringLiteral("lock")},
        {QStringLiteral("rectangle.grid.2x2"), QStringLiteral("view-grid")},
        {QStringLiteral("square.grid.2x2"), QStringLiteral("view-grid")},
        {QStringLiteral("desktopcomputer"), QStringLiteral("computer")},
        {QStringLiteral("server.rack"), QStringLiteral("network-server")},
        {QStringLiteral("wifi"), QStringLiteral("network-wireless")},
        {QStringLiteral("wifi.slash"), QStringLiteral("network-offline")},
        {QStringLiteral("wifi.exclamationmark"), QStringLiteral("network-wireless-disconnected")},
        {QStringLiteral("network"), QStringLiteral("network-workgroup")},
        {QStringLiteral("checkmark.circle"), QStringLiteral("dialog-ok-apply")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("dialog-ok-apply")},
        {QStringLiteral("checkmark.seal"), QStringLiteral("dialog-ok-apply")},
        {QStringLiteral("exclamationmark.triangle"), QStringLiteral("dialog-warning")},
        {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("dialog-warning")},
        {QStringLiteral("xmark.octagon.fill"), QStringLiteral("dialog-error")},
        {QStringLiteral("arrow.clockwise"), QStringLiteral("view-refresh")},
        {QStringLiteral("arrow.triangle.2.circlepath"), QStringLiteral("view-refresh")},
        {QStringLiteral("hourglass"), QStringLiteral("chronometer")},
        {QStringLiteral("ellipsis"), QStringLiteral("overflow-menu")},
        {QStringLiteral("ellipsis.circle"), QStringLiteral("overflow-menu")},
        {QStringLiteral("lock.fill"), QStringLiteral("system-lock-screen")},
        {QStringLiteral("icloud"), QStringLiteral("cloud-upload")},
        {QStringLiteral("pencil"), QStringLiteral("document-edit")},
        {QStringLiteral("plus"), QStringLiteral("list-add")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("edit-find")},
        {QStringLiteral("questionmark.circle"), QStringLiteral("dialog-question")},
        {QStringLiteral("sparkles"), QStringLiteral("tools-wizard")},
        // Symbols that decks use.
        {QStringLiteral("record.circle"), QStringLiteral("media-record")},
        {QStringLiteral("speaker.wave.2"), QStringLiteral("audio-volume-high")},
        {QStringLiteral("play.fill"), QStringLiteral("media-playback-start")},
        {QStringLiteral("play.circle"), QStringLiteral("media-playback-start")},
        {QStringLiteral("play.square"), QStringLiteral("media-playback-start")},
        {QStringLiteral("stop.circle"), QStringLiteral("media-playback-stop")},
        {QStringLiteral("music.note"), QStringLiteral("folder-music")},
        {QStringLiteral("music.note.list"), QStringLiteral("media-playlist-play")},
        {QStringLiteral("power.circle"), QStringLiteral("system-shutdown")},
        {QStringLiteral("bolt.circle"), QStringLiteral("system-run")},
        {QStringLiteral("hand.tap"), QStringLiteral("input-touchpad")},
        {QStringLiteral("switch.2"), QStringLiteral("games-config-options")},
        {QStringLiteral("slider.horizontal.3"), QStringLiteral("games-config-options")},
        {QStringLiteral("dial.medium"), QStringLiteral("games-config-options")},
        {QStringLiteral("gauge.with.dots.needle.50percent"), QStringLiteral("speedometer")},
        {QStringLiteral("thermometer.medium"), QStringLiteral("temperature-normal")},
        {QStringLiteral("sun.max"), QStringLiteral("weather-clear")},
        {QStringLiteral("lamp.desk"), QStringLiteral("contrast")},
        {QStringLiteral("antenna.radiowaves.left.and.right"), QStringLiteral("network-wireless")},
        {QStringLiteral("dot.radiowaves.left.and.right"), QStringLiteral("network-wireless")},
        {QStringLiteral("list.bullet.rectangle"), QStringLiteral("view-list-details")},
        {QStringLiteral("gearshape"), QStringLiteral("configure")},
        {QStringLiteral("info.circle"), QStringLiteral("dialog-information")},
        {QStringLiteral("wrench.and.screwdriver"), QStringLiteral("configure")},
        {QStringLiteral("app.dashed"), QStringLiteral("application-x-executable")},
        {QStringLiteral("terminal"), QStringLiteral("utilities-terminal")},
        {QStringLiteral("timer"), QStringLiteral("chronometer")},
        {QStringLiteral("mic"), QStringLiteral("audio-input-microphone")},
        {QStringLiteral("video"), QStringLiteral("camera-web")},
        {QStringLiteral("display"), QStringLiteral("video-display")},
        {QStringLiteral("globe"), QStringLiteral("globe")},
        {QStringLiteral("bell"), QStringLiteral("notifications")},
        {QStringLiteral("clock"), QStringLiteral("clock")},
        {QStringLiteral("calendar"), QStringLiteral("view-calendar")},
        {QStringLiteral("star"), QStringLiteral("star-shape")},
        {QStringLiteral("envelope"), QStringLiteral("mail-message")},
        {QStringLiteral("hifispeaker"), QStringLiteral("speaker")},
        {QStringLiteral("headphones"), QStringLiteral("audio-headphones")},
        {QStringLiteral("radio"), QStringLiteral("audio-radio")},
        {QStringLiteral("waveform"), QStringLiteral("view-media-visualization")},
        {QStringLiteral("tv"), QStringLiteral("video-television")},
        {QStringLiteral("laptopcomputer"), QStringLiteral("computer-laptop")},
        {QStringLiteral("externaldrive"), QStringLiteral("drive-removable-media")},
        {QStringLiteral("internaldrive"), QStringLiteral("drive-harddisk")},
        {QStringLiteral("cpu"), QStringLiteral("cpu")},
        {QStringLiteral("memorychip"), QStringLiteral("media-flash")},
        {QStringLiteral("lightbulb"), QStringLiteral("help-hint")},
        // The theme draws no fan: cooling is what a fan switch is about.
        {QStringLiteral("fan"), QStringLiteral("temperature-cold")},
        {QStringLiteral("house"), QStringLiteral("go-home")},
        {QStringLiteral("lock"), QStringLiteral("object-locked")},
        {QStringLiteral("camera"), QStringLiteral("camera-photo")},
        {QStringLiteral("film"), QStringLiteral("video-x-generic")},
        {QStringLiteral("gamecontroller"), QStringLiteral("input-gaming")},
        {QStringLiteral("hammer"), QStringLiteral("run-build")},
        {QStringLiteral("gearshape"), QStringLiteral("preferences-system")},
        {QStringLiteral("moon"), QStringLiteral("weather-clear-night")},
        {QStringLiteral("cloud"), QStringLiteral("weather-overcast")},
        {QStringLiteral("folder"), QStringLiteral("folder")},
        {QStringLiteral("doc"), QStringLiteral("text-x-generic")},
        {QStringLiteral("trash"), QStringLiteral("user-trash")},
        {QStringLiteral("heart"), QStringLiteral("emblem-favorite")},
        {QStringLiteral("power"), QStringLiteral("system-shutdown")},
        {QStringLiteral("poweroff"), QStringLiteral("system-shutdown")},
    };
    return names;
}

} // namespace

QString themeName(const QString &symbol)
{
    return table().value(symbol, QLatin1String(genericIconName));
}

bool knows(const QString &symbol)
{
    return table().contains(symbol);
}

QIcon icon(const QString &symbol)
{
    const QString name = themeName(symbol);
    QIcon themed = QIcon::fromTheme(name);
    if (themed.isNull()) {
        themed = QIcon::fromTheme(QLatin1String(genericIconName));
    }
    return themed;
}

QPixmap pixmap(const QString &symbol, int side)
{
    static QHash<QPair<QString, int>, QPixmap> made;
    const QPair<QString, int> key{themeName(symbol), side};
    const auto found = made.constFind(key);
    if (found != made.cend()) {
        return *found;
    }
    const QPixmap drawn = icon(symbol).pixmap(side, side);
    made.insert(key, drawn);
    return drawn;
}

QPixmap tinted(const QString &symbol, int side, const QColor &colour)
{
    // Warnings and errors come in the theme's own warning colours; a tint would fill in their
    // inner marks.
    static const QStringList ownColours{QStringLiteral("dialog-warning"),
                                        QStringLiteral("dialog-error")};
    QPixmap shape = pixmap(symbol, side);
    if (ownColours.contains(themeName(symbol)))
        return shape;
    QPainter painter(&shape);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(shape.rect(), colour);
    painter.end();
    return shape;
}

} // namespace Quorvel::SymbolIcons
