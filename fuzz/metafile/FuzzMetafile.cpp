#include "graphics/metafile/Metafile.h"
#include "graphics/metafile/Reader.h"
#include "storage/Exceptions.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

// One program per format (TAVIK_FUZZ_ENHANCED picks which): parse, play into
// 64 x 64, and for small inputs convert to the other format and play that.

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tavik::metafile;
    const std::span<const std::uint8_t> input(data, size);
    if (LooksLikeEmf(input) != bool(TAVIK_FUZZ_ENHANCED))
        return -1;
    try {
        const MetafileDocument doc = MetafileDocument::Parse(input);
        QImage img(64, 64, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            QPainter painter(&img);
            doc.Play(painter, QRectF(0, 0, 64, 64));
        }
        if (size < 4096) {
            const auto other = doc.IsEnhanced() ? doc.ToPlaceableWmf() : doc.ToEmf();
            const MetafileDocument again = MetafileDocument::Parse(other);
            QPainter painter(&img);
            again.Play(painter, QRectF(0, 0, 64, 64));
        }
    } catch (const tavik::EInvalidGraphic&) {
    }
    return 0;
}
