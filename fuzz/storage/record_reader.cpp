// Arbitrary bytes as a data file with a record at position 0: reading must
// fail cleanly or give a picture stream, and copying the record must give a
// record that reads back to the same stream.
#include "storage/Exceptions.h"
#include "storage/Records.h"
#include "storage/Stream.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavik::TMemoryStream input(std::vector<std::uint8_t>(data, data + size));
    tavik::PictureRecord record;
    try {
        record = tavik::LoadRecord(input, 0);
    } catch (const tavik::Exception&) {
        return 0;
    }
    std::vector<std::uint8_t> copy;
    tavik::CopyRecord(input, 0, copy);
    tavik::TMemoryStream copied(std::move(copy));
    const tavik::PictureRecord again = tavik::LoadRecord(copied, 0);
    if (again.kind != record.kind || again.stream != record.stream)
        std::abort();
    return 0;
}
