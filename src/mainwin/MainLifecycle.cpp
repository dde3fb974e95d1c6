// Start-up, settings, the changed flags, saving, and shutdown.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/explbtn.h"
#include "controls/nfPanel.h"
#include "graphics/TavikPicture.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/PictureImage.h"
#include "mainwin/Placement.h"
#include "mainwin/Progress.h"
#include "mainwin/Texts.h"
#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/DataFolder.h"
#include "storage/IniFile.h"
#include "storage/Lists.h"
#include "storage/SafeFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QProxyStyle>

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
    try {
        FormCreate();
    } catch (const std::exception& error) {
        // The window opens all the same, with what the start-up reached.
        ReportException(error);
    }
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
    FDataFolder = DataFolderOf(FProgramPath.toStdString());
    FCodePageSetting = 0;
    FTopics = std::make_unique<TTopicList>();
    FWorkPicture = std::make_unique<TTavikPicture>();
    FMovingImage = false;
    FDataChanged = false;
    FListChanged = false;
    SaveChangesBtn->SetEnabled(false);
    TopicListBox->SetAcceptFiles(true);
    BmpListView->SetAcceptFiles(true);
    FShownTopic = 0;
    if (!dynamic_cast<TToolTipStyle*>(QApplication::style()))
        QApplication::setStyle(new TToolTipStyle(QApplication::style()->name()));
    FUseCompression = false;
    FLanguage = 0;
    SetLanguageBase(kEnglishBase);
    FCenterPreview = false;
    FFitPreview = false;
    FViewStyle = 0;
    FShowProgressBar = true;
    FShowHourGlass = true;
    FImportFolder.clear();
    FSaveGroupFolder.clear();

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
    FTopicsActive = false;
    SetTopicsActive(true);
}

void TMainForm::FormDestroy() {
    TopicListBox->SetAcceptFiles(false);
    BmpListView->SetAcceptFiles(false);
    // A failed start-up may have left no catalogue to save.
    if (FTopics && FWorkPicture) {
        SavePendingChanges();
        WriteSettings();
    }
    FWorkPicture.reset();
    FTopics.reset();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing never asks; the destruction saves.
    event->accept();
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
    TopicBtn->SetCaption(LoadText(8));
    BmpBtn->SetCaption(LoadText(9));
    const std::pair<TOfficeButton*, int> hints[] = {
        {HelpBtn, 24},       {SaveChangesBtn, 25}, {ImportBtn, 26}, {FitPreviewImageBtn, 47},
        {LargeIconsBtn, 50}, {SmallIconsBtn, 51},  {ListBtn, 52},   {tAddBtn, 53},
        {tDeleteBtn, 54},    {tRenameBtn, 55},     {tCopyBtn, 56},  {tPasteBtn, 57},
        {tSaveBtn, 58},      {tUpBtn, 59},         {tDownBtn, 60},
    };
    for (const auto& [button, offset] : hints)
        button->SetHint(LoadText(offset));
}

void TMainForm::LoadCatalog() {
    // Also finishes or rolls back a compaction that a crash interrupted, and
    // creates the data file when the folder has none.
    if (OpenCatalog(FDataFolder, *FTopics).badSignature) {
        QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), LoadText(1),
                        QMessageBox::Ok, this);
        box.setObjectName("BadDataFile");
        box.exec();
    }
}

void TMainForm::SaveCatalog() {
    SaveListFile(ListFileName(), *FTopics);
    SetListChanged(false);
}

void TMainForm::CompactDataFile() {
    TProgressManager progress(QGuiApplication::applicationDisplayName(), FTopics->ImageCount(), 0,
                              LoadText(37));
    progress.Show();
    ::tavik::CompactDataFile(FDataFolder, *FTopics, [&progress](int, int) {
        QCoreApplication::processEvents();
        progress.Step();
    });
    SetListChanged(true);
    SetDataChanged(false);
}

void TMainForm::SavePendingChanges() {
    if (FDataChanged)
        CompactDataFile();
    if (FListChanged)
        SaveCatalog();
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
