#include "Gallery/GalleryApp.h"

#include "Gallery/GallerySession.h"
#include "Quorvel/AppRoles.h"
#include "Quorvel/AppState.h"
#include "QuorvelClientUI/ClientSettings.h"

namespace Quorvel {

AppState *galleryApp(GallerySession &session, bool remote, bool hosting, ClientModel *model)
{
    const auto settings = openClientSettings();
    settings->setValue(AppRoles::remoteKey, remote);
    settings->setValue(AppRoles::hostingKey, hosting);
    settings->setValue(AppRoles::onboardedKey, true);
    settings->sync();
    AppState::Options options;
    options.model = model ? model : session.makeModel(QStringLiteral("Remote"));
    return session.keep(std::make_unique<AppState>(std::move(options)));
}

} // namespace Quorvel
