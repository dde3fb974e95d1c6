#pragma once

// TBrowseDirectoryDlg: a folder chooser (a Qt file dialog in directory mode)
// with a title above the folder view, an initial selection, an optional status
// line whose text is shortened to fit, and selection notifications.
// SelectFolder is the one-call form the program uses.
//
// Paths use "/" as the separator. A chosen folder comes back without a
// trailing "/" (the root stays "/"); callers add one where they need it.

#include <QFileDialog>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QFontMetrics;

namespace tavik {

// Where the folder view starts when nothing is selected. The desktop, the top
// of what the user sees, starts in the user's home folder; folders without a
// counterpart here (the internet, printers, the recycle bin, ...) start at the
// file-system root.
enum class TRootID {
    idDesktop = 0,
    idInternet = 1,
    idPrograms = 2,
    idControlPanel = 3,
    idPrinters = 4,
    idPersonal = 5,
    idFavorites = 6,
    idStartup = 7,
    idRecent = 8,
    idSendTo = 9,
    idRecycleBin = 10,
    idStartMenu = 11,
    idDesktopDirectory = 16,
    idDrives = 17,
    idNetwork = 18,
    idNetHood = 19,
    idFonts = 20,
    idTemplates = 21,
    idDesktopExpanded = 65278,
};

// What may be chosen. Only bfIncludeFiles changes the dialog here (files are
// listed too); the others name shell objects this platform does not have and
// leave a folder chooser.
enum TBrowseFlag {
    bfDirectoriesOnly = 1,
    bfDomainOnly = 2,
    bfAncestors = 8,
    bfComputers = 4096,
    bfPrinters = 8192,
    bfIncludeFiles = 16384,
};
Q_DECLARE_FLAGS(TBrowseFlags, TBrowseFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBrowseFlags)

// Tells whether a candidate text fits the space it is meant for.
using TFitsFunc = std::function<bool(const QString&)>;

// Shortens a path by replacing its leading folders with "..." until it fits:
// /A/B/C/file becomes in turn /.../B/C/file, /.../C/file, /.../file,
// .../file and file; the last form is returned even if it does not fit.
QString ShortenPath(const QString& path, const TFitsFunc& fits);
// Cuts text at its end, adding "...", until it fits; "..." alone at worst.
QString CutText(const QString& text, const TFitsFunc& fits);
// The status line's text for a line `width` pixels wide in font metrics fm: an
// existing folder is shortened as a path, any other text cut at its end.
QString FitStatusLine(const QString& text, const QFontMetrics& fm, int width);
// The folder a selection names in the dialog: without a trailing "/" unless
// it is the root.
QString NormalizeFolder(const QString& path);

class TBrowseDirectoryDlg : public QObject {
    Q_OBJECT
public:
    // The dialog is parented to owner's window when owner is a widget,
    // otherwise to the application's active window.
    explicit TBrowseDirectoryDlg(QObject* owner = nullptr);
    ~TBrowseDirectoryDlg() override;

    // Runs the dialog modally. True when the user chose a folder: Selection
    // then holds its path. False on cancel, with Selection emptied.
    bool Execute();

    QString Title() const { return FTitle; }
    void SetTitle(const QString& value) { FTitle = value; }
    TRootID Root() const { return FRoot; }
    void SetRoot(TRootID value) { FRoot = value; }
    TBrowseFlags Options() const { return FOptions; }
    void SetOptions(TBrowseFlags value) { FOptions = value; }

    QString Selection() const { return FSelection; }
    // Stores the value; an existing folder gets a trailing "/". Selects it
    // at once when the dialog is open.
    void SetSelection(const QString& value);
    bool Center() const { return FCenter; }
    void SetCenter(bool value) { FCenter = value; }
    // A non-empty status text turns the status line on.
    QString StatusText() const { return FStatusText; }
    void SetStatusText(const QString& value);
    bool FitStatusText() const { return FFitStatusText; }
    void SetFitStatusText(bool value);
    bool ShowSelectionInStatus() const { return FShowSelectionInStatus; }
    void SetShowSelectionInStatus(bool value) { FShowSelectionInStatus = value; }
    bool EnableOKButton() const { return FEnableOKButton; }
    void SetEnableOKButton(bool value);
    // There is no system image list here: always -1.
    int ImageIndex() const { return FImageIndex; }
    // The window caption; read from the dialog while it is open.
    QString Caption() const;
    void SetCaption(const QString& value);

    // While Execute runs: the dialog and its status line (null otherwise).
    QFileDialog* Dialog() const { return FDialog; }
    QLabel* StatusLine() const { return FStatusLine; }

signals:
    void SelChanged(QObject* sender, const QString& newSel);
    // The dialog window has been set up and is about to show.
    void Create();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DialogOpened();
    void SelectionChanged(const QString& path);
    void ShowStatusText();
    void UpdateOKButton();

    QString FTitle;
    TRootID FRoot = TRootID::idDesktop;
    TBrowseFlags FOptions;
    QString FSelection;
    bool FCenter = true;
    QString FStatusText;
    bool FFitStatusText = true;
    bool FShowSelectionInStatus = false;
    bool FEnableOKButton = true;
    int FImageIndex = -1;
    QString FCaption;
    QPointer<QFileDialog> FDialog;
    QPointer<QLabel> FStatusLine;
};

// Lets the user choose a folder: the dialog shows title, starts at initial
// (when not empty) and lists folders only. Returns true and sets result to the
// chosen folder; otherwise returns false with result empty.
bool SelectFolder(const QString& title, const QString& initial, QString& result);

} // namespace tavik
