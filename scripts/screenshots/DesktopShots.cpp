// Starts the real main window and view window on a small catalogue with a
// desktop font of the given size, for screenshots taken on an X server by
// scripts/screenshots/desktop-shots.sh. The catalogue is made in the folder
// given, in the language given ("Lang" of the settings).
#include "graphics/TavikPicture.h"
#include "mainwin/AppIdentity.h"
#include "mainwin/MainForm.h"
#include "mainwin/View.h"
#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <cstdio>

namespace {

QString MakeBitmap(const QString& dir, int i) {
    QImage image(24 + i * 6, 20 + i * 4, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(i * 40 % 360, 120, 240));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor::fromHsv((i * 40 + 180) % 360, 200, 170));
    p.setPen(Qt::NoPen);
    p.drawEllipse(image.rect().adjusted(3, 3, -3, -3));
    p.end();
    const QString path = QStringLiteral("%1/picture-%2.bmp").arg(dir).arg(i);
    image.save(path, "BMP");
    return path;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tavik::SetApplicationIdentity();
    if (argc != 5) {
        std::fprintf(stderr, "usage: desktop-shots <folder> <points> <lang> <metafile folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QFont font = QApplication::font();
    font.setPointSize(QString::fromLocal8Bit(argv[2]).toInt());
    QApplication::setFont(font);
    const int language = QString::fromLocal8Bit(argv[3]).toInt();
    const QDir metafiles(QString::fromLocal8Bit(argv[4]));

    const std::string data = folder.toStdString() + "/";
    if (!QFile::exists(folder + "/tavik.lst")) {
        QFile ini(folder + "/tavik.ini");
        ini.open(QIODevice::WriteOnly);
        ini.write(QStringLiteral("[Lang]\nLang=%1\n").arg(language).toUtf8());
        ini.close();
        tavik::CreateDataFile(tavik::DataFileName(data));
        tavik::TTopicList topics;
        tavik::TTavikPicture picture;
        const int codePage = language == 1 ? tavik::kCodePageCyrillic : tavik::kCodePageWestern;
        const char* names[] = {"Кнопки и значки", "Стрелки", "Лица, фигуры"};
        for (const char* name : names) {
            tavik::TTopic& topic = topics.AddTopic(tavik::FromUtf8(name, codePage));
            int i = 0;
            for (const QString& file : metafiles.entryList({"*.emf", "*.wmf"}).mid(0, 6)) {
                picture.LoadFromFile(metafiles.filePath(file).toStdString());
                topic.AddBmp(file.toStdString(),
                             picture.AppendToCatalog(tavik::DataFileName(data)));
                ++i;
            }
            for (int b = 0; b < 5; ++b) {
                picture.LoadFromFile(MakeBitmap(folder, b + i).toStdString());
                topic.AddBmp(tavik::FromUtf8("Картинка " + std::to_string(b) + ".bmp", codePage),
                             picture.AppendToCatalog(tavik::DataFileName(data)));
            }
        }
        tavik::SaveListFile(tavik::ListFileName(data), topics);
    }

    tavik::TMainForm form(folder + "/tavik");
    auto* view = new tavik::TViewForm(form.DataFolder(), &form);
    form.SetViewForm(view);
    QObject::connect(&form, &tavik::TMainForm::Closed, &app, [] { QCoreApplication::exit(0); });
    form.show();
    return app.exec();
}
