// Arbitrary bytes as a list file after its signature: the reader must end in
// a read error or a catalogue that writes back to a prefix of the input.
#include "storage/Exceptions.h"
#include "storage/Lists.h"
#include "storage/Stream.h"
#include "storage/ValueStream.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavik::TMemoryStream input(std::vector<std::uint8_t>(data, data + size));
    tavik::TValueReader reader(input);
    tavik::TTopicList topics;
    try {
        topics.ReadFrom(reader);
    } catch (const tavik::EReadError&) {
        return 0;
    }
    // A stream that read whole writes back to the same catalogue; the bytes
    // may differ only in the width of integer and string tags.
    tavik::TMemoryStream output;
    {
        tavik::TValueWriter writer(output);
        topics.WriteTo(writer);
        writer.FlushBuffer();
    }
    output.Seek(0);
    tavik::TValueReader again(output);
    tavik::TTopicList reread;
    reread.ReadFrom(again);
    if (reread.Count() != topics.Count() || reread.ImageCount() != topics.ImageCount())
        std::abort();
    return 0;
}
