// The emulator's "drvctl -l" listing: any bytes, both drives.
#include <cstddef>
#include <cstdint>

#include "drivelisting.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray listing(reinterpret_cast<const char*>(data), int(size));
    for (int drive : {0, 1, 7}) {
        const std::optional<DriveListing> row = DriveListing::Parse(listing, drive);
        if (!row)
            continue;
        const QString name = row->ImageName();
        if (name.contains(QLatin1Char('/')) || row->IsWriteProtected() == (row->Protect() == DriveListing::NOT_PROTECTED))
            __builtin_trap();
    }
    return 0;
}
