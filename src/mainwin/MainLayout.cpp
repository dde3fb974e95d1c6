// Layout of the main window, focus and the active list, keys, and the
// dispatch of the toolbar buttons.
#include "mainwin/MainForm.h"

#include "controls/About.h"
#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/MessDlgs.h"
#include "controls/aSplit.h"
#include "controls/explbtn.h"
#include "controls/nfPanel.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/PictureImage.h"
#include "mainwin/Placement.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

// The icons live in the library's resources; a static library has to ask for
// them to be registered.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace tavik {
namespace {

// The designed client area and its place on the screen.
constexpr QRect kDesignedGeometry(198, 112, 479, 305);
// The least outer size of the window.
constexpr QSize kMinimumOuterSize(453, 412);
constexpr int kToolbarHeight = 32;
constexpr int kDesignedLeftWidth = 149;
constexpr int kDesignedPreviewHeight = 95;
constexpr int kHSplitterWidth = 2;
constexpr int kVSplitterHeight = 3;
// Designed sizes that grow with a larger font.
constexpr int kDesignedItemHeight = 13;
constexpr int kDesignedHeaderButtonHeight = 18;
constexpr int kDesignedPreviewLabelHeight = 14;

TnfPanel* MakePanel(QWidget* parent, const char* name) {
    auto* panel = new TnfPanel(parent);
    panel->setObjectName(name);
    panel->SetBevelOuter(TPanelBevel::bvNone);
    return panel;
}

// A toolbar picture drawn for the screen's scale: the double-size drawing on
// a scaled screen, marked so that it covers the same 16 x 16 points.
QImage ToolbarImage(const QString& name, qreal ratio) {
    if (ratio > 1) {
        QImage image(QStringLiteral(":/icons/%1@2x.png").arg(name));
        image.setDevicePixelRatio(2);
        return image;
    }
    return QImage(QStringLiteral(":/icons/%1.png").arg(name));
}

} // namespace

TOfficeButton* TMainForm::MakeToolButton(const char* name, const char* icon, int left) {
    auto* button = new TOfficeButton(ToolbarPanel);
    button->setObjectName(name);
    button->setGeometry(left, 3, 25, 25);
    const QString picture = QLatin1String(icon);
    button->SetBitmap(ToolbarImage(picture, devicePixelRatioF()));
    button->SetDisabledBitmap(
        ToolbarImage(picture + QStringLiteral("-disabled"), devicePixelRatioF()));
    return button;
}

