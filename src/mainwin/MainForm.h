#pragma once
#include "mainwin/DragOut.h"
#include "storage/CatalogFiles.h"
#include "storage/ContentHash.h"
#include "storage/NameSearch.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QFrame;
class QImage;
class QKeySequence;
class QMenu;
class QLabel;
class QMimeData;
class QListWidgetItem;
class QProgressBar;

namespace tavik {

class TaSplitter;
class TBmpList;
class TCatalogHistory;
class TBmpListView;
class TMainSearch;
class TMarkListBox;
class TnfPanel;
class TOfficeButton;
class TPicture;
class TPictureImage;
class TTavikPicture;
class TThumbnailLoader;
struct TThumbnail;
class TTopicList;
class TViewForm;
struct TViewState;

// The main window: the toolbar, the topic list with the preview below it, and
// the thumbnail list of the current topic. It owns the catalogue and the one
// picture object through which pictures go to and from the data file.
//
// Construction runs the start-up (settings, language, catalogue load, first
// fill); destruction saves pending changes and then the settings. A failure
// of either is shown by the general error report and skips the remaining
// steps, as the window must still open (or close).
//
// The public members are what the program's main, the session end and the
// tests drive; the commands themselves are the private handlers below, whose
// definitions are spread over the Main*.cpp files by concern.
class TMainForm : public QWidget {
    Q_OBJECT
    friend class TMainSearch;

public:
    // programPath is the program file's own path; its folder holds the
    // catalogue and the settings.
    explicit TMainForm(const QString& programPath = QString(), QWidget* parent = nullptr);
    ~TMainForm() override;

    // The view window opened by a double click on the preview; not owned.
    void SetViewForm(TViewForm* view) { FViewForm = view; }

    // --- The catalogue and the window's state ---
    TTopicList& Topics() { return *FTopics; }
    // The data folder, ending in "/".
    const std::string& DataFolder() const { return FDataFolder; }
    int Language() const { return FLanguage; }
    // Index of the topic whose pictures the image list shows.
    int ShownTopic() const { return FShownTopic; }
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
    // Shows names as the image list's items, their thumbnails made from the
    // records at positions as they arrive; showProgress runs the small
    // progress bar and the hourglass as a topic's fill does.
    void FillImageItems(const QStringList& names, std::vector<std::int32_t> positions,
                        bool showProgress);
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

    // Names in the catalogue are bytes in the catalogue's code page.
    QString NameText(const std::string& bytes) const;
    std::string NameBytes(const QString& text) const;

    // The two lists, for the tests' gestures.
    TBmpListView* ImageList() const { return BmpListView; }
    TMarkListBox* TopicList() const { return TopicListBox; }

    // --- The history of changes since the last save (MainHistory.cpp) ---
    // Undo and redo, named after the change they act on (for menus too).
    QAction* UndoAction() const;
    QAction* RedoAction() const;
    TCatalogHistory& History() { return *FHistory; }
    // What the two lists show now; ShowView shows that again over the
    // catalogue as it stands (keepImages: the image list holds the view's
    // topic's pictures already, and is not refilled).
    TViewState CaptureView() const;
    void ShowView(const TViewState& view, bool keepImages);

    // --- Ending the program ---
    // Saves pending changes and then the settings now, as at exit, without
    // closing (the desktop session may end after this without another word).
    // Does nothing while a progress window is up: that operation saves.
    // Errors are reported, never thrown.
    void CommitData();
    // Writes the list file when it has unsaved changes and no command is
    // running, touching no window: for an exit that skips the window's
    // destruction (the display's connection lost). Never throws.
    void SaveListAtExit() noexcept;

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
    // Moves the selected pictures of topic source (the one shown) to the end
    // of topic target, once the user has confirmed.
    void MoveImagesToTopic(int target, int source);
    // The same for the selected search results, from their own topics.
    void MoveResultsToTopic(int target);

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
    // The catalogue's files in the data folder.
    std::string ListFileName() const { return tavik::ListFileName(FDataFolder); }
    std::string DataFileName() const { return tavik::DataFileName(FDataFolder); }
    std::string SettingsFileName() const { return tavik::SettingsFileName(FDataFolder); }

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
    // Sizes of the list rows and header strips for the window's font.
    void ApplyFontMetrics();
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
    void SaveChangesBtnClick();
    void FitPreviewImageBtnClick();

