#include "Quorvel/Outside/LinkApprovalAlert.h"

#include <QLabel>
#include <QPushButton>

namespace Quorvel {

LinkApprovalAlert::LinkApprovalAlert(QObject *parent) : QObject(parent) {}

QMessageBox *LinkApprovalAlert::build(const ApprovalQuestion &question)
{
    auto *alert = new QMessageBox();
    alert->setWindowTitle(QStringLiteral("Quorvel"));
    alert->setIcon(QMessageBox::Question);
    alert->setTextFormat(Qt::PlainText);
    alert->setText(question.message());
    alert->setInformativeText(question.informativeText());
    // The informative text has no format of its own and would be guessed to be rich text when
    // a title or host name looks like markup.
    for (QLabel *label : alert->findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    QPushButton *yes = alert->addButton(question.yesButton(), QMessageBox::AcceptRole);
    alert->addButton(question.noButton(), QMessageBox::RejectRole);
    alert->setDefaultButton(yes);
    return alert;
}

void LinkApprovalAlert::ask(const ApprovalQuestion &question, std::function<void(bool)> onAnswer)
{
    QMessageBox *alert = build(question);
    alert->setWindowFlag(Qt::WindowStaysOnTopHint);
    connect(alert, &QMessageBox::finished, alert, [alert, onAnswer](int) {
        alert->deleteLater();
        onAnswer(alert->clickedButton() != nullptr &&
                 alert->buttonRole(alert->clickedButton()) == QMessageBox::AcceptRole);
    });
    alert->open();
    alert->raise();
    alert->activateWindow();
    emit shown(alert);
}

} // namespace Quorvel
