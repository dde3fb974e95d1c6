// A second program for the drag tests: a window that takes any drop and
// prints what it got. Lines: "ready" once shown; "over" while a drag moves
// over it; after the drop, each offered type, "png <w>x<h>" for the PNG
// flavour decoded, and "file <path> <size>" per local file; then it exits.
#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

void Say(const QString& line) {
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

class DropTarget : public QWidget {
public:
    DropTarget() { setAcceptDrops(true); }

protected:
    void showEvent(QShowEvent*) override {
        QTimer::singleShot(0, this, [] { Say("ready"); });
    }
    void dragEnterEvent(QDragEnterEvent* event) override { event->acceptProposedAction(); }
    void dragMoveEvent(QDragMoveEvent* event) override {
        event->acceptProposedAction();
        if (!FOver) {
            FOver = true;
            Say("over");
        }
    }
    void dropEvent(QDropEvent* event) override {
        const QMimeData* data = event->mimeData();
        for (const QString& format : data->formats())
            Say(format);
        const QImage png = QImage::fromData(data->data("image/png"), "PNG");
        Say(QStringLiteral("png %1x%2").arg(png.width()).arg(png.height()));
        for (const QUrl& url : data->urls())
            Say(QStringLiteral("file %1 %2")
                    .arg(url.toLocalFile())
                    .arg(QFileInfo(url.toLocalFile()).size()));
        event->acceptProposedAction();
        QTimer::singleShot(0, qApp, &QApplication::quit);
    }

private:
    bool FOver = false;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    DropTarget target;
    target.setGeometry(1000, 700, 250, 250);
    target.show();
    return app.exec();
}
