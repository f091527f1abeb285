#include "QuorvelCore/Model/QuitAppScript.h"

#include <QRegularExpression>

namespace Quorvel {

bool canQuoteAppName(const QString &name)
{
    for (const QChar c : name) {
        if (c == u'"' || c == u'\\' || c == u'\n' || c == u'\r' || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return false;
    }
    return true;
}

std::optional<QString> quitAppTarget(const QString &name)
{
    if (!canQuoteAppName(name))
        return std::nullopt;
    return QStringLiteral("tell application \"%1\" to quit").arg(name);
}

std::optional<QString> quitAppName(const QString &target)
{
    static const QRegularExpression form(
        QStringLiteral(R"re(\A\s*tell[ \t]+application[ \t]+"([^"\\\r\n\x{2028}\x{2029}]*)")re"
                       R"re([ \t]+to[ \t]+quit\s*\z)re"),
        QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = form.match(target);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

std::optional<QString> quittingAppName(const QString &target)
{
    const std::optional<QString> name = quitAppName(target);
    if (!name || name->isEmpty())
        return std::nullopt;
    return name;
}

QString appleScriptMissingText()
{
    return QStringLiteral("AppleScript isn't available on this computer: only %1 runs here")
        .arg(*quitAppTarget(QStringLiteral("NAME")));
}

} // namespace Quorvel
