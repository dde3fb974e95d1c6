#pragma once

// Internal to the enhanced metafile player: shared by PlayerEmf.cpp and the
// files that play its bitmap and text records. Not part of the engine's API.

#include "Bytes.h"
#include "Gdi.h"
#include "Reader.h"
#include "Records.h"

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <optional>
#include <vector>

namespace tavik::metafile {

// Plays the records of one enhanced metafile onto a Gdi, keeping the
// metafile's object table.
class EmfPlayer {
public:
    EmfPlayer(const EmfFile& file, Bytes data, Gdi& gdi)
        : FFile(file), FData(data), FGdi(gdi),
          FObjects(static_cast<std::size_t>(file.header.handles) + 1) {}

    void Run() {
        for (const RecordRef& ref : FFile.records) {
            if (FGdi.Exhausted() || !FGdi.Charge(Cost::Record, 1))
                return;
            const auto type = static_cast<EmfRecord>(ref.type);
            if (type == EmfRecord::Eof)
                return;
            Play(type, FData.Sub(ref.offset, ref.size));
        }
    }

private:
    static QRgb Color(const Bytes& r, std::uint64_t at) {
        const std::uint32_t v = r.U32(at);
        return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
    }
    static QRectF BoxL(const Bytes& r, std::uint64_t at) {
        return QRectF(QPointF(r.I32(at), r.I32(at + 4)), QPointF(r.I32(at + 8), r.I32(at + 12)));
    }
    static QPointF PointL(const Bytes& r, std::uint64_t at) {
        return QPointF(r.I32(at), r.I32(at + 4));
    }
    static QPointF PointS(const Bytes& r, std::uint64_t at) {
        return QPointF(r.I16(at), r.I16(at + 2));
    }

    // Dispatch, state, objects and drawing (PlayerEmf.cpp).
    void Play(EmfRecord type, const Bytes& r);
    bool PlayDrawing(EmfRecord type, const Bytes& r);
    bool PlayState(EmfRecord type, const Bytes& r);
    bool PlayObject(EmfRecord type, const Bytes& r);
    bool PlayPathOrRegion(EmfRecord type, const Bytes& r);
    bool PlayBitmapOrText(EmfRecord type, const Bytes& r);
    void Poly(EmfRecord type, const Bytes& r, bool shortPoints);
    void PolyPoly(EmfRecord type, const Bytes& r, bool shortPoints);
    void Create(std::uint32_t index, GdiObject object);
    void Select(std::uint32_t index);
    void Delete(std::uint32_t index);
    std::optional<QPainterPath> RegionPath(const Bytes& r, std::uint64_t at, std::uint64_t cb);
    std::optional<LogBrush> BrushAt(std::uint32_t index) const;

    // Bitmap records (PlayerEmfBitmaps.cpp); each is called once the record
    // holds its fixed part.
    std::optional<QImage> Bitmap(const Bytes& r, std::uint64_t fixed, std::uint64_t offBmi,
                                 std::uint64_t cbBmi, std::uint64_t offBits, std::uint64_t cbBits,
                                 std::uint32_t usage, bool* mono = nullptr, bool alpha = false);
    void BitBlt(EmfRecord type, const Bytes& r); // BITBLT, STRETCHBLT, MASKBLT
    void PlgBlt(const Bytes& r);
    void SetDiBitsToDevice(const Bytes& r);
    void StretchDiBits(const Bytes& r);
    void AlphaOrTransparentBlt(EmfRecord type, const Bytes& r); // ALPHABLEND, TRANSPARENTBLT

    // Text records (PlayerEmfText.cpp), likewise.
    void Text(const Bytes& r, std::uint64_t at, bool wide, std::uint64_t fixed);
    void PolyText(EmfRecord type, const Bytes& r); // POLYTEXTOUTA, POLYTEXTOUTW
    void SmallText(const Bytes& r);                // SMALLTEXTOUT

    const EmfFile& FFile;
    Bytes FData;
    Gdi& FGdi;
    std::vector<std::optional<GdiObject>> FObjects;
};

} // namespace tavik::metafile
