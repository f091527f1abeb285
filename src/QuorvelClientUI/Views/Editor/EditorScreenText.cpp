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
    // The host reads the setting from its INI settings file at its start and again when a device
    // connects. The command sets the key in that file's top group whether or not the folder, the
    // file or the key is there yet: the key's lines in any "[General]" group (or before the first
    // group, which Qt reads as the same) are replaced by one, every other line is kept as it was.
    // It runs in an sh of its own (single quotes outside, none inside), so that its umask (new
    // files and folders are the user's alone) ends with it and the user's own shell need not be
    // sh. The new text is written beside the file and renamed over it: the host never reads half.
    return QStringLiteral(
        R"(sh -c 'umask 077; f="${XDG_CONFIG_HOME:-$HOME/.config}/Quorvel/Quorvel.ini"; )"
        R"(mkdir -p "${f%/*}" && touch "$f" && t=$(mktemp "$f.XXXXXX") && )"
        R"({ awk -v k=allowRemoteDeckEditing=true "BEGIN{g=1} )"
        R"(/^[[:space:]]*[[]/{if(g&&s&&!d){print k;d=1} )"
        R"(g=(tolower(\$0)~/^[[:space:]]*[[][[:space:]]*general[[:space:]]*[]]/);s=1;print;next} )"
        R"(g&&/^[[:space:]]*allowRemoteDeckEditing[[:space:]]*=/{if(!d){print k;d=1} next} )"
        R"({print} END{if(!d){if(!g)print \"[General]\";print k}}" "$f" > "$t" && )"
        R"(mv "$t" "$f" || rm -f "$t"; }')");
}

} // namespace Quorvel
