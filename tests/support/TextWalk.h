#pragma once

#include "Widgets/TextFit.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QScreen>
#include <QTextDocument>
#include <QTextItem>
#include <QToolTip>

#include <memory>

// Finds the text a window cuts without showing that it is cut: every label and button is drawn
// alone into a device that keeps the lines of text drawn, with where they lie; a line that runs
// past its widget is cut off, and a widget that shows less than its text must end what it shows
// or hold "…" (a path keeps its file name) and give the whole text when pointed at.
namespace TextWalk {

const QString ellipsis = QStringLiteral("…");

struct DrawnLine {
    QString text;
    qreal left = 0;
    qreal right = 0;
};

// Keeps each run of text drawn, placed in the device; draws nothing else.
class DrawnTextEngine : public QPaintEngine {
public:
    DrawnTextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform)
            m_transform = state.transform();
    }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
    void drawPath(const QPainterPath &) override {}
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF &at, const QTextItem &item) override
    {
        const QPointF left = m_transform.map(at);
        const QPointF right = m_transform.map(at + QPointF(item.width(), 0));
        lines.append({item.text(), left.x(), right.x()});
    }

    QList<DrawnLine> lines;

private:
    QTransform m_transform;
};

class DrawnTextDevice : public QPaintDevice {
public:
    explicit DrawnTextDevice(QSize size) : m_size(size) {}
    QPaintEngine *paintEngine() const override { return &m_engine; }
    const QList<DrawnLine> &lines() const { return m_engine.lines; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        const QScreen *screen = QGuiApplication::primaryScreen();
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmDpiX:
        case PdmPhysicalDpiX:
            return qRound(screen->logicalDotsPerInchX());
        case PdmDpiY:
        case PdmPhysicalDpiY:
            return qRound(screen->logicalDotsPerInchY());
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }

private:
    QSize m_size;
    mutable DrawnTextEngine m_engine;
};

// The lines of text the widget draws itself (its children left out).
inline QList<DrawnLine> drawnLines(QWidget *widget)
{
    DrawnTextDevice device(widget->size());
    widget->render(&device, QPoint(), QRegion(), QWidget::RenderFlags());
    return device.lines();
}

// The text a label or button holds, as read; an empty string for other widgets.
inline QString heldText(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const QString own = Quorvel::TextFit::ownText(widget); !own.isEmpty())
        return own;
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
        QString text = button->text();
        return text.replace(QStringLiteral("&&"), QStringLiteral("\x01"))
            .remove(u'&')
            .replace(u'\x01', u'&');
    }
    return {};
}

// The tip that pointing at the middle of the widget shows, asked of whatever takes the pointer
// there.
inline QString tipOf(QWidget *widget)
{
    QWidget *window = widget->window();
    const QPoint at = widget->mapTo(window, widget->rect().center());
    QWidget *under = window->childAt(at);
    if (!under)
        under = window;
    QHelpEvent event(QEvent::ToolTip, under->mapFrom(window, at), window->mapToGlobal(at));
    QApplication::sendEvent(under, &event);
    const QString tip = QToolTip::text();
    QToolTip::hideText();
    // As the tip reads: a rich one as its text.
    if (!Qt::mightBeRichText(tip))
        return tip;
    QTextDocument read;
    read.setHtml(tip);
    return read.toPlainText();
}

inline QString describe(const QWidget *widget, const QString &text)
{
    return QStringLiteral("%1 %2 \"%3\"")
        .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(), text);
}

// What is wrong with the text the widget shows, or nothing.
inline QString fault(QWidget *widget)
{
    // A field scrolls its text inside itself: it runs out of sight on purpose.
    if (qobject_cast<const QLineEdit *>(widget) ||
        qobject_cast<const QAbstractScrollArea *>(widget->parentWidget()))
        return {};
    // Drawn first: a widget that draws its own text says what it is as it draws it.
    const QList<DrawnLine> lines = drawnLines(widget);
    const QString held = heldText(widget);
    // Where the widget can be seen: inside itself and every parent (a piece of a sentence
    // placed past the edge of its card is cut off by the card).
    const QRect seen = widget->visibleRegion().boundingRect();
    if (seen.isEmpty())
        return {};
    QString drawn;
    for (const DrawnLine &line : lines) {
        // Half a pixel for rounding.
        if (line.left < seen.left() - 0.5 || line.right > seen.right() + 1.5)
            return describe(widget, held) +
                   QStringLiteral(": \"%1\" runs out of it (%2 to %3 of %4)")
                       .arg(line.text)
                       .arg(line.left)
                       .arg(line.right)
                       .arg(seen.width());
        drawn += line.text;
    }
    if (held.isEmpty()) {
        // Text of its own, cut, with nothing said of it.
        if (drawn.contains(ellipsis) && tipOf(widget).isEmpty())
            return describe(widget, drawn) + QStringLiteral(": cut, with no tip");
        return {};
    }
    // Wrapped text is drawn line by line, without the spaces and breaks it wraps at; a widget
    // that draws its own text may draw more beside it (a switch's state under its title).
    const auto letters = [](QString text) {
        text.removeIf([](QChar character) { return character.isSpace(); });
        return text;
    };
    if (drawn.isEmpty() || letters(drawn).contains(letters(held)))
        return {};
    if (!drawn.contains(ellipsis))
        return describe(widget, held) + QStringLiteral(": shows \"%1\"").arg(drawn);
    if (const QString tip = tipOf(widget); !tip.contains(held))
        return describe(widget, held) + QStringLiteral(": cut, and its tip is \"%1\"").arg(tip);
    return {};
}

// Every fault of the labels and buttons the window shows.
inline QStringList faults(QWidget *window)
{
    QStringList found;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : std::as_const(widgets)) {
        if (!widget->isVisible() || widget->width() <= 0)
            continue;
        if (const QString problem = fault(widget); !problem.isEmpty())
            found.append(problem);
    }
    return found;
}

} // namespace TextWalk
