// The alert that asks whether a link may run an action: from a named application, from an
// opener the desktop did not name, and with long outside text.

#include "Gallery/GalleryRegistry.h"
#include "Quorvel/Outside/LinkApprovalAlert.h"

namespace Quorvel {

namespace {

const LinkSender editor{QStringLiteral("org.example.Editor.desktop"),
                        QStringLiteral("Text Editor")};

QWidget *alertFor(const ApprovalQuestion &question)
{
    QMessageBox *alert = LinkApprovalAlert::build(question);
    alert->adjustSize();
    return alert;
}

const GalleryRegistry::Registration pages{
    {QStringLiteral("LinkApprovalAlert"), QStringLiteral("named-app"),
     GalleryPass::withoutDiscovery,
     [](GallerySession &) {
         return alertFor({editor, QStringLiteral("Desk Lamp"), QStringLiteral("Studio")});
     }},
    {QStringLiteral("LinkApprovalAlert"), QStringLiteral("unknown-opener"),
     GalleryPass::withoutDiscovery,
     [](GallerySession &) {
         return alertFor({std::nullopt, QStringLiteral("Fan"), QStringLiteral("Studio")});
     }},
    {QStringLiteral("LinkApprovalAlert"), QStringLiteral("outside-text"),
     GalleryPass::withoutDiscovery,
     [](GallerySession &) {
         return alertFor({LinkSender{QStringLiteral("org.example.Tool.desktop"),
                                     QStringLiteral("<b>Tool</b> & Co")},
                          QStringLiteral("<i>Record</i> the whole evening's rehearsal"),
                          QStringLiteral("Basement <Mac>")});
     }},
};

} // namespace

} // namespace Quorvel
