#include "Platform/Desktop/SchemeHandler.h"

// GLib's headers use "signals" as a name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")

#include "Platform/PlatformLogging.h"

#include <QFile>

#include <memory>

namespace Quorvel::SchemeHandler {

namespace {

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AppInfoPtr = std::unique_ptr<GAppInfo, Unref>;

} // namespace

bool claimIfUnclaimed(const QString &scheme, const QString &entryPath)
{
    const QByteArray schemeText = scheme.toUtf8();
    if (AppInfoPtr(g_app_info_get_default_for_uri_scheme(schemeText.constData())))
        return true;
    AppInfoPtr entry(
        G_APP_INFO(g_desktop_app_info_new_from_filename(QFile::encodeName(entryPath).constData())));
    if (!entry)
        return false;
    GError *error = nullptr;
    const QByteArray type = "x-scheme-handler/" + schemeText;
    if (!g_app_info_set_as_default_for_type(entry.get(), type.constData(), &error)) {
        qCWarning(lcDesktop) << "Could not register for links of" << scheme << ":"
                             << (error ? error->message : "");
        g_clear_error(&error);
        return false;
    }
    return true;
}

} // namespace Quorvel::SchemeHandler
