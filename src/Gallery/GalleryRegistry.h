#pragma once

#include "Gallery/GalleryPage.h"

#include <QList>

#include <initializer_list>

namespace Quorvel {

// Every page of the gallery. Each area adds its pages from a source file of its own with a
// static Registration, so a new view joins the gallery without editing anyone else's file.
class GalleryRegistry {
public:
    struct Registration {
        Registration(std::initializer_list<GalleryPage> pages);
    };

    static void add(const GalleryPage &page);
    // In drawing order: by phase, then as added.
    static QList<GalleryPage> pages();

private:
    static QList<GalleryPage> &all();
};

} // namespace Quorvel
