#pragma once

#include "Quorvel/Outside/LinkHandler.h"

#include <QMessageBox>
#include <QObject>

namespace Quorvel {

// The approval alert as a window of its own, brought to the front; its texts are plain text
// (titles and host names come from outside).
class LinkApprovalAlert : public QObject, public LinkApprovalAsker {
    Q_OBJECT
public:
    explicit LinkApprovalAlert(QObject *parent = nullptr);

    // The alert for a question, not yet shown; "yes" is its default button.
    static QMessageBox *build(const ApprovalQuestion &question);

    void ask(const ApprovalQuestion &question, std::function<void(bool)> onAnswer) override;

signals:
    // An alert is on screen (tests answer it from here).
    void shown(QMessageBox *alert);
};

} // namespace Quorvel
