#include "Quorvel/UnsavedEditsQuestion.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QStringList>

#include <memory>

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

QMessageBox *UnsavedEditsQuestion::make(const QList<Editor> &editors, QWidget *parent)
{
    auto *box =
        new QMessageBox(QMessageBox::Warning, title(), title(), QMessageBox::Cancel, parent);
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(text(editors));
    box->addButton(quitLabel(), QMessageBox::DestructiveRole);
    box->setDefaultButton(QMessageBox::Cancel);
    return box;
}

bool UnsavedEditsQuestion::ask(const QList<Editor> &editors, QWidget *parent)
{
    const std::unique_ptr<QMessageBox> box(make(editors, parent));
    box->exec();
    QAbstractButton *clicked = box->clickedButton();
    return clicked && box->buttonRole(clicked) == QMessageBox::DestructiveRole;
}

} // namespace Quorvel
