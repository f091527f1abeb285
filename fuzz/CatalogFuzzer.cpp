// Feeds arbitrary bytes to the host-catalog decoder, as the catalog message brings it, then uses
// the lookups an editor makes and checks the round trip and that equal apps hash alike.
#include "QuorvelCore/Model/HostCatalog.h"
#include "QuorvelCore/Model/WireCodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace Quorvel;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<HostCatalog> catalog = WireCodec::decoder().decode<HostCatalog>(bytes);
    if (!catalog)
        return 0;
    for (const HostCatalog::AppControls &app : catalog->appControls) {
        for (const HostCatalog::AppControls::Item &item : app.controls) {
            if (!app.item(item.id))
                std::abort();
            item.controlType();
        }
    }
    for (const HostCatalog::App &first : catalog->apps) {
        for (const HostCatalog::App &second : catalog->apps) {
            if (first == second && qHash(first, 1) != qHash(second, 1))
                std::abort();
        }
    }
    const std::optional<QByteArray> encoded = WireCodec::prettyEncoder(false).encode(*catalog);
    if (!encoded || !(WireCodec::decoder().decode<HostCatalog>(*encoded) == catalog))
        std::abort();
    return 0;
}
