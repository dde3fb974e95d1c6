#include "gallery/Gallery.h"

#include "controls/About.h"
#include "controls/BrowseDr.h"
#include "controls/MessDlgs.h"
#include "mainwin/Progress.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

namespace tavik::gallery {

TGallery::TGallery(QWidget* parent) : QTabWidget(parent) {
    setWindowTitle(QStringLiteral("Tavik controls"));
    addTab(ButtonsPage(), QStringLiteral("Toolbar buttons"));
    addTab(SplitterPage(), QStringLiteral("Splitters and panels"));
    addTab(ListsPage(), QStringLiteral("Lists"));
    addTab(GradientPage(), QStringLiteral("Gradient and links"));
    addTab(DialogsPage(), QStringLiteral("Dialogs"));
    resize(820, 600);
}

namespace {

bool Save(const QPixmap& pixmap, const QString& path, QStringList& written) {
    if (!pixmap.save(path))
        return false;
    written << path;
    return true;
}

// Grabs the next modal dialog once it is up, then closes it.
void GrabNextModal(const QString& path, QStringList& written) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, path, &written] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        Save(modal->grab(), path, written);
        modal->close();
    });
    poll->start(20);
}

} // namespace

QStringList TGallery::SaveScreenshots(const QString& folder) {
    QStringList written;
    QDir().mkpath(folder);
    for (int i = 0; i < count(); ++i) {
        setCurrentIndex(i);
        QApplication::processEvents();
        const QPixmap page = grab();
        Save(page, QDir(folder).filePath(QStringLiteral("page%1.png").arg(i + 1)), written);
        if (i == 0) {
            // The first rows of buttons four times enlarged, to see the edges.
            const QPixmap rows = page.copy(150, 55, 660, 140);
            Save(rows.scaled(rows.size() * 4),
                 QDir(folder).filePath(QStringLiteral("buttons-zoom.png")), written);
        }
    }

    {
        TProgressManager progress(LoadText(kTextUpdating), 100, 0, LoadText(kTextImporting));
        progress.Show();
        for (int i = 0; i < 40; ++i)
            progress.Step();
        QApplication::processEvents();
        Save(progress.Form()->grab(), QDir(folder).filePath(QStringLiteral("progress.png")),
             written);
    }

    TAboutBox about(this, LoadText);
    about.setWindowTitle(QStringLiteral("About Tavik"));
    about.SetCounts(12, 345);
    GrabNextModal(QDir(folder).filePath(QStringLiteral("about.png")), written);
    about.exec();

    GrabNextModal(QDir(folder).filePath(QStringLiteral("folder.png")), written);
    TBrowseDirectoryDlg browse;
    browse.SetTitle(QStringLiteral("Select folder containing Tavik data files for import."));
    browse.SetStatusText(QDir::homePath() + QStringLiteral("/"));
    browse.SetSelection(QDir::homePath());
    browse.Execute();

    GrabNextModal(QDir(folder).filePath(QStringLiteral("message.png")), written);
    MessageDlgLang(QStringLiteral("Do you really want to delete the selected topic 'Animals'?"),
                   MsgDlgKind::Confirmation, mbYesNo, 0, 0);
    return written;
}

} // namespace tavik::gallery
