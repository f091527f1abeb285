#pragma once

#include <QList>
#include <QPlainTextEdit>

namespace Quorvel {

// The one multi-line text field of every window (commands, scripts, JSON). It takes pastes and
// drops only from a source that offers at least one format: on X11 an empty clipboard (nothing
// copied since login, or the program that copied has quit) still hands Qt a source, with no
// formats, and Qt 6.4 reads the first of its formats without looking, which ends the program.
// Tab and Shift+Tab leave it, as they leave a one-line field.
//
// Its text is read and set with text() and setText(): what was set comes back character for
// character where nobody edited it. Qt's toPlainText() turns no-break spaces into spaces and
// every kind of line break into a line feed, so a command that was only looked at came back
// changed.
class PlainTextField : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit PlainTextField(QWidget *parent = nullptr);
    explicit PlainTextField(const QString &text, QWidget *parent = nullptr);

    // The text as it stands: the characters set, with the user's edits; a line break typed or
    // pasted is a line feed.
    QString text() const;
    void setText(const QString &text);

protected:
    void insertFromMimeData(const QMimeData *source) override;

private:
    void noteChange(int position, int removed, int added);

    // What stood in the text for each break the document holds (see FieldBreaks).
    QList<QString> m_breaks;
    // The document's raw text and breaks when the text was last set: edits undone back to it read
    // as what was set.
    QString m_setRaw;
    QList<QString> m_setBreaks;
    bool m_setting = false;
};

} // namespace Quorvel
