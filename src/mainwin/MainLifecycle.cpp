// Start-up, settings, the changed flags, saving, and shutdown.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/explbtn.h"
#include "controls/nfPanel.h"
#include "graphics/TavikPicture.h"
#include "mainwin/DamagedReport.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/MainSearch.h"
#include "mainwin/PictureImage.h"
#include "mainwin/Placement.h"
#include "mainwin/Progress.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "mainwin/ThumbnailLoader.h"
#include "mainwin/UndoHistory.h"
#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/DataFolder.h"
#include "storage/Exceptions.h"
#include "storage/IniFile.h"
#include "storage/Lists.h"
#include "storage/SafeFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QProxyStyle>
#include <QStringList>

namespace tavik {
namespace {

// Shows tool tips after one second, the delay of the whole program.
class TToolTipStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 1000;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

TMainForm::TMainForm(const QString& programPath, QWidget* parent)
    : QWidget(parent),
      FProgramPath(programPath.isEmpty() ? QCoreApplication::applicationFilePath() : programPath) {
    CreateControls();
    ConnectCommands();
    FHistory = std::make_unique<TCatalogHistory>(*this);
    FSearch = std::make_unique<TMainSearch>(*this, HdrBtnPanel);
    CreateThumbnailLoader();
    try {
        FormCreate();
    } catch (const std::exception& error) {
        // The window opens all the same, with what the start-up reached.
        ReportException(error);
    }
    FHistory->Clear();
}

TMainForm::~TMainForm() {
    FDestroying = true;
    try {
        FormDestroy();
    } catch (const std::exception& error) {
        ReportException(error);
    }
}

void TMainForm::FormCreate() {
    // The state's defaults are the members' initialisers; the settings file
    // changes them below.
    FDataFolder = DataFolderOf(FProgramPath.toStdString());
    FTopics = std::make_unique<TTopicList>();
    FWorkPicture = std::make_unique<TTavikPicture>();
    SaveChangesBtn->SetEnabled(false);
    TopicListBox->SetAcceptFiles(true);
    BmpListView->SetAcceptFiles(true);
    if (!dynamic_cast<TToolTipStyle*>(QApplication::style()))
        QApplication::setStyle(new TToolTipStyle(QApplication::style()->name()));
    // The language base is process-wide: an earlier window may have changed it.
    SetLanguageBase(kEnglishBase);

    FApplyingSettings = true;
    try {
        ReadSettings();
    } catch (...) {
        FApplyingSettings = false;
        throw;
    }
    FApplyingSettings = false;
    ApplyLanguage();

    LoadCatalog();

    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);

