#include "controls/BrowseDr.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>

namespace tavik {

namespace {

const QString kEllipsisFolder = QStringLiteral("/.../");

// Drops the leading folder of a folder part once ("/A/B/" gives "/.../B/").
QString ShortenFolderOnce(QString folder) {
    if (folder == QStringLiteral("/"))
        return QString();
    const bool leadingSlash = folder.startsWith(u'/');
    if (leadingSlash)
        folder.remove(0, 1);
    if (folder.startsWith(u'.'))
        folder.remove(0, 4); // an earlier ".../"
    const qsizetype slash = folder.indexOf(u'/');
    folder = slash < 0 ? QString() : QStringLiteral(".../") + folder.mid(slash + 1);
    return leadingSlash ? u'/' + folder : folder;
}

QString RootFolder(TRootID root) {
    auto location = [](QStandardPaths::StandardLocation where) {
        const QString path = QStandardPaths::writableLocation(where);
        return path.isEmpty() ? QDir::rootPath() : path;
    };
    switch (root) {
    case TRootID::idDesktop:
        return location(QStandardPaths::HomeLocation);
    case TRootID::idPersonal:
        return location(QStandardPaths::DocumentsLocation);
    case TRootID::idDesktopDirectory:
        return location(QStandardPaths::DesktopLocation);
    case TRootID::idPrograms:
    case TRootID::idStartMenu:
        return location(QStandardPaths::ApplicationsLocation);
    case TRootID::idFonts:
        return location(QStandardPaths::FontsLocation);
    case TRootID::idTemplates:
        return location(QStandardPaths::HomeLocation);
    default:
        break;
    }
    return QDir::rootPath();
}

bool IsExistingFolder(const QString& text) {
    return !text.isEmpty() && QFileInfo(NormalizeFolder(text)).isDir();
}

} // namespace

QString ShortenPath(const QString& path, const TFitsFunc& fits) {
    const qsizetype lastSlash = path.lastIndexOf(u'/');
    QString folder = path.left(lastSlash + 1);
    const QString name = path.mid(lastSlash + 1);
    QString text = folder + name;
    while (!folder.isEmpty() && !fits(text)) {
        if (folder == kEllipsisFolder)
            folder = QStringLiteral(".../");
        else
            folder = ShortenFolderOnce(folder);
        text = folder + name;
    }
    return text;
}

QString CutText(const QString& text, const TFitsFunc& fits) {
    QString rest = text;
    QString shown = text;
    while (!rest.isEmpty() && !fits(shown)) {
        rest.chop(1);
        shown = rest + QStringLiteral("...");
    }
    return shown;
}

QString FitStatusLine(const QString& text, const QFontMetrics& fm, int width) {
    const TFitsFunc fits = [&](const QString& s) { return fm.horizontalAdvance(s) <= width; };
    // A folder is shortened without its trailing "/", so that its own name is
    // what remains at the end rather than nothing.
    return IsExistingFolder(text) ? ShortenPath(NormalizeFolder(text), fits) : CutText(text, fits);
}

QString NormalizeFolder(const QString& path) {
    QString result = path;
    while (result.size() > 1 && result.endsWith(u'/'))
        result.chop(1);
    return result;
}

// ---- the dialog ----

TBrowseDirectoryDlg::TBrowseDirectoryDlg(QObject* owner) : QObject(owner) {}

TBrowseDirectoryDlg::~TBrowseDirectoryDlg() = default;

void TBrowseDirectoryDlg::SetSelection(const QString& value) {
    if (value == FSelection)
        return;
    FSelection = value;
    if (!value.isEmpty() && !value.endsWith(u'/') && QFileInfo(value).isDir())
        FSelection += u'/';
    if (FDialog && !FSelection.isEmpty()) {
        // Selecting by program does not move the view's current item, so the
        // dialog reports no change itself; report it here as a click would.
        FDialog->selectFile(NormalizeFolder(FSelection));
        SelectionChanged(FSelection);
    }
}

void TBrowseDirectoryDlg::SetStatusText(const QString& value) {
    FStatusText = value;
    ShowStatusText();
}

void TBrowseDirectoryDlg::SetFitStatusText(bool value) {
    FFitStatusText = value;
    ShowStatusText();
}

void TBrowseDirectoryDlg::SetEnableOKButton(bool value) {
    FEnableOKButton = value;
    UpdateOKButton();
}

QString TBrowseDirectoryDlg::Caption() const {
    return FDialog ? FDialog->windowTitle() : FCaption;
}

void TBrowseDirectoryDlg::SetCaption(const QString& value) {
    FCaption = value;
    if (FDialog)
        FDialog->setWindowTitle(value);
}

bool TBrowseDirectoryDlg::Execute() {
    QWidget* owner = qobject_cast<QWidget*>(parent());
    owner = owner ? owner->window() : QApplication::activeWindow();
    QFileDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("BrowseDirectoryDialog"));
    // The widget-based dialog, so that the title and status line can be added.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, !(FOptions & bfIncludeFiles));
    if (!FCaption.isEmpty())
        dialog.setWindowTitle(FCaption);

    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        // Every row moves down one to make room for the title at the top.
        QList<std::tuple<QLayoutItem*, int, int, int, int>> items;
        for (int i = grid->count() - 1; i >= 0; --i) {
            int row, column, rowSpan, columnSpan;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
            items.append({grid->takeAt(i), row, column, rowSpan, columnSpan});
        }
        for (const auto& [item, row, column, rowSpan, columnSpan] : items)
            grid->addItem(item, row + 1, column, rowSpan, columnSpan);
        auto* title = new QLabel(FTitle, &dialog);
        title->setObjectName(QStringLiteral("TitleLabel"));
        title->setWordWrap(true);
        title->setVisible(!FTitle.isEmpty());
        grid->addWidget(title, 0, 0, 1, grid->columnCount());
        auto* status = new QLabel(&dialog);
        status->setObjectName(QStringLiteral("StatusLine"));
        status->setMinimumWidth(1);
        status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        status->setVisible(!FStatusText.isEmpty());
        grid->addWidget(status, grid->rowCount(), 0, 1, grid->columnCount());
        status->installEventFilter(this);
        FStatusLine = status;
    }

    const QString initial = NormalizeFolder(FSelection);
    if (!initial.isEmpty())
        dialog.selectFile(initial);
    else
        dialog.setDirectory(RootFolder(FRoot));

    connect(&dialog, &QFileDialog::currentChanged, this, &TBrowseDirectoryDlg::SelectionChanged);
    dialog.installEventFilter(this);
    FDialog = &dialog;
    const bool accepted = dialog.exec() == QDialog::Accepted;
    FDialog = nullptr;
    FStatusLine = nullptr;

    const QStringList chosen = accepted ? dialog.selectedFiles() : QStringList();
    FSelection = chosen.isEmpty() ? QString() : NormalizeFolder(chosen.first());
    return !FSelection.isEmpty();
}

