#pragma once
#include "mainwin/DragOut.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <string>

class QFrame;
class QImage;
class QLabel;
class QMimeData;
class QListWidgetItem;
class QProgressBar;

namespace tavik {

class TaSplitter;
class TBmpList;
class TBmpListView;
class TMarkListBox;
class TnfPanel;
class TOfficeButton;
class TPicture;
class TPictureImage;
class TTavikPicture;
class TThumbnailLoader;
class TTopicList;
class TViewForm;

// The main window: the toolbar, the topic list with the preview below it, and
// the thumbnail list of the current topic. It owns the catalogue and the one
// picture object through which pictures go to and from the data file.
//
// Construction runs the start-up (settings, language, catalogue load, first
// fill); destruction saves pending changes and then the settings. A failure
// of either is shown by the general error report and skips the remaining
// steps, as the window must still open (or close).
//
// The clipboard, saving and import units work through the public members
// below the "Shared with the other commands" line.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    // programPath is the program file's own path; its folder holds the
    // catalogue and the settings.
    explicit TMainForm(const QString& programPath = QString(), QWidget* parent = nullptr);
    ~TMainForm() override;

    // The view window opened by a double click on the preview; not owned.
    void SetViewForm(TViewForm* view) { FViewForm = view; }
    TViewForm* ViewForm() const { return FViewForm; }

    // --- Shared with the other commands (clipboard, saving, import) ---
    // The catalogue and the picture object of the data file.
    TTopicList& Topics() { return *FTopics; }
    TTavikPicture& WorkPicture() { return *FWorkPicture; }
    // The data folder, ending in "/", and the catalogue file names in it.
    const std::string& DataFolder() const { return FDataFolder; }
    std::string ListFileName() const { return FDataFolder + "tavik.lst"; }
    std::string DataFileName() const { return FDataFolder + "tavik.dat"; }
    std::string SettingsFileName() const { return FDataFolder + "tavik.ini"; }
    int Language() const { return FLanguage; }
    // Index of the topic whose pictures the image list shows.
    int ShownTopic() const { return FShownTopic; }
    void SetShownTopic(int index) { FShownTopic = index; }
    // Folders chosen last during this run (never written to the settings).
    QString& ImportFolder() { return FImportFolder; }
    QString& SaveGroupFolder() { return FSaveGroupFolder; }
    // The current topic (selected in the topic list) and the current picture
    // (first selected item of the image list); -1 when none.
    int CurrentTopic() const;
    int CurrentImageIndex() const;
    // The picture the preview holds (empty when it shows none).
    const TPicture& PreviewPicture() const;

    void FillTopicList();
    // Shows the current topic's pictures at once, with plain thumbnails that
    // the thumbnail loader replaces as it makes them.
    void FillImageList();
    TThumbnailLoader& Thumbnails() { return *FThumbnails; }
    void ShowPreview();
    void ClearPreview();
    void UpdateImageCount();
    void RevealImage(int index);
    // Selects a topic in the list (-1: none); the image list follows when it
    // shows another topic.
    void SelectTopic(int index);
    // Writes the list file at once and clears the list flag.
    void SaveCatalog();
    void SavePendingChanges();
    void SetListChanged(bool value);
    void SetDataChanged(bool value);
    bool ListChanged() const { return FListChanged; }
    bool DataChanged() const { return FDataChanged; }
    // Loads, stores and adds picture files to the current topic; writes the
    // list file afterwards.
    void AddImageFiles(const QStringList& files);
    // Appends a stored picture to a topic; refresh refills the list.
    void AddImageToTopic(int topic, const std::string& name, bool refresh, int position);
    // Opens the view window modally on a copy of picture (also the paste
    // dialog's way to show its picture at full size). Does nothing before
    // SetViewForm.
    void ShowViewWindow(const TPicture& picture);

    // The toolbar buttons without their own command here: the clipboard,
    // saving and import units connect to their Click signals and enable them.
    TOfficeButton* CopyButton() const { return tCopyBtn; }
    TOfficeButton* PasteButton() const { return tPasteBtn; }
    TOfficeButton* SaveButton() const { return tSaveBtn; }
    TOfficeButton* ImportButton() const { return ImportBtn; }
    TBmpListView* ImageList() const { return BmpListView; }
    TMarkListBox* TopicList() const { return TopicListBox; }

