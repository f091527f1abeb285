#include "Quorvel/UnsavedEditsQuestion.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace Quorvel {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("UnsavedEditsQuestion", text);
}

} // namespace

QString UnsavedEditsQuestion::title()
{
    return tr("Quit and lose your unsaved changes?");
}

QString UnsavedEditsQuestion::text(const QList<Editor> &editors)
{
    QStringList lines;
    for (const Editor &editor : editors) {
        lines.append(editor.changes == 1
                         ? tr("Your change to the actions on %1 isn't saved.").arg(editor.hostName)
                         : tr("Your %1 changes to the actions on %2 aren't saved.")
                               .arg(editor.changes)
                               .arg(editor.hostName));
    }
    return lines.join(u'\n');
}

QString UnsavedEditsQuestion::quitLabel()
{
    return tr("Quit Anyway");
}

bool UnsavedEditsQuestion::ask(const QList<Editor> &editors, QWidget *parent)
{
    QMessageBox box(QMessageBox::Warning, title(), title(), QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(text(editors));
    QPushButton *quit = box.addButton(quitLabel(), QMessageBox::DestructiveRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == quit;
}

} // namespace Quorvel