bool TBrowseDirectoryDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FDialog && event->type() == QEvent::Show)
        DialogOpened();
    else if (watched == FStatusLine && event->type() == QEvent::Resize)
        ShowStatusText(); // the fitted text depends on the line's width
    return QObject::eventFilter(watched, event);
}

void TBrowseDirectoryDlg::DialogOpened() {
    if (FDialog->layout())
        FDialog->layout()->activate();
    if (FCenter) {
        if (const QScreen* screen = FDialog->screen()) {
            const QRect area = screen->geometry();
            const QSize size = FDialog->frameGeometry().size();
            FDialog->move(area.x() + (area.width() - size.width()) / 2,
                          area.y() + (area.height() - size.height()) / 2);
        }
    }
    UpdateOKButton();
    ShowStatusText();
    if (!FCaption.isEmpty())
        FDialog->setWindowTitle(FCaption);
    emit Create();
}

void TBrowseDirectoryDlg::SelectionChanged(const QString& path) {
    const QString folder = NormalizeFolder(path);
    if (FShowSelectionInStatus)
        SetStatusText(folder);
    emit SelChanged(this, folder);
}

void TBrowseDirectoryDlg::ShowStatusText() {
    if (!FStatusLine)
        return;
    FStatusLine->setVisible(!FStatusText.isEmpty());
    const bool fit = FFitStatusText && FDialog && FDialog->isVisible() && !FStatusText.isEmpty();
    FStatusLine->setText(fit ? FitStatusLine(FStatusText, FStatusLine->fontMetrics(),
                                             FStatusLine->contentsRect().width())
                             : FStatusText);
}

void TBrowseDirectoryDlg::UpdateOKButton() {
    if (!FDialog)
        return;
    for (auto* box : FDialog->findChildren<QDialogButtonBox*>())
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
                button->setEnabled(FEnableOKButton);
}

bool SelectFolder(const QString& title, const QString& initial, QString& result) {
    result.clear();
    TBrowseDirectoryDlg dialog(qApp);
    dialog.SetTitle(title);
    dialog.SetOptions(bfDirectoriesOnly);
    if (!initial.isEmpty())
        dialog.SetSelection(initial);
    if (!dialog.Execute())
        return false;
    result = dialog.Selection();
    return true;
}

} // namespace tavik
