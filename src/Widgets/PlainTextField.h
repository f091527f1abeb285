#pragma once

#include <QPlainTextEdit>

namespace Quorvel {

// The one multi-line text field of every window (commands, scripts, JSON). It takes pastes and
// drops only from a source that offers at least one format: on X11 an empty clipboard (nothing
// copied since login, or the program that copied has quit) still hands Qt a source, with no
// formats, and Qt 6.4 reads the first of its formats without looking, which ends the program.
class PlainTextField : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit PlainTextField(QWidget *parent = nullptr);
    explicit PlainTextField(const QString &text, QWidget *parent = nullptr);

protected:
    void insertFromMimeData(const QMimeData *source) override;
};

} // namespace Quorvel
