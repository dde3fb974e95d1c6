// Arbitrary bytes as a data file scanned for records without a list file:
// the scan must end, and every byte after the signature must be either in one
// readable record (which reads back) or counted as skipped.
#include "storage/Exceptions.h"
#include "storage/Recover.h"
#include "storage/Stream.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    const tavik::DataFileScan scan = tavik::ScanDataBytes(bytes);
    std::int64_t covered = scan.bytesSkipped;
    std::int64_t end = 4;
    tavik::TMemoryStream file(bytes);
    for (const tavik::FoundRecord& record : scan.readable) {
        if (record.position < end ||
            record.position + record.size > static_cast<std::int64_t>(size))
            std::abort();
        end = record.position + record.size;
        covered += record.size;
        if (tavik::LoadRecord(file, record.position).kind != record.kind)
            std::abort();
    }
    const std::int64_t expected = size > 4 ? static_cast<std::int64_t>(size) - 4 : 0;
    if (covered != expected || scan.damaged > scan.records ||
        scan.records - scan.damaged != static_cast<int>(scan.readable.size()))
        std::abort();
    return 0;
}