    FillTopicList();
    SelectTopic(FTopics->Count() > 0 ? 0 : -1);
    FillImageList();
    ShowPreview();
    // A focus change during the fill may have set the flag already: the
    // header buttons are put in step with it all the same.
    FTopicsActive = false;
    SetTopicsActive(true);
}

void TMainForm::FormDestroy() {
    // Nothing made for the list may reach it once the window goes.
    FThumbnails->Cancel();
    TopicListBox->SetAcceptFiles(false);
    BmpListView->SetAcceptFiles(false);
    // A caption still being edited is the user's last change: it is kept as
    // Return would keep it, before the save.
    BmpListView->CommitEditing();
    // A failed start-up may have left no catalogue to save.
    if (FTopics && FWorkPicture) {
        // The settings are written even when the save fails; its error has
        // been shown by then.
        try {
            SavePendingChanges();
        } catch (const std::exception& error) {
            ReportException(error);
        }
        WriteSettings();
    }
    FWorkPicture.reset();
    FTopics.reset();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing never asks; the destruction saves. While a save or an import
    // shows its progress window the catalogue is being rewritten under it:
    // the close waits for the window to go and then takes effect.
    if (TProgressManager::AnyShown()) {
        event->ignore();
        if (!FCloseDeferred) {
            FCloseDeferred = true;
            TProgressManager::WhenNoneShown(this, [this] {
                FCloseDeferred = false;
                close();
            });
        }
        return;
    }
    event->accept();
    emit Closed();
}

void TMainForm::CommitData() {
    if (TProgressManager::AnyShown() || !FTopics || !FWorkPicture)
        return;
    try {
        SavePendingChanges();
    } catch (const std::exception& error) {
        ReportException(error);
    }
    try {
        WriteSettings();
    } catch (const std::exception& error) {
        ReportException(error);
    }
}

void TMainForm::ReadSettings() {
    if (!FileExists(SettingsFileName()))
        return;
    const TIniFile ini(SettingsFileName());
    ReadPlacement(ini, "Placement", *this);
    FLanguage = ini.ReadInteger("Lang", "Lang", 0) & 0xFF;
    FUseCompression = ini.ReadBool("Options", "UseCompression", true);
    SetCenterPreview(ini.ReadBool("Options", "CenterPreviewImage", true));
    SetFitPreview(ini.ReadBool("Options", "FitPreviewImage", false));
    SetViewStyle(ini.ReadInteger("Options", "MultipleViewStyle", 0));
    SetShowProgressBar(ini.ReadBool("Options", "ShowSmallProgressBar", true));
    FShowHourGlass = ini.ReadBool("Options", "ShowHourGlassCursor", true);
    FCodePageSetting = ini.ReadInteger("Options", "CodePage", 0);
    LeftComboPanel->resize(ini.ReadInteger("Options", "WDiv", 150), LeftComboPanel->height());
    PreviewLayoutPanel->resize(PreviewLayoutPanel->width(), ini.ReadInteger("Options", "HDiv", 95));
    LayoutWindow();
}

void TMainForm::WriteSettings() {
    TIniFile ini(SettingsFileName());
    WritePlacement(ini, "Placement", *this);
    ini.WriteBool("Options", "FitPreviewImage", FFitPreview);
    ini.WriteInteger("Options", "MultipleViewStyle", FViewStyle);
    ini.WriteBool("Options", "ShowSmallProgressBar", FShowProgressBar);
    ini.WriteInteger("Options", "WDiv", LeftComboPanel->width());
    ini.WriteInteger("Options", "HDiv", PreviewLayoutPanel->height());
    ini.UpdateFile();
}

void TMainForm::ApplyLanguage() {
    SetLanguageBase(LanguageBaseFor(FLanguage));
    SetQtLanguage(FLanguage);
    FCodePage = CodePageFor(FLanguage, FCodePageSetting);
    TopicBtn->SetCaption(LoadText(kTextTopicsCaption));
    BmpBtn->SetCaption(LoadText(kTextImagesCaption));
    const std::pair<TOfficeButton*, int> hints[] = {
        {HelpBtn, kTextHelpHint},
        {SaveChangesBtn, kTextSaveChangesHint},
        {ImportBtn, kTextImportHint},
        {FitPreviewImageBtn, kTextFitPreviewHint},
        {LargeIconsBtn, kTextLargeIconsHint},
        {SmallIconsBtn, kTextSmallIconsHint},
        {ListBtn, kTextListHint},
        {tAddBtn, kTextAddHint},
        {tDeleteBtn, kTextDeleteHint},
        {tRenameBtn, kTextRenameHint},
        {tCopyBtn, kTextCopyHint},
        {tPasteBtn, kTextPasteHint},
        {tSaveBtn, kTextSaveImageHint},
        {tUpBtn, kTextMoveUpHint},
        {tDownBtn, kTextMoveDownHint},
    };
    for (const auto& [button, offset] : hints)
        button->SetHint(LoadText(offset));
}

void TMainForm::LoadCatalog() {
    // Also finishes or rolls back a compaction that a crash interrupted, and
    // creates the data file when the folder has none.
    const bool listExisted = FileExists(ListFileName());
    const CatalogOpenResult opened = OpenCatalog(FDataFolder, *FTopics);
    if (opened.badSignature) {
        QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                        LoadText(kTextBadDataFile), QMessageBox::Ok, this);
        box.setObjectName("BadDataFile");
        box.exec();
    }
    if (opened.dataFileCreated && !listExisted) {
        // A settings file that cannot be written leaves the code page to the
        // language, as for every catalogue made before.
        try {
            FixNewCatalogCodePage();
        } catch (const std::exception& error) {
            DeferReport(error);
        }
    }
}

void TMainForm::KeepDamagedListFile() {
    // Whatever the start-up made of the list file, it is kept aside before
    // the first save of the run replaces it if it did not read back whole; a
    // copy that fails stops that save.
    if (FListFileKept)
        return;
    PreserveDamagedListFile(FDataFolder);
    FListFileKept = true;
}

void TMainForm::SaveCatalog() {
    KeepDamagedListFile();
    SaveListFile(ListFileName(), *FTopics);
    FHistory->MarkListSaved();
    SetListChanged(false);
}

