#include "Widgets/LineField.h"

#include "Widgets/ShownText.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace Quorvel {

LineField::LineField(QWidget *parent) : QLineEdit(parent) {}

LineField::LineField(const QString &text, QWidget *parent) : QLineEdit(text, parent) {}

void LineField::pasteOnOneLine(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    const QString text = QGuiApplication::clipboard()->text(mode);
    if (text.isEmpty() && !hasSelectedText())
        return;
    insert(pastedText(text));
}

QString LineField::pastedText(const QString &text)
{
    QString kept = text;
    kept.remove(QChar(0));
    qsizetype start = 0;
    while (start < kept.size() && ShownText::isLineBreak(kept.at(start).unicode()))
        ++start;
    qsizetype end = kept.size();
    while (end > start && ShownText::isLineBreak(kept.at(end - 1).unicode()))
        --end;
    return ShownText::oneLine(kept.sliced(start, end - start));
}

void LineField::keyPressEvent(QKeyEvent *event)
{
    if (event == QKeySequence::Paste && !isReadOnly()) {
        pasteOnOneLine();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void LineField::mouseReleaseEvent(QMouseEvent *event)
{
    // X11's middle click pastes the selection; the line edit would take it as it is.
    if (event->button() == Qt::MiddleButton && !isReadOnly() &&
        QGuiApplication::clipboard()->supportsSelection()) {
        // The press has already placed the cursor where the click was.
        pasteOnOneLine(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void LineField::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's paste item is the one item that pastes: it is found by its connection, as its
    // text is translated and Qt gives it no name. Qt makes that connection by the slot's name.
    for (QAction *item : menu->actions()) {
        if (disconnect(item, SIGNAL(triggered()), this, SLOT(paste())))
            connect(item, &QAction::triggered, this, [this] { pasteOnOneLine(); });
    }
    menu->popup(event->globalPos());
}

std::optional<QString> LineField::droppedText(const QMimeData *dropped) const
{
    if (!dropped)
        return std::nullopt;
    if (m_takesFilePath && dropped->hasUrls()) {
        const QList<QUrl> urls = dropped->urls();
        if (urls.size() != 1 || !urls.first().isLocalFile())
            return std::nullopt;
        return urls.first().toLocalFile();
    }
    // As a line edit takes a drag: when it offers plain text (a file's address alone is not).
    if (!dropped->hasFormat(QStringLiteral("text/plain")))
        return std::nullopt;
    return pastedText(dropped->text());
}

namespace {

// The line edit takes a drag that offers text; a file manager's may offer only its address. The
// drag is told to the line edit again offering the text this field takes from it, or refused.
template<typename Event, typename Handle>
void retell(Event *event, const std::optional<QString> &text, Handle handle)
{
    if (!text) {
        event->ignore();
        return;
    }
    QMimeData offered;
    offered.setText(*text);
    Event retold(event->position().toPoint(), event->possibleActions(), &offered, event->buttons(),
                 event->modifiers());
    retold.setDropAction(event->dropAction());
    handle(&retold);
    event->setDropAction(retold.dropAction());
    event->setAccepted(retold.isAccepted());
}

} // namespace

void LineField::dragEnterEvent(QDragEnterEvent *event)
{
    retell(event, droppedText(event->mimeData()),
           [this](QDragEnterEvent *retold) { QLineEdit::dragEnterEvent(retold); });
}

void LineField::dragMoveEvent(QDragMoveEvent *event)
{
    retell(event, droppedText(event->mimeData()),
           [this](QDragMoveEvent *retold) { QLineEdit::dragMoveEvent(retold); });
}

void LineField::dropEvent(QDropEvent *event)
{
    retell(event, droppedText(event->mimeData()),
           [this](QDropEvent *retold) { QLineEdit::dropEvent(retold); });
}

} // namespace Quorvel
