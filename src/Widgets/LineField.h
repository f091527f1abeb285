#pragma once

#include <QClipboard>
#include <QLineEdit>

namespace Quorvel {

// The one one-line text field of every window (titles, names, ids, paths, one-line commands,
// searches). Text pasted or dropped into it comes in on one line: each line break becomes a
// space, as the field has no other way to hold it. A line edit takes pasted text as it is, so a
// title copied from a text of several lines was stored, sent and saved with its breaks. Text set
// by the program (a title from a hand-edited deck file) is kept as it is; the field shows its
// breaks as spaces.
class LineField : public QLineEdit {
    Q_OBJECT
public:
    explicit LineField(QWidget *parent = nullptr);
    explicit LineField(const QString &text, QWidget *parent = nullptr);

    // Inserts the clipboard's (or, with X11, the selection's) text on one line, in place of any
    // selected text. Also what Ctrl+V, Shift+Insert, the context menu and a middle click do.
    void pasteOnOneLine(QClipboard::Mode mode = QClipboard::Clipboard);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

} // namespace Quorvel
