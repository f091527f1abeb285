#include "Gallery/GalleryRegistry.h"

#include <algorithm>

namespace Quorvel {

GalleryRegistry::Registration::Registration(std::initializer_list<GalleryPage> pages)
{
    for (const GalleryPage &page : pages)
        add(page);
}

void GalleryRegistry::add(const GalleryPage &page)
{
    all().append(page);
}

QList<GalleryPage> GalleryRegistry::pages()
{
    QList<GalleryPage> ordered = all();
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const GalleryPage &a, const GalleryPage &b) { return a.phase < b.phase; });
    return ordered;
}

QList<GalleryPage> &GalleryRegistry::all()
{
    // Made on first use: registrations run during static initialisation, in any order.
    static QList<GalleryPage> pages;
    return pages;
}

} // namespace Quorvel
