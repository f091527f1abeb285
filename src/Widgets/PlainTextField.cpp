#include "Widgets/PlainTextField.h"

#include <QMimeData>

namespace Quorvel {

PlainTextField::PlainTextField(QWidget *parent) : QPlainTextEdit(parent) {}

PlainTextField::PlainTextField(const QString &text, QWidget *parent) : QPlainTextEdit(text, parent)
{}

void PlainTextField::insertFromMimeData(const QMimeData *source)
{
    // A drag without formats is already turned away (Qt's canInsertFromMimeData is false for it),
    // but a paste asks nothing first: Ctrl+V (and a middle click, with X11's selection) hands the
    // clipboard's source straight here.
    if (source && !source->formats().isEmpty())
        QPlainTextEdit::insertFromMimeData(source);
}

} // namespace Quorvel
