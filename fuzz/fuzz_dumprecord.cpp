// Dump records as found beside an image: any bytes at all.  Reading must
// never crash, and a record that is accepted must come back unchanged from
// its own written form.
#include <cstddef>
#include <cstdint>

#include <QLoggingCategory>

#include "dumprecord.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > size_t(DumpRecord::MAX_FILE_SIZE))
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    DumpRecord record;
    QString error;
    if (!DumpRecord::FromJson(bytes, &record, &error))
        return 0;
    if (record.tracks.size() != DumpRecord::TRACK_COUNT)
        __builtin_trap();
    DumpRecord again;
    if (!DumpRecord::FromJson(record.ToJson(), &again, &error))
        __builtin_trap();
    if (again.image != record.image || again.tool != record.tool || again.arguments != record.arguments ||
        again.outcome != record.outcome || again.retry != record.retry || again.cylinders != record.cylinders ||
        again.tracks != record.tracks || again.started != record.started || again.ended != record.ended)
        __builtin_trap();
    return 0;
}