    // MainTransfer.cpp
    void tCopyBtnClick();
    void tPasteBtnClick();
    void tSaveBtnClick();
    void SaveImageGroup();
    // The selected pictures, in list order, as saving and dragging out take them.
    std::vector<TGroupPicture> SelectedGroup() const;
    void BmpListViewStartDrag(QMimeData*& data);
    void ImportBtnClick();

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
    void ShowThumbnails(const std::vector<TThumbnail>& made);
    void ThumbnailsFinished(const QString& firstError);
    void BmpListViewEnter();
    void ArrangeImages();
    // The topic whose pictures the image list holds, -1 when none or when it
    // is not the current topic; the image commands act on it.
    int ImageTopic() const;

    // MainPreview.cpp
    void ShowDamagedPreview();
    void LayoutPreviewImage(int width, int height);

    // MainImages.cpp
    // While a caption is edited the keys go to the editor; one it leaves
    // (Return, which ends the edit) passes on to the list and is no command.
    bool CaptionEditorHasFocus() const;
    bool BmpListViewKeyDown(QKeyEvent* event);
    void BmpListViewEdited(int index, QString& text);
    void BmpListViewDropFiles(QObject* sender, QPoint point, const QStringList& files);
    // Deletes the selected items and their pictures in bmps (the list shown);
    // gives the index of the item to reveal afterwards.
    int RemoveSelectedImages(TBmpList& bmps);
    // Deletes the pictures of the selected search results from their topics
    // and searches again.
    void RemoveSelectedResults(const std::vector<TNameMatch>& pictures);
    void SwapImageItems(int a, bool up);
    int TransferSelectedImages(int target, int source);
    bool AskToMove(const std::vector<TNameMatch>& pictures, int target);
    void BringToFront();

    // MainSearch.cpp
    // The picture item of the image list stands for: a search result in its
    // own topic, or the item of ImageTopic(); none when neither.
    std::optional<TNameMatch> ListedPicture(int item) const;
    // The item of the image list that shows picture, -1 when none does.
    int ListedItem(TNameMatch picture) const;
    // The pictures of the selected items, in the list's order (a search
    // lists pictures of several topics).
    std::vector<TNameMatch> SelectedPictures() const;
    // Greys out the toolbar commands that need a current topic to add to or
    // reorder while the image list shows search results.
    void UpdateTopicCommands();

    // MainHistory.cpp
    void ShowSearchView(const TViewState& view);
    void ShowTopicView(const TViewState& view, bool keepImages);

    // MainDuplicates.cpp
    // Whether to add picture (named name) to topic: asks when the topic
    // already stores the same bytes. A copy in another topic goes to
    // elsewhere, for NoteCopiesElsewhere after the command.
    bool AcceptDuplicate(int topic, const TPicture& picture, const QString& name,
                         QStringList& elsewhere);
    void NoteCopiesElsewhere(const QStringList& elsewhere);

    // MainNames.cpp: names typed by the user.
    // Writes the code page of a catalogue created in this run into the
    // settings, unless they name one already.
    void FixNewCatalogCodePage();
    // Whether the catalogue's code page holds every character of name.
    bool NameFits(const QString& name) const;
    // True when name fits, or the user chose to store it with "?" in place of
    // what does not.
    bool AcceptNameLoss(const QString& name);
    // The input dialog for a name, asked again while the user goes back to
    // edit a name that does not fit; false when cancelled.
    bool QueryName(const QString& caption, QString& name);
    void AddTopicFromDialog(bool insert);
    void RenameTopicFromDialog();
    void RenameImageFromDialog();
    void RenameImageInPlace(int index, QString& text);

    // MainMenus.cpp: the lists' context menus and the view window's gestures.
    void ConnectMenus();
    // Adds an entry of text to menu that runs command; keys are shown beside it.
    QAction* AddMenuCommand(QMenu& menu, int text, bool enabled, void (TMainForm::*command)(),
                            const QKeySequence& keys = {});
    void AddHistoryCommands(QMenu& menu);
    void BmpListViewContextMenu(QPoint point);
    void TopicListBoxContextMenu(QPoint point);
    void AddTopicAtEnd();
    void MoveCurrentTopicUp();
    void MoveCurrentTopicDown();
    void MoveCurrentImageUp();
    void MoveCurrentImageDown();
    void SelectAllImages();
    void ViewCurrentImage();
    void OpenViewFromPreview();
    // Opens the view window on picture index of the list, stepping through
    // the topic; the list then selects the picture shown last.
    void ViewImage(int index);

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
    std::unique_ptr<TCatalogHistory> FHistory;
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
    std::unique_ptr<TMainSearch> FSearch;
    TContentHashes FContentHashes; // of the data file's records, for duplicates

    // The context of every connection to a command. Declared last, it goes
    // right after the destructor has saved and freed the catalogue, before
    // the controls are torn down: what they signal then (an open caption
    // edit committing) reaches no command.
    QObject FCommandContext;
};

} // namespace tavik
