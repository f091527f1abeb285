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
    insert(ShownText::oneLine(text));
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

void LineField::dropEvent(QDropEvent *event)
{
    const QMimeData *dropped = event->mimeData();
    if (!dropped || !dropped->hasText()) {
        QLineEdit::dropEvent(event);
        return;
    }
    QMimeData oneLine;
    oneLine.setText(ShownText::oneLine(dropped->text()));
    QDropEvent retold(event->position(), event->possibleActions(), &oneLine, event->buttons(),
                      event->modifiers(), event->type());
    retold.setDropAction(event->dropAction());
    QLineEdit::dropEvent(&retold);
    event->setDropAction(retold.dropAction());
    event->setAccepted(retold.isAccepted());
}

} // namespace Quorvel
