#include "Widgets/TextFit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QStyleFactory>
#include <QTextDocument>
#include <QToolTip>

namespace Quorvel {

namespace {

const char *const ownTextWhole = "quorvelOwnText";
const char *const ownTextCut = "quorvelOwnTextCut";

// A button's text as read: "&" marks the letter of its shortcut, "&&" is an "&".
QString withoutMnemonic(const QString &text)
{
    QString read;
    read.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text.at(at) == u'&' && at + 1 < text.size())
            ++at;
        read.append(text.at(at));
    }
    return read;
}

// Whether a line of the label's text is wider than the room the label gives its text.
bool labelIsCut(const QLabel *label)
{
    if (label->wordWrap() || label->text().isEmpty())
        return false;
    const int room = label->contentsRect().width() - 2 * label->margin() - qMax(label->indent(), 0);
    const QFontMetricsF metrics(label->font());
    const QStringList lines = label->text().split(u'\n');
    return std::any_of(lines.cbegin(), lines.cend(), [&metrics, room](const QString &line) {
        return metrics.horizontalAdvance(line) > room;
    });
}

// The cut text at a point of the widget: its own, or that of a child under the point that leaves
// the pointer to it (a title drawn inside a button).
QString cutTextAt(const QWidget *widget, const QPoint &at)
{
    if (QString whole = TextFit::cutText(widget); !whole.isEmpty())
        return whole;
    for (const QObject *object : widget->children()) {
        const auto *child = qobject_cast<const QWidget *>(object);
        if (child && child->isVisible() && child->testAttribute(Qt::WA_TransparentForMouseEvents) &&
            child->geometry().contains(at)) {
            if (QString whole = cutTextAt(child, at - child->pos()); !whole.isEmpty())
                return whole;
        }
    }
    return {};
}

} // namespace

TextFit::TextFit(QStyle *base) : QProxyStyle(base) {}

void TextFit::install()
{
    if (qobject_cast<TextFit *>(QApplication::style()))
        return;
    auto *style = new TextFit(QStyleFactory::create(QApplication::style()->name()));
    QApplication::setStyle(style);
    qApp->installEventFilter(style);
}

QString TextFit::cutText(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return labelIsCut(label) ? label->text() : QString();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
        // Narrower than it asks to be, the button has less room for its label than the label
        // takes.
        const bool cut = !button->text().isEmpty() && button->width() < button->sizeHint().width();
        return cut ? withoutMnemonic(button->text()) : QString();
    }
    return widget->property(ownTextCut).toBool() ? ownText(widget) : QString();
}

void TextFit::setOwnText(QWidget *widget, const QString &whole, bool cut)
{
    widget->setProperty(ownTextWhole, whole);
    widget->setProperty(ownTextCut, cut);
}

QString TextFit::ownText(const QWidget *widget)
{
    return widget->property(ownTextWhole).toString();
}

void TextFit::drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette,
                           bool enabled, const QString &text, QPalette::ColorRole textRole) const
{
    // Text that wraps, or that its caller lets run past its place, is drawn as asked.
    if ((flags & (Qt::TextWordWrap | Qt::TextDontClip)) || rect.width() <= 0) {
        QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
        return;
    }
    const QFontMetricsF metrics(painter->font(), painter->device());
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        line = metrics.elidedText(line, Qt::ElideRight, rect.width(), flags & Qt::TextShowMnemonic);
    QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, lines.join(u'\n'), textRole);
}

bool TextFit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
        return QProxyStyle::eventFilter(watched, event);
    auto *widget = static_cast<QWidget *>(watched);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QString whole = cutTextAt(widget, help->pos());
    if (whole.isEmpty())
        return QProxyStyle::eventFilter(watched, event);
    // The text comes from outside (a host's name, a title): a tip would read it as markup when
    // it can. The widget's own tip, where it has one, follows it.
    const QString own = widget->toolTip();
    QString tip = Qt::convertFromPlainText(whole);
    if (!own.isEmpty())
        tip += Qt::mightBeRichText(own) ? own : Qt::convertFromPlainText(own);
    QToolTip::showText(help->globalPos(), tip, widget);
    return true;
}

} // namespace Quorvel
