#include "Widgets/PlainTextField.h"

#include "Widgets/FieldBreaks.h"

#include <QMimeData>
#include <QScopedValueRollback>
#include <QTextDocument>

namespace Quorvel {

PlainTextField::PlainTextField(QWidget *parent) : QPlainTextEdit(parent)
{
    // Tab moves on to the next control as it does from every other field; a tab character comes
    // in only by paste.
    setTabChangesFocus(true);
    // Every change comes with its place, a text set through Qt's own setPlainText() too (read
    // with line feeds).
    connect(document(), &QTextDocument::contentsChange, this, &PlainTextField::noteChange);
}

PlainTextField::PlainTextField(const QString &text, QWidget *parent) : PlainTextField(parent)
{
    setText(text);
}

QString PlainTextField::text() const
{
    return FieldBreaks::restored(document()->toRawText(), m_breaks);
}

void PlainTextField::setText(const QString &text)
{
    {
        const QScopedValueRollback setting(m_setting, true);
        // Known before the document changes: its textChanged already reads the new text.
        m_breaks = FieldBreaks::of(text);
        setPlainText(text);
    }
    m_setRaw = document()->toRawText();
    m_setBreaks = m_breaks;
}

void PlainTextField::noteChange(int position, int /*removed*/, int added)
{
    if (m_setting)
        return;
    const QString raw = document()->toRawText();
    if (!document()->isUndoRedoEnabled()) {
        // Qt's own setPlainText(), which sets with undo turned off: nothing set before comes back.
        m_setRaw.clear();
        m_setBreaks.clear();
    } else if (raw == m_setRaw) {
        m_breaks = m_setBreaks;
        return;
    }
    m_breaks = FieldBreaks::afterChange(m_breaks, raw, position, added);
}

void PlainTextField::insertFromMimeData(const QMimeData *source)
{
    // A drag without formats is already turned away (Qt's canInsertFromMimeData is false for it),
    // but a paste asks nothing first: Ctrl+V (and a middle click, with X11's selection) hands the
    // clipboard's source straight here.
    if (source && !source->formats().isEmpty())
        QPlainTextEdit::insertFromMimeData(source);
}

} // namespace Quorvel
