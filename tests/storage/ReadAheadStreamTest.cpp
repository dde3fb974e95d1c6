#include "StorageTestSupport.h"

#include "storage/Exceptions.h"
#include "storage/Stream.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::Bytes;

// Reads of every size, forward and back, across window edges and past the
// end, give exactly what the source gives.
TEST(ReadAheadStream, ReadsWhatTheSourceHolds) {
    const std::size_t window = TReadAheadStream::kWindowSize;
    const Bytes bytes = test::PictureLike(2 * window + 12345);
    TMemoryStream source{Bytes(bytes)};
    TReadAheadStream stream(source);
    EXPECT_EQ(stream.Size(), static_cast<std::int64_t>(bytes.size()));
    struct Piece {
        std::int64_t at;
        std::size_t count;
    };
    for (const Piece piece :
         {Piece{0, 8}, Piece{4, 100}, Piece{static_cast<std::int64_t>(window) - 3, 10},
          Piece{5, window + 7}, Piece{17, 3},
          Piece{static_cast<std::int64_t>(bytes.size()) - 5, 20}}) {
        stream.Seek(piece.at);
        Bytes out(piece.count, 0xEE);
        const std::size_t n = stream.Read(out.data(), out.size());
        const std::size_t expected =
            std::min(piece.count, bytes.size() - static_cast<std::size_t>(piece.at));
        ASSERT_EQ(n, expected) << piece.at;
        EXPECT_TRUE(
            std::equal(out.begin(), out.begin() + static_cast<long>(n), bytes.begin() + piece.at))
            << piece.at;
        EXPECT_EQ(stream.Position(), piece.at + static_cast<std::int64_t>(n));
    }
    EXPECT_THROW(stream.Seek(-1), EReadError);
    EXPECT_EQ(stream.Write("x", 1), 0u);
}

} // namespace
} // namespace tavik
