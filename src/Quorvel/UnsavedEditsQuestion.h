#pragma once

#include <QList>
#include <QString>

class QMessageBox;
class QWidget;

namespace Quorvel {

// What Quit asks while a deck editor holds changes that were never saved: the words, worked out
// from the editors' state, and the alert that asks.
class UnsavedEditsQuestion {
public:
    // One editor's unsaved work: the host its actions belong to and how many changes.
    struct Editor {
        QString hostName;
        int changes = 0;
        friend bool operator==(const Editor &, const Editor &) = default;
    };

    static QString title();
    // "Your 3 changes to the actions on Studio aren't saved.", one line per editor.
    static QString text(const QList<Editor> &editors);
    static QString quitLabel();

    // The alert, not yet shown: "Cancel" is its default button.
    static QMessageBox *make(const QList<Editor> &editors, QWidget *parent);
    // Asks over parent; true when the user chose to quit and lose the changes.
    static bool ask(const QList<Editor> &editors, QWidget *parent);
};

} // namespace Quorvel