    // --- Ending the program ---
    // Saves pending changes and then the settings now, as at exit, without
    // closing (the desktop session may end after this without another word).
    // Does nothing while a progress window is up: that operation saves.
    // Errors are reported, never thrown.
    void CommitData();

    // --- Options and state (settings, tests) ---
    bool TopicsActive() const { return FTopicsActive; }
    void SetTopicsActive(bool value);
    bool CenterPreview() const { return FCenterPreview; }
    void SetCenterPreview(bool value);
    bool FitPreview() const { return FFitPreview; }
    void SetFitPreview(bool value);
    int ViewStyle() const { return FViewStyle; }
    void SetViewStyle(int value);
    bool ShowProgressBar() const { return FShowProgressBar; }
    void SetShowProgressBar(bool value);
    bool ShowHourGlass() const { return FShowHourGlass; }
    bool UseCompression() const { return FUseCompression; }

    // --- Topic commands ---
    void AddTopic(const QString& name, bool insert);
    void RenameTopic(int index, const QString& name);
    void MoveTopic(int index, bool up);
    void DeleteTopics();

    // --- Image commands ---
    void AddImagesFromDialog();
    void DeleteImages();
    void RenameImage(int topic, int index, const QString& name);
    void MoveImage(int topic, int index, bool up);
    void MoveImagesToTopic(int target, int source, int index);

signals:
    // The window has accepted a close: the program is to end (the destructor
    // then saves pending changes and the settings). A close requested while a
    // progress window is up waits for the operation to end.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // MainLifecycle.cpp
    void FormCreate();
    void FormDestroy();
    void ReadSettings();
    void WriteSettings();
    void ApplyLanguage();
    void LoadCatalog();
    void CompactDataFile();
    // Keeps a copy of a list file that does not read back whole before the
    // run's first save replaces it.
    void KeepDamagedListFile();

    // MainLayout.cpp
    void CreateControls();
    void CreateToolbar();
    TOfficeButton* MakeToolButton(const char* name, const char* icon, int left);
    void LayoutWindow();
    void TopicPanelResize();
    void ExtViewPanelResize();
    void PreviewPanelResize();
    void SplitterMoved();
    // True when the key is used up.
    bool FormKeyDown(QKeyEvent* event);
    // The work of eventFilter; true when the event is used up.
    bool FilterEvent(QObject* watched, QEvent* event);
    void ConnectCommands();
    void UpBtnClick();
    void DownBtnClick();
    void AddBtnClick();
    void DeleteBtnClick();
    void RenameBtnClick();
    void HelpBtnClick();

    // MainTransfer.cpp
    void tCopyBtnClick();
    void tPasteBtnClick();
    void tSaveBtnClick();
    void SaveImageGroup();
    // The selected pictures of the current topic, in list order.
    std::vector<TGroupPicture> SelectedPictures() const;
    void BmpListViewStartDrag(QMimeData*& data);
    void ImportBtnClick();
    void SaveChangesBtnClick();
    void FitPreviewImageBtnClick();

    // MainTopics.cpp
    void TopicListBoxClick();
    void TopicListBoxKeyDown(QKeyEvent* event);
    void TopicListBoxDropFiles(QObject* sender, QPoint point, const QStringList& files);
    void TopicListBoxDragOver(QObject* source, QPoint point, bool& accept);
    void TopicListBoxDragDrop(QObject* source, QPoint point);
    int TopicAt(QPoint point) const;
    // Selects a topic and shows its pictures, also when its index is the one
    // shown (the list was refilled).
    void ShowTopic(int index);

    // MainImageList.cpp
    void BmpListViewChange();
    void CreateThumbnailLoader();
    void ShowThumbnail(int index, const QImage& large, const QImage& small, const QString& error);
    void ThumbnailsFinished(const QString& firstError);
    void BmpListViewEnter();
    void LayoutPreviewImage(int width, int height);
    // The topic whose pictures the image list holds, -1 when none or when it
    // is not the current topic; the image commands act on it.
    int ImageTopic() const;

    // MainPreview.cpp
    void ShowDamagedPreview();