void TMainForm::CreateControls() {
    InitIconResources();
    setWindowTitle(QStringLiteral("Tavik"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tavik-48.png")));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setGeometry(kDesignedGeometry);

    ToolbarPanel = MakePanel(this, "ToolbarPanel");
    CreateToolbar();

    LeftComboPanel = MakePanel(this, "LeftComboPanel");
    LeftComboPanel->resize(kDesignedLeftWidth, 0);
    TopicPanel = MakePanel(LeftComboPanel, "TopicPanel");
    TopicBtn = new TOfficeButton(TopicPanel);
    TopicBtn->setObjectName("TopicBtn");
    TopicBtn->setGeometry(6, 4, 0, 18);
    TopicBtn->SetButtonStyle(TNewButtonStyle::bsSoft);
    TopicBtn->SetAlignment(Qt::AlignLeft);
    TopicBtn->SetOptions(boShowBevel);
    TopicBtn->SetGroupIndex(1);
    TopicListBox = new TMarkListBox(TopicPanel);
    TopicListBox->setObjectName("TopicListBox");
    TopicListBox->move(6, 24);
    TopicListBox->SetOffset(1);
    TopicListBox->SetFixedSize(false);

    PreviewLayoutPanel = MakePanel(LeftComboPanel, "PreviewLayoutPanel");
    PreviewLayoutPanel->resize(0, kDesignedPreviewHeight);
    VSplitter = new TaSplitter(LeftComboPanel);
    VSplitter->setObjectName("VSplitter");
    VSplitter->SetAlign(TSplitterAlign::alBottom);
    VSplitter->SetTopLeftLimit(120);
    VSplitter->SetBottomRightLimit(50);
    HdrPreviewPanel = MakePanel(PreviewLayoutPanel, "HdrPreviewPanel");
    PreviewLabel = new QLabel(HdrPreviewPanel);
    PreviewLabel->setObjectName("PreviewLabel");
    PreviewLabel->setGeometry(2, 3, 121, kDesignedPreviewLabelHeight);
    PreviewLine = new QFrame(HdrPreviewPanel);
    PreviewLine->setObjectName("PreviewLine");
    PreviewLine->setFrameShape(QFrame::HLine);
    PreviewLine->setFrameShadow(QFrame::Sunken);
    PreviewPanel = MakePanel(PreviewLayoutPanel, "PreviewPanel");
    PreviewImage = new TPictureImage(PreviewPanel);
    PreviewImage->setObjectName("PreviewImage");
    PreviewImage->setGeometry(0, 0, 0, 0);

    HSplitter = new TaSplitter(this);
    HSplitter->setObjectName("HSplitter");
    HSplitter->SetAlign(TSplitterAlign::alLeft);
    HSplitter->SetBeveled(false);
    HSplitter->SetTopLeftLimit(60);
    HSplitter->SetBottomRightLimit(160);

    ExtViewPanel = MakePanel(this, "ExtViewPanel");
    HdrBtnPanel = MakePanel(ExtViewPanel, "HdrBtnPanel");
    BmpBtn = new TOfficeButton(HdrBtnPanel);
    BmpBtn->setObjectName("BmpBtn");
    BmpBtn->setGeometry(4, 4, 0, 18);
    BmpBtn->SetButtonStyle(TNewButtonStyle::bsSoft);
    BmpBtn->SetAlignment(Qt::AlignLeft);
    BmpBtn->SetOptions(boShowBevel);
    BmpBtn->SetGroupIndex(1);
    BmpProgressBar = new QProgressBar(HdrBtnPanel);
    BmpProgressBar->setObjectName("BmpProgressBar");
    BmpProgressBar->setRange(0, 100);
    BmpProgressBar->setTextVisible(false);
    BmpProgressBar->setGeometry(0, 10, 34, 6);
    BmpListView = new TBmpListView(ExtViewPanel);
    BmpListView->setObjectName("BmpListView");
    BmpListView->setFrameShape(QFrame::NoFrame);

    // Tab order follows the two lists; the toolbar takes no focus.
    setTabOrder(TopicListBox, BmpListView);

    ApplyFontMetrics();
    LayoutWindow();
}

void TMainForm::ApplyFontMetrics() {
    // Rows and header strips grow with the font, so that no letter is cut
    // off; with the designed font they keep their designed sizes.
    const int line = QFontMetrics(font()).height();
    TopicListBox->SetItemHeight(std::max(kDesignedItemHeight, line));
    const int button = std::max(kDesignedHeaderButtonHeight, line + 4);
    TopicBtn->resize(TopicBtn->width(), button);
    TopicListBox->move(TopicListBox->x(), TopicBtn->y() + button + 2);
    BmpBtn->resize(BmpBtn->width(), button);
    BmpProgressBar->move(BmpProgressBar->x(),
                         BmpBtn->y() + (button - BmpProgressBar->height()) / 2);
    PreviewLabel->resize(PreviewLabel->width(), std::max(kDesignedPreviewLabelHeight, line));
}

void TMainForm::CreateToolbar() {
    ToolbarPanel->setGeometry(0, 0, width(), kToolbarHeight);
    SaveChangesBtn = MakeToolButton("SaveChangesBtn", "savechanges", 7);
    ImportBtn = MakeToolButton("ImportBtn", "import", 32);
    FitPreviewImageBtn = MakeToolButton("FitPreviewImageBtn", "fitpreview", 64);
    // A toggle: its own group, allowed to be all up.
    FitPreviewImageBtn->SetGroupIndex(3);
    FitPreviewImageBtn->SetAllowAllUp(true);
    tUpBtn = MakeToolButton("tUpBtn", "up", 105);
    tDownBtn = MakeToolButton("tDownBtn", "down", 130);
    tAddBtn = MakeToolButton("tAddBtn", "add", 162);
    tDeleteBtn = MakeToolButton("tDeleteBtn", "delete", 187);
    tRenameBtn = MakeToolButton("tRenameBtn", "rename", 212);
    tCopyBtn = MakeToolButton("tCopyBtn", "copy", 244);
    tPasteBtn = MakeToolButton("tPasteBtn", "paste", 269);
    tSaveBtn = MakeToolButton("tSaveBtn", "save", 294);
    LargeIconsBtn = MakeToolButton("LargeIconsBtn", "largeicons", 335);
    SmallIconsBtn = MakeToolButton("SmallIconsBtn", "smallicons", 360);
    ListBtn = MakeToolButton("ListBtn", "list", 385);
    for (TOfficeButton* button : {LargeIconsBtn, SmallIconsBtn, ListBtn})
        button->SetGroupIndex(2);
    HelpBtn = MakeToolButton("HelpBtn", "help", 425);
    for (int left : {96, 326, 416}) {
        auto* line = new QFrame(ToolbarPanel);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(left, 3, 2, 25);
    }
}

void TMainForm::LayoutWindow() {
    const int w = width();
    const int h = height();
    ToolbarPanel->setGeometry(0, 0, w, kToolbarHeight);
    const int below = std::max(0, h - kToolbarHeight);
    // A width or height kept from another screen never pushes the image list
    // or the splitters out of the window.
    const int left = FitSplitPosition(LeftComboPanel->width(), w, kHSplitterWidth,
                                      HSplitter->BottomRightLimit());
    LeftComboPanel->setGeometry(0, kToolbarHeight, left, below);
    HSplitter->setGeometry(left, kToolbarHeight, kHSplitterWidth, below);
    ExtViewPanel->setGeometry(left + kHSplitterWidth, kToolbarHeight,
                              std::max(0, w - left - kHSplitterWidth), below);

    // The preview area sits at the bottom of the column, the splitter above it.
    const int preview = FitSplitPosition(PreviewLayoutPanel->height(), below, kVSplitterHeight,
                                         VSplitter->TopLeftLimit());
    PreviewLayoutPanel->setGeometry(0, below - preview, left, preview);
    VSplitter->setGeometry(0, below - preview - kVSplitterHeight, left, kVSplitterHeight);
    TopicPanel->setGeometry(0, 0, left, std::max(0, below - preview - kVSplitterHeight));
    // The header strips hold their caption with the designed margins (20 and
    // 23 pixels high with the designed font).
    const int hdrPreviewHeight = PreviewLabel->y() + PreviewLabel->height() + 3;
    HdrPreviewPanel->setGeometry(1, 0, std::max(0, left - 2), hdrPreviewHeight);
    PreviewLine->setGeometry(0, hdrPreviewHeight - 2, HdrPreviewPanel->width(), 2);
    PreviewPanel->setGeometry(1, hdrPreviewHeight, std::max(0, left - 2),
                              std::max(0, preview - hdrPreviewHeight));

    const int extWidth = ExtViewPanel->width();
    const int hdrBtnHeight = BmpBtn->y() + BmpBtn->height() + 1;
    HdrBtnPanel->setGeometry(0, 0, extWidth, hdrBtnHeight);
    BmpListView->setGeometry(0, hdrBtnHeight, extWidth,
                             std::max(0, ExtViewPanel->height() - hdrBtnHeight));
}

void TMainForm::TopicPanelResize() {
    const int w = TopicPanel->width();
    TopicListBox->resize(std::max(0, w - 2 * TopicListBox->x()),
                         std::max(0, TopicPanel->height() - TopicListBox->y() - 5));
    TopicBtn->resize(std::max(0, w - 2 * TopicBtn->x()), TopicBtn->height());
}

void TMainForm::ExtViewPanelResize() {
    ArrangeImages();
    const int w = ExtViewPanel->width();
    BmpBtn->resize(std::max(0, w - 2 * BmpBtn->x() - 2), BmpBtn->height());
    BmpProgressBar->move(w - BmpProgressBar->width() - 10, BmpProgressBar->y());
}

void TMainForm::PreviewPanelResize() {
    LayoutPreviewImage(PreviewImage->PictureWidth(), PreviewImage->PictureHeight());
}

void TMainForm::SplitterMoved() {
    // The splitter has resized its neighbour; the rest of the window follows.
    LayoutWindow();
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The least size is given for the outer window; the frame is known now.
    const QSize frame = frameGeometry().size() - geometry().size();
    setMinimumSize(kMinimumOuterSize - frame);
}

void TMainForm::SetTopicsActive(bool value) {
    if (value == FTopicsActive)
        return;
    FTopicsActive = value;
    // The two header buttons form one group, but they sit on different panels,
    // so the pair is kept in step here.
    TopicBtn->SetDown(value);
    BmpBtn->SetDown(!value);
}

bool TMainForm::FormKeyDown(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab && (event->modifiers() & Qt::ControlModifier)) {
        if (TopicListBox->hasFocus())
            BmpListView->setFocus(Qt::TabFocusReason);
        else if (BmpListView->hasFocus())
            TopicListBox->setFocus(Qt::TabFocusReason);
        else
            SetTopicsActive(!FTopicsActive);
        // Taken here: the lists would otherwise pass it on as focus movement.
        return true;
    }
    if (event->key() == Qt::Key_F2) {
        // Taken here: the image list would start a caption edit with it.
        SavePendingChanges();
        return true;
    }
    return false;
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
    // A key the lists pass on was seen on its way in; only one sent to the
    // window itself is new here.
    const QWidget* focus = QApplication::focusWidget();
    bool used = false;
    if (!focus || focus == this)
        RunCommand([&] { used = FormKeyDown(event); });
    if (!used)
        QWidget::keyPressEvent(event);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutWindow();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    bool used = false;
    RunCommand([&] { used = FilterEvent(watched, event); });
    return used || QWidget::eventFilter(watched, event);
}

bool TMainForm::FilterEvent(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        // The two lists are the window's only focusable controls; the window
        // sees their keys first.
        auto* key = static_cast<QKeyEvent*>(event);
        if (FormKeyDown(key))
            return true;
        if (watched == TopicListBox)
            TopicListBoxKeyDown(key);
        else if (watched == BmpListView)
            return BmpListViewKeyDown(key);
        break;
    }
    case QEvent::FontChange:
        if (watched == TopicPanel) {
            ApplyFontMetrics();
            LayoutWindow();
        }
        break;
    case QEvent::FocusIn:
        if (watched == TopicListBox)
            SetTopicsActive(true);
        break;
    case QEvent::Resize:
        if (watched == TopicPanel)
            TopicPanelResize();
        else if (watched == ExtViewPanel)
            ExtViewPanelResize();
        else if (watched == PreviewPanel)
            PreviewPanelResize();
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == PreviewPanel)
            OpenViewFromPreview();
        break;
    default:
        break;
    }
    return false;
}

