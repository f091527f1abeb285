#pragma once

namespace Quorvel {

class AppState;
class ClientModel;
class GallerySession;

// The application pages' state: roles stored as after the set-up, then an application state over
// the given remote model (a new one when none), kept by the session.
AppState *galleryApp(GallerySession &session, bool remote, bool hosting,
                     ClientModel *model = nullptr);

} // namespace Quorvel
