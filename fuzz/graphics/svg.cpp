// SVG text: refused with EPictureImport, or recorded as an enhanced metafile
// that the picture layer accepts and draws.
#include "FuzzApp.h"
#include "graphics/Metafile.h"
#include "graphics/PictureImport.h"
#include "graphics/SvgImport.h"

#include <QByteArray>
#include <QLoggingCategory>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tavik::fuzz::StartApplication();
    // Qt's SVG parser warns about every malformed input.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.svg*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray svg(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<std::uint8_t> emf;
    try {
        emf = tavik::SvgToEmf(svg);
    } catch (const tavik::EPictureImport&) {
        return 0;
    }
    tavik::TMetafile metafile;
    metafile.LoadFromStream(emf); // a recording the reader refuses is a fault: it throws
    QImage pixels(metafile.Width(), metafile.Height(), QImage::Format_ARGB32_Premultiplied);
    tavik::fuzz::DrawEverywhere(metafile, pixels);
    return 0;
}