void TMainForm::ConnectCommands() {
    for (QObject* watched : std::initializer_list<QObject*>{TopicListBox, BmpListView, TopicPanel,
                                                            ExtViewPanel, PreviewPanel})
        watched->installEventFilter(this);

    // Every command starts here: what it throws is reported after it returns
    // and never carried into Qt's own frames. The context goes before the
    // controls when the window is destroyed.
    const auto command = [this]<class... Args>(void (TMainForm::*handler)(Args...)) {
        return [this, handler](Args... args) {
            RunCommand([&] { (this->*handler)(std::forward<Args>(args)...); });
        };
    };
    const auto run = [](auto action) { return [action] { RunCommand(action); }; };
    QObject* context = &FCommandContext;

    connect(VSplitter, &TaSplitter::Moved, context, command(&TMainForm::SplitterMoved));
    connect(HSplitter, &TaSplitter::Moved, context, command(&TMainForm::SplitterMoved));

    connect(SaveChangesBtn, &TOfficeButton::Click, context,
            command(&TMainForm::SaveChangesBtnClick));
    connect(FitPreviewImageBtn, &TOfficeButton::Click, context,
            command(&TMainForm::FitPreviewImageBtnClick));
    connect(tUpBtn, &TOfficeButton::Click, context, command(&TMainForm::UpBtnClick));
    connect(tDownBtn, &TOfficeButton::Click, context, command(&TMainForm::DownBtnClick));
    connect(tAddBtn, &TOfficeButton::Click, context, command(&TMainForm::AddBtnClick));
    connect(tDeleteBtn, &TOfficeButton::Click, context, command(&TMainForm::DeleteBtnClick));
    connect(tRenameBtn, &TOfficeButton::Click, context, command(&TMainForm::RenameBtnClick));
    connect(LargeIconsBtn, &TOfficeButton::Click, context, run([this] { SetViewStyle(0); }));
    connect(SmallIconsBtn, &TOfficeButton::Click, context, run([this] { SetViewStyle(1); }));
    connect(ListBtn, &TOfficeButton::Click, context, run([this] { SetViewStyle(2); }));
    connect(HelpBtn, &TOfficeButton::Click, context, command(&TMainForm::HelpBtnClick));
    connect(TopicBtn, &TOfficeButton::Click, context,
            run([this] { TopicListBox->setFocus(Qt::MouseFocusReason); }));
    connect(BmpBtn, &TOfficeButton::Click, context,
            run([this] { BmpListView->setFocus(Qt::MouseFocusReason); }));
    connect(tCopyBtn, &TOfficeButton::Click, context, command(&TMainForm::tCopyBtnClick));
    connect(tPasteBtn, &TOfficeButton::Click, context, command(&TMainForm::tPasteBtnClick));
    connect(BmpListView, &TBmpListView::StartDrag, context,
            command(&TMainForm::BmpListViewStartDrag));
    connect(tSaveBtn, &TOfficeButton::Click, context, command(&TMainForm::tSaveBtnClick));
    connect(ImportBtn, &TOfficeButton::Click, context, command(&TMainForm::ImportBtnClick));

    connect(PreviewImage, &TPictureImage::DblClick, context,
            command(&TMainForm::OpenViewFromPreview));

    // Not the list's click: the current topic changes by other gestures too.
    connect(TopicListBox, &QListWidget::currentRowChanged, context,
            command(&TMainForm::TopicListBoxClick));
    connect(TopicListBox, &TMarkListBox::DropFiles, context,
            command(&TMainForm::TopicListBoxDropFiles));
    connect(TopicListBox, &TMarkListBox::DragOver, context,
            command(&TMainForm::TopicListBoxDragOver));
    connect(TopicListBox, &TMarkListBox::DragDrop, context,
            command(&TMainForm::TopicListBoxDragDrop));
    connect(BmpListView, &TBmpListView::Change, context, command(&TMainForm::BmpListViewChange));
    connect(BmpListView, &TBmpListView::Edited, context, command(&TMainForm::BmpListViewEdited));
    connect(BmpListView, &TBmpListView::Enter, context, command(&TMainForm::BmpListViewEnter));
    connect(BmpListView, &TBmpListView::DropFiles, context,
            command(&TMainForm::BmpListViewDropFiles));
    ConnectMenus();
}

