#include "mainwin/View.h"

#include "graphics/Thumbnail.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/PictureImage.h"
#include "mainwin/Placement.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/CatalogFiles.h"
#include "storage/IniFile.h"
#include "storage/SafeFile.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <iterator>

namespace tavik {
namespace {

constexpr QSize kDesignedClientSize(345, 219);
// The scales the zoom keys step through.
constexpr double kZoomSteps[] = {1.0 / 16, 1.0 / 8, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3, 1.0, 1.5,
                                 2.0,      3.0,     4.0,     6.0,     8.0,     12.0,    16.0};
// No side of the zoomed picture grows past this.
constexpr int kMaxZoomedSide = 32767;

} // namespace

TViewForm::TViewForm(const std::string& dataFolder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint),
      FSettingsFileName(SettingsFileName(dataFolder)) {
    setObjectName("ViewForm");
    setSizeGripEnabled(false);
    FViewScrollBox = new QScrollArea(this);
    FViewScrollBox->setObjectName("ViewScrollBox");
    FViewScrollBox->setFrameShape(QFrame::NoFrame);
    FViewScrollBox->setWidgetResizable(false);
    FContents = new QWidget;
    FViewImage = new TPictureImage(FContents);
    FViewImage->setObjectName("ViewImage");
    FViewScrollBox->setWidget(FContents);
    FViewScrollBox->installEventFilter(this);
    FViewScrollBox->viewport()->installEventFilter(this);

    resize(kDesignedClientSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // A settings file that cannot be read leaves the designed placement.
    try {
        if (FileExists(FSettingsFileName))
            ReadPlacement(TIniFile(FSettingsFileName), "ViewPlacement", *this);
    } catch (const std::exception& error) {
        ReportException(error);
    }
}

TViewForm::~TViewForm() {
    try {
        TIniFile ini(FSettingsFileName);
        WritePlacement(ini, "ViewPlacement", *this);
        ini.UpdateFile();
    } catch (const std::exception& error) {
        ReportException(error);
    }
}

void TViewForm::ShowPicture(const TPicture& picture) {
    ShowPictures(1, 0, [&picture](int) { return picture; });
}

int TViewForm::ShowPictures(int count, int index, const TPictureLoader& load) {
    setWindowTitle(LoadText(kTextViewCaption));
    FLoad = load;
    FCount = count;
    FIndex = -1;
    FZoom = 1.0;
    FFitted = false;
    ShowIndex(index);
    exec();
    FLoad = nullptr;
    return FIndex;
}

void TViewForm::ShowIndex(int index) {
    if (FCount <= 0)
        return;
    index = std::clamp(index, 0, FCount - 1);
    if (index == FIndex)
        return;
    FIndex = index;
    TPicture picture;
    try {
        picture = FLoad(index);
    } catch (const std::exception& error) {
        DeferReport(error);
    }
    FViewImage->SetPicture(picture);
    LayoutViewImage();
    FViewScrollBox->horizontalScrollBar()->setValue(0);
    FViewScrollBox->verticalScrollBar()->setValue(0);
}

int TViewForm::ScaledSide(int side) const {
    if (side <= 0)
        return 0;
    return static_cast<int>(std::clamp(std::lround(side * FZoom), 1L, long{kMaxZoomedSide}));
}

void TViewForm::LayoutViewImage() {
    FViewScrollBox->setGeometry(rect());
    const int pictureWidth = FViewImage->PictureWidth();
    const int pictureHeight = FViewImage->PictureHeight();
    if (FFitted && pictureWidth > 0 && pictureHeight > 0)
        FZoom = std::min(static_cast<double>(FViewScrollBox->width()) / pictureWidth,
                         static_cast<double>(FViewScrollBox->height()) / pictureHeight);
    int w = ScaledSide(pictureWidth);
    int h = ScaledSide(pictureHeight);
    int left = 0;
    int top = 0;
    // The whole client area counts as the box: a picture that fits needs no
    // scroll bars, so they must not take room from the centring.
    FitRect(w, h, FViewScrollBox->width(), FViewScrollBox->height(), false, false, true, left, top);
    FViewImage->SetStretch(w != pictureWidth || h != pictureHeight);
    FViewImage->setGeometry(left, top, w, h);
    FContents->resize(left + w, top + h);
}

void TViewForm::SetZoom(double zoom, bool fitted) {
    // The point of the picture in the middle of the window stays there.
    QScrollBar* across = FViewScrollBox->horizontalScrollBar();
    QScrollBar* down = FViewScrollBox->verticalScrollBar();
    const QSize view = FViewScrollBox->viewport()->size();
    const double x =
        (across->value() + view.width() / 2.0 - FViewImage->x()) / std::max(1, FViewImage->width());
    const double y =
        (down->value() + view.height() / 2.0 - FViewImage->y()) / std::max(1, FViewImage->height());
    FZoom = zoom;
    FFitted = fitted;
    LayoutViewImage();
    const QSize after = FViewScrollBox->viewport()->size();
    across->setValue(static_cast<int>(
        std::lround(FViewImage->x() + x * FViewImage->width() - after.width() / 2.0)));
    down->setValue(static_cast<int>(
        std::lround(FViewImage->y() + y * FViewImage->height() - after.height() / 2.0)));
}

void TViewForm::StepZoom(bool in) {
    const auto steps = std::begin(kZoomSteps);
    const auto end = std::end(kZoomSteps);
    // The step past the current scale, which may lie between steps after a fit.
    double zoom = FZoom;
    if (in) {
        const auto next = std::upper_bound(steps, end, FZoom * 1.001);
        zoom = next == end ? *(end - 1) : *next;
    } else {
        const auto next = std::lower_bound(steps, end, FZoom * 0.999);
        zoom = next == steps ? *steps : *(next - 1);
    }
    SetZoom(zoom, false);
}

bool TViewForm::ViewKeyDown(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        StepZoom(true);
        return true;
    case Qt::Key_Minus:
        StepZoom(false);
        return true;
    case Qt::Key_0:
        SetZoom(FZoom, true);
        return true;
    case Qt::Key_1:
        SetZoom(1.0, false);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        ShowIndex(FIndex - 1);
        return true;
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        ShowIndex(FIndex + 1);
        return true;
    case Qt::Key_Home:
        ShowIndex(0);
        return true;
    case Qt::Key_End:
        ShowIndex(FCount - 1);
        return true;
    default:
        return false;
    }
}

void TViewForm::keyPressEvent(QKeyEvent* event) {
    bool used = false;
    RunCommand([&] { used = ViewKeyDown(*event); });
    if (!used)
        QDialog::keyPressEvent(event);
}

bool TViewForm::eventFilter(QObject* watched, QEvent* event) {
    // The window sees the keys before the scroll box, which would scroll with
    // the arrow and page keys, and takes Ctrl with the wheel for zooming.
    bool used = false;
    if (event->type() == QEvent::KeyPress) {
        RunCommand([&] { used = ViewKeyDown(*static_cast<QKeyEvent*>(event)); });
    } else if (event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if ((wheel->modifiers() & Qt::ControlModifier) && wheel->angleDelta().y() != 0) {
            RunCommand([&] { StepZoom(wheel->angleDelta().y() > 0); });
            used = true;
        }
    }
    return used || QDialog::eventFilter(watched, event);
}

void TViewForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayoutViewImage();
}

} // namespace tavik
