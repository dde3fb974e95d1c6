#pragma once
// The catalogue the main window benchmarks open: one topic of small bitmaps
// from 16 x 16 to 48 x 48 pixels, optionally led by a metafile for the
// preview, appended as one add command does (one flush for all of them).
#include "graphics/SvgImport.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"
#include "storage/Records.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <string>
#include <vector>

namespace tavik::bench {

struct TBenchCatalogue {
    QTemporaryDir dir;
    std::string folder;
    std::vector<std::int32_t> positions;

    TBenchCatalogue(int pictures, bool metafileFirst) {
        folder = dir.path().toStdString() + "/";
        CreateDataFile(DataFileName(folder));
        TTopicList topics;
        TTopic& topic = topics.AddTopic("bench");
        TRecordAppender data(DataFileName(folder));
        if (metafileFirst) {
            const std::vector<std::uint8_t> emf = SvgToEmf(
                "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='150'>"
                "<rect x='10' y='10' width='180' height='130' fill='#4080c0' stroke='black'/>"
                "<circle cx='100' cy='75' r='50' fill='#e0a020'/>"
                "<path d='M20 140 C60 20 140 20 180 140' fill='none' stroke='red' "
                "stroke-width='4'/><text x='30' y='40' font-size='20'>Tavik</text></svg>");
            positions.push_back(data.Append(PictureKind::Metafile, emf));
            topic.AddBmp("m.emf", positions.back());
        }
        std::vector<std::vector<std::uint8_t>> streams;
        for (int i = 0; i < 33; ++i) {
            QImage image(16 + i, 16 + i, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 37 % 360, 180, 220));
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "BMP");
            streams.emplace_back(bytes.begin(), bytes.end());
        }
        for (int i = 0; i < pictures; ++i) {
            positions.push_back(
                data.Append(PictureKind::Bitmap, streams[static_cast<std::size_t>(i % 33)]));
            topic.AddBmp("p" + std::to_string(i) + ".bmp", positions.back());
        }
        data.Flush();
        SaveListFile(ListFileName(folder), topics);
    }
};

} // namespace tavik::bench
