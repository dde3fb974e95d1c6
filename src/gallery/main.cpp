// tavik-gallery: shows every control in its states. With "--screenshots DIR"
// it saves a PNG of each page and dialog into DIR and exits.
#include "gallery/Gallery.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavik"));
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption shots(QStringLiteral("screenshots"),
                                   QStringLiteral("Save screenshots into <folder> and exit."),
                                   QStringLiteral("folder"));
    parser.addOption(shots);
    parser.process(app);

    tavik::gallery::TGallery gallery;
    gallery.show();
    if (parser.isSet(shots)) {
        const QStringList files = gallery.SaveScreenshots(parser.value(shots));
        for (const QString& file : files)
            std::printf("%s\n", qPrintable(file));
        return files.isEmpty() ? 1 : 0;
    }
    return app.exec();
}
