// Takes the screenshots of the user guide: starts the main window headless on
// a catalogue folder and saves what it shows. Built and run by
// scripts/screenshots/take-screenshots.sh.
#include "controls/BmpLV.h"
#include "graphics/TavikPicture.h"
#include "mainwin/MainForm.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

// A picture file of one of three kinds, drawn so that each one differs.
QString MakePicture(const QString& dir, int topic, int i) {
    const int size = 16 + (i * 7) % 40;
    QImage image(size + (i % 3) * 10, size, QImage::Format_RGB32);
    image.fill(QColor::fromHsv((topic * 120 + i * 17) % 360, 140, 235));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor::fromHsv((topic * 120 + i * 17 + 180) % 360, 200, 160));
    p.setPen(Qt::NoPen);
    if (i % 2)
        p.drawEllipse(image.rect().adjusted(3, 3, -3, -3));
    else
        p.drawRect(image.rect().adjusted(size / 4, size / 4, -size / 4, -size / 4));
    p.end();
    const QString path = QStringLiteral("%1/%2-%3.bmp").arg(dir).arg(topic).arg(i);
    image.save(path, "BMP");
    return path;
}

void Save(QWidget& window, const QString& file) {
    QTest::qWait(50);
    window.grab().save(file);
    std::printf("%s\n", qPrintable(file));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName("Tavik");
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshots <output folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);

    QTemporaryDir fresh;
    {
        tavik::TMainForm form(fresh.filePath("tavik"));
        form.show();
        Save(form, out + "/first-run.png");
    }

    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    tavik::CreateDataFile(tavik::DataFileName(folder));
    tavik::TTopicList topics;
    tavik::TTavikPicture picture;
    const char* names[] = {"Buttons", "Arrows", "Faces"};
    for (int t = 0; t < 3; ++t) {
        tavik::TTopic& topic = topics.AddTopic(names[t]);
        for (int i = 0; i < 20; ++i) {
            const QString file = MakePicture(dir.path(), t, i);
            picture.LoadFromFile(file.toStdString());
            topic.AddBmp(QFileInfo(file).fileName().toStdString(),
                         picture.AppendToCatalog(tavik::DataFileName(folder)));
        }
    }
    tavik::SaveListFile(tavik::ListFileName(folder), topics);

    tavik::TMainForm form(dir.filePath("tavik"));
    form.resize(640, 460);
    form.show();
    form.SetCenterPreview(true);
    form.ImageList()->SetSelected(9, true);
    form.ImageList()->SetFocusedIndex(9);
    const char* styles[] = {"large-icons", "small-icons", "list"};
    for (int style : {1, 2, 0}) {
        form.SetViewStyle(style);
        Save(form, QStringLiteral("%1/catalogue-%2.png").arg(out, styles[style]));
    }
    return 0;
}
