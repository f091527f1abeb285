// Feeds arbitrary text to the announcement reader, as another process could post it. Whatever
// is accepted must be written and read back as the same announcement, unless the written text
// grew beyond what a reader accepts.
#include "Knobwire/Announcement.h"
#include "Knobwire/Limits.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<Knobwire::Announcement> announcement =
        Knobwire::Announcement::fromJson(text);
    if (!announcement) {
        return 0;
    }
    const QString written = announcement->json();
    if (written.toUtf8().size() > Knobwire::Limits::maxHelloLine) {
        return 0;
    }
    if (!(Knobwire::Announcement::fromJson(written) == announcement)) {
        std::abort();
    }
    return 0;
}