    // MainImages.cpp
    bool BmpListViewKeyDown(QKeyEvent* event);
    void BmpListViewEdited(int index, QString& text);
    void BmpListViewDropFiles(QObject* sender, QPoint point, const QStringList& files);
    // Deletes the selected items and their pictures in bmps (the list shown);
    // gives the index of the item to reveal afterwards.
    int RemoveSelectedImages(TBmpList& bmps);
    void SwapImageItems(int a, bool up);
    int TransferSelectedImages(int target, int source);
    void ArrangeImages();
    void BringToFront();

    // Names in the catalogue are bytes in the catalogue's code page.
    QString NameText(const std::string& bytes) const;
    std::string NameBytes(const QString& text) const;

    // Components, named by role.
    TnfPanel* ToolbarPanel = nullptr;
    TOfficeButton* SaveChangesBtn = nullptr;
    TOfficeButton* ImportBtn = nullptr;
    TOfficeButton* FitPreviewImageBtn = nullptr;
    TOfficeButton* tUpBtn = nullptr;
    TOfficeButton* tDownBtn = nullptr;
    TOfficeButton* tAddBtn = nullptr;
    TOfficeButton* tDeleteBtn = nullptr;
    TOfficeButton* tRenameBtn = nullptr;
    TOfficeButton* tCopyBtn = nullptr;
    TOfficeButton* tPasteBtn = nullptr;
    TOfficeButton* tSaveBtn = nullptr;
    TOfficeButton* LargeIconsBtn = nullptr;
    TOfficeButton* SmallIconsBtn = nullptr;
    TOfficeButton* ListBtn = nullptr;
    TOfficeButton* HelpBtn = nullptr;
    TnfPanel* LeftComboPanel = nullptr;
    TnfPanel* TopicPanel = nullptr;
    TOfficeButton* TopicBtn = nullptr;
    TMarkListBox* TopicListBox = nullptr;
    TaSplitter* VSplitter = nullptr;
    TnfPanel* PreviewLayoutPanel = nullptr;
    TnfPanel* HdrPreviewPanel = nullptr;
    QLabel* PreviewLabel = nullptr;
    QFrame* PreviewLine = nullptr;
    TnfPanel* PreviewPanel = nullptr;
    TPictureImage* PreviewImage = nullptr;
    TaSplitter* HSplitter = nullptr;
    TnfPanel* ExtViewPanel = nullptr;
    TnfPanel* HdrBtnPanel = nullptr;
    TOfficeButton* BmpBtn = nullptr;
    QProgressBar* BmpProgressBar = nullptr;
    TBmpListView* BmpListView = nullptr;

    // State, in the order the start-up sets it.
    bool FDataChanged = false;
    bool FListChanged = false;
    bool FTopicsActive = false;
    bool FCenterPreview = false;
    bool FFitPreview = false;
    int FViewStyle = 0;
    bool FShowProgressBar = true;
    bool FShowHourGlass = true;
    std::string FDataFolder;
    QString FImportFolder;
    QString FSaveGroupFolder;
    int FLanguage = 0;
    bool FApplyingSettings = false;
    std::unique_ptr<TTopicList> FTopics;
    std::unique_ptr<TTavikPicture> FWorkPicture;
    std::unique_ptr<TThumbnailLoader> FThumbnails;
    bool FMovingImage = false;
    int FShownTopic = 0;
    bool FUseCompression = false;
    int FCodePageSetting = 0; // "Options"/"CodePage"; 0: by language
    int FCodePage = 1252;     // of the names in the catalogue
    bool FDestroying = false;
    bool FListFileKept = false;   // KeepDamagedListFile has looked at the list file
    bool FCloseDeferred = false;  // a close waits for a progress window to go
    bool FPreviewDamaged = false; // the preview shows the damaged-picture mark

    QString FProgramPath;
    TDragOutFolder FDragOutFolder;
    TViewForm* FViewForm = nullptr;

    // The context of every connection to a command. Declared last, it goes
    // right after the destructor has saved and freed the catalogue, before
    // the controls are torn down: what they signal then (an open caption
    // edit committing) reaches no command.
    QObject FCommandContext;
};

} // namespace tavik