void TMainForm::SaveChangesBtnClick() {
    SavePendingChanges();
}

void TMainForm::FitPreviewImageBtnClick() {
    SetFitPreview(!FFitPreview);
}

void TMainForm::UpBtnClick() {
    if (FTopicsActive)
        MoveTopic(CurrentTopic(), true);
    else
        MoveImage(ImageTopic(), CurrentImageIndex(), true);
}

void TMainForm::DownBtnClick() {
    if (FTopicsActive)
        MoveTopic(CurrentTopic(), false);
    else
        MoveImage(ImageTopic(), CurrentImageIndex(), false);
}

void TMainForm::AddBtnClick() {
    if (FTopicsActive)
        AddTopicFromDialog(QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier);
    else if (CurrentTopic() != -1)
        AddImagesFromDialog();
}

void TMainForm::DeleteBtnClick() {
    if (FTopicsActive)
        DeleteTopics();
    else
        DeleteImages();
}

void TMainForm::RenameBtnClick() {
    if (FTopicsActive)
        RenameTopicFromDialog();
    else
        RenameImageFromDialog();
}

void TMainForm::HelpBtnClick() {
    TAboutBox about(this, [](int offset) { return LoadText(offset); });
    about.setWindowTitle(LoadText(kTextAboutCaption));
    about.SetCounts(FTopics->Count(), FTopics->ImageCount());
    about.exec();
}

} // namespace tavik
