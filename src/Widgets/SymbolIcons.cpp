#include "Widgets/SymbolIcons.h"

#include "Widgets/DrawnSymbols.h"

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
        {QStringLiteral("rectangle.grid.2x2"), QStringLiteral("view-grid")},
        {QStringLiteral("square.grid.2x2"), QStringLiteral("view-grid")},
        {QStringLiteral("desktopcomputer"), QStringLiteral("computer")},
        {QStringLiteral("server.rack"), QStringLiteral("network-server")},
        {QStringLiteral("wifi"), QStringLiteral("network-wireless")},
        {QStringLiteral("wifi.slash"), QStringLiteral("network-offline")},
        {QStringLiteral("wifi.exclamationmark"), QStringLiteral("network-wireless-disconnected")},
        {QStringLiteral("network"), QStringLiteral("network-wired")},
        {QStringLiteral("checkmark.seal"), QStringLiteral("dialog-ok-apply")},
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
        {QStringLiteral("music.note"), QStringLiteral("music-note-16th")},
        {QStringLiteral("music.note.list"), QStringLiteral("view-media-playlist")},
        {QStringLiteral("power.circle"), QStringLiteral("system-shutdown")},
        {QStringLiteral("hand.tap"), QStringLiteral("input-touchscreen")},
        {QStringLiteral("slider.horizontal.3"), QStringLiteral("games-config-options")},
        {QStringLiteral("gauge.with.dots.needle.50percent"), QStringLiteral("speedometer")},
        {QStringLiteral("thermometer.medium"), QStringLiteral("temperature-normal")},
        {QStringLiteral("sun.max"), QStringLiteral("weather-clear")},
        {QStringLiteral("antenna.radiowaves.left.and.right"),
         QStringLiteral("network-wireless-hotspot")},
        {QStringLiteral("dot.radiowaves.left.and.right"),
         QStringLiteral("network-wireless-hotspot")},
        {QStringLiteral("list.bullet.rectangle"), QStringLiteral("view-list-details")},
        {QStringLiteral("app.dashed"), QStringLiteral("application-x-executable")},
        {QStringLiteral("terminal"), QStringLiteral("utilities-terminal")},
        {QStringLiteral("timer"), QStringLiteral("chronometer")},
        {QStringLiteral("mic"), QStringLiteral("audio-input-microphone")},
        {QStringLiteral("video"), QStringLiteral("camera-video")},
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
        {QStringLiteral("house"), QStringLiteral("go-home")},
        {QStringLiteral("lock"), QStringLiteral("object-locked")},
        {QStringLiteral("camera"), QStringLiteral("camera-photo")},
        {QStringLiteral("film"), QStringLiteral("video-x-generic")},
        {QStringLiteral("gamecontroller"), QStringLiteral("input-gaming")},
        {QStringLiteral("moon"), QStringLiteral("weather-clear-night")},
        {QStringLiteral("cloud"), QStringLiteral("weather-overcast")},
        {QStringLiteral("folder"), QStringLiteral("folder")},
        {QStringLiteral("doc"), QStringLiteral("text-x-generic")},
        {QStringLiteral("trash"), QStringLiteral("user-trash")},
        {QStringLiteral("heart"), QStringLiteral("love")},
        {QStringLiteral("power"), QStringLiteral("system-shutdown")},
        {QStringLiteral("poweroff"), QStringLiteral("system-shutdown")},
    };
    return names;
}

} // namespace

QString themeName(const QString &symbol)
{
    if (const auto found = table().constFind(symbol); found != table().cend())
        return *found;
    return DrawnSymbols::draws(symbol) ? QString() : QLatin1String(genericIconName);
}

bool knows(const QString &symbol)
{
    return table().contains(symbol) || DrawnSymbols::draws(symbol);
}

QIcon icon(const QString &symbol)
{
    if (const auto found = table().constFind(symbol); found != table().cend()) {
        if (QIcon themed = QIcon::fromTheme(*found); !themed.isNull())
            return themed;
    }
    if (DrawnSymbols::draws(symbol))
        return DrawnSymbols::icon(symbol);
    return QIcon::fromTheme(QLatin1String(genericIconName));
}

QPixmap pixmap(const QString &symbol, int side)
{
    static QHash<QPair<QString, int>, QPixmap> made;
    const QPair<QString, int> key{symbol, side};
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
    // The warning and error signs are drawn here with their marks cut out, so they take the tint.
    QPixmap shape = pixmap(symbol, side);
    QPainter painter(&shape);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(shape.rect(), colour);
    painter.end();
    return shape;
}

} // namespace Quorvel::SymbolIcons