void TMainForm::SaveListAtExit() noexcept {
    // A command still running may have changed the catalogue in part (added
    // entries whose records are not yet flushed, a compaction moving them):
    // the list file as last saved is then the sound one.
    if (!FTopics || !FListChanged || CommandRunning())
        return;
    try {
        KeepDamagedListFile();
        SaveListFile(ListFileName(), *FTopics);
    } catch (...) {
        // Nothing can be reported any more; the list file is whole either way.
    }
}

void TMainForm::CompactDataFile() {
    KeepDamagedListFile();
    std::vector<DamagedPicture> damaged;
    {
        TProgressManager progress(QGuiApplication::applicationDisplayName(), FTopics->ImageCount(),
                                  0, LoadText(kTextUpdating));
        progress.Show();
        damaged = ::tavik::CompactDataFile(
            FDataFolder, *FTopics,
            [&progress, throttle = TProgressThrottle()](int done, int total) mutable {
                if (!throttle.Due(done, total))
                    return;
                QCoreApplication::processEvents();
                progress.SetDone(done);
            });
    }
    // The records have moved to new positions.
    FContentHashes.Clear();
    SetListChanged(true);
    SetDataChanged(false);
    ReportDamagedPictures(*FTopics, damaged, FCodePage, this);
}

void TMainForm::SavePendingChanges() {
    // A compaction that fails (a picture it cannot copy, a full disk) leaves
    // the old data file and positions in use: the other changes are saved all
    // the same, and the deleted pictures' bytes wait for a later save.
    QStringList failures;
    bool compacted = false;
    if (FDataChanged) {
        try {
            CompactDataFile();
            compacted = true;
        } catch (const EDamagedPicture& error) {
            failures << QStringLiteral("The data file was not compacted: %1 cannot be read (%2).")
                            .arg(PictureInTopicText(*FTopics, error.Picture, FCodePage),
                                 QString::fromStdString(error.Picture.reason));
        } catch (const Exception& error) {
            failures << QStringLiteral("The data file was not compacted: %1")
                            .arg(QString::fromUtf8(error.what()));
        }
    }
    bool listSaved = !FListChanged;
    if (FListChanged) {
        try {
            SaveCatalog();
            listSaved = true;
        } catch (const Exception& error) {
            failures << QString::fromUtf8(error.what());
        }
    }
    // A save ends the history; so does a compaction alone, which gave every
    // picture a new position.
    if (compacted || listSaved)
        FHistory->Clear();
    if (failures.isEmpty())
        return;
    if (listSaved)
        failures << QStringLiteral("The other changes were saved.");
    else if (FDestroying)
        failures << QStringLiteral("The pending changes were not saved.");
    throw Exception(failures.join(QLatin1Char('\n')).toStdString());
}

void TMainForm::SetListChanged(bool value) {
    FListChanged = value;
    if (value || !FDataChanged)
        SaveChangesBtn->SetEnabled(value);
}

void TMainForm::SetDataChanged(bool value) {
    FDataChanged = value;
    if (value || !FListChanged)
        SaveChangesBtn->SetEnabled(value);
}

void TMainForm::SetCenterPreview(bool value) {
    if (value == FCenterPreview && !FApplyingSettings)
        return;
    FCenterPreview = value;
    ShowPreview();
}

void TMainForm::SetFitPreview(bool value) {
    if (value == FFitPreview && !FApplyingSettings)
        return;
    FFitPreview = value;
    FitPreviewImageBtn->SetDown(value);
    PreviewImage->SetStretch(value);
    ShowPreview();
}

void TMainForm::SetViewStyle(int value) {
    if (value == FViewStyle && !FApplyingSettings)
        return;
    FViewStyle = value;
    BmpListView->SetViewStyle(value);
    if (value == 0)
        LargeIconsBtn->SetDown(true);
    else if (value == 1)
        SmallIconsBtn->SetDown(true);
    else if (value == 2)
        ListBtn->SetDown(true);
}

void TMainForm::SetShowProgressBar(bool value) {
    if (value == FShowProgressBar && !FApplyingSettings)
        return;
    FShowProgressBar = value;
    BmpProgressBar->setVisible(value);
}

QString TMainForm::NameText(const std::string& bytes) const {
    return QString::fromStdString(ToUtf8(bytes, FCodePage));
}

std::string TMainForm::NameBytes(const QString& text) const {
    return FromUtf8(text.toStdString(), FCodePage);
}

} // namespace tavik
