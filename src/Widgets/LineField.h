#pragma once

#include <QClipboard>
#include <QLineEdit>

#include <optional>

class QMimeData;

namespace Quorvel {

// The one one-line text field of every window (titles, names, ids, paths, one-line commands,
// searches). Text pasted or dropped into it comes in on one line: each line break within it
// becomes a space, as the field has no other way to hold it, and those at its start and end are
// left out (a line copied from a terminal ends in one, which would have been a space nobody
// sees). A line edit takes pasted text as it is, so a title copied from a text of several lines
// was stored, sent and saved with its breaks. Text set by the program (a title from a
// hand-edited deck file) is kept as it is; the field shows its breaks as spaces.
class LineField : public QLineEdit {
    Q_OBJECT
public:
    explicit LineField(QWidget *parent = nullptr);
    explicit LineField(const QString &text, QWidget *parent = nullptr);

    // Inserts the clipboard's (or, with X11, the selection's) text on one line, in place of any
    // selected text. Also what Ctrl+V, Shift+Insert, the context menu and a middle click do.
    void pasteOnOneLine(QClipboard::Mode mode = QClipboard::Clipboard);

    // A field for the path of a file: a file dropped on it gives its path, and a drop of several
    // files or of anything that is not a file on this computer is refused. Other fields take a
    // dropped file as the text the drag offers (its "file://" address).
    void setTakesFilePath(bool takes) { m_takesFilePath = takes; }

    // What a paste or a drop of text puts in: the text without the line breaks at its start and
    // end and without NUL characters (no program can be given one), each remaining break a space.
    static QString pastedText(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The text a drop puts in; none when the field refuses it.
    std::optional<QString> droppedText(const QMimeData *dropped) const;

    bool m_takesFilePath = false;
};

} // namespace Quorvel
