#include "QuorvelClientUI/Views/Editor/EditorScreenText.h"

#include <QCoreApplication>

namespace Quorvel {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DeckEditorView", text);
}

const QString separator = QStringLiteral(" \u00B7 ");

QString foundName(const ClientConnectionStatus &status)
{
    return status.host() ? status.host()->name : QString();
}

} // namespace

QString EditorScreenText::actionCount(int count)
{
    return count == 1 ? tr("1 action") : tr("%1 actions").arg(count);
}

QString EditorScreenText::subtitle(const ClientConnectionStatus &status, const QString &hostName,
                                   int actionCount, bool editable)
{
    switch (status.kind()) {
    case ClientConnectionStatus::Kind::connecting:
        return tr("connecting to %1\u2026").arg(foundName(status));
    case ClientConnectionStatus::Kind::connected: {
        QString text =
            tr("on %1").arg(hostName) + separator + EditorScreenText::actionCount(actionCount);
        if (!editable)
            text += separator + tr("view only");
        return text;
    }
    case ClientConnectionStatus::Kind::needsPairing:
        return tr("%1 needs pairing").arg(foundName(status));
    case ClientConnectionStatus::Kind::failed:
        return tr("not connected: %1").arg(status.failureText());
    case ClientConnectionStatus::Kind::idle:
        break;
    }
    return tr("not connected");
}

QString EditorScreenText::summary(int unsavedChanges, int problems,
                                  const QStringList &deckNameProblems, const QString &hostName,
                                  bool hostChanged)
{
    QStringList parts;
    if (unsavedChanges > 0)
        parts.append(unsavedChanges == 1 ? tr("1 change not saved")
                                         : tr("%1 changes not saved").arg(unsavedChanges));
    if (problems > 0)
        parts.append(problems == 1 ? tr("1 needs attention")
                                   : tr("%1 need attention").arg(problems));
    parts.append(deckNameProblems);
    if (parts.isEmpty() && !hostChanged)
        return tr("Everything is saved on %1").arg(hostName);
    return parts.join(separator);
}

QString EditorScreenText::saveLabel(bool saving, const QString &hostName)
{
    return saving ? tr("Saving\u2026") : tr("Save to %1").arg(hostName);
}

QString EditorScreenText::editingCommand()
{
    // The host keeps the setting in its INI settings file; the command sets the key there whether
    // or not the file has it yet (a repeated [General] group is read as one).
    return QStringLiteral(
        "f=\"${XDG_CONFIG_HOME:-$HOME/.config}/Quorvel/Quorvel.conf\"; mkdir -p \"$(dirname "
        "\"$f\")\"; "
        "if grep -q '^allowRemoteDeckEditing=' \"$f\" 2>/dev/null; then "
        "sed -i 's/^allowRemoteDeckEditing=.*/allowRemoteDeckEditing=true/' \"$f\"; "
        "else printf '[General]\\nallowRemoteDeckEditing=true\\n' >> \"$f\"; fi");
}

} // namespace Quorvel
