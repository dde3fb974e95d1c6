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
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

namespace tavik {
namespace {

constexpr QSize kDesignedClientSize(345, 219);

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
    setWindowTitle(LoadText(kTextViewCaption));
    FViewImage->SetPicture(picture);
    LayoutViewImage();
    exec();
}

void TViewForm::LayoutViewImage() {
    FViewScrollBox->setGeometry(rect());
    int w = FViewImage->PictureWidth();
    int h = FViewImage->PictureHeight();
    int left = 0;
    int top = 0;
    // The whole client area counts as the box: a picture that fits needs no
    // scroll bars, so they must not take room from the centring.
    FitRect(w, h, FViewScrollBox->width(), FViewScrollBox->height(), false, false, true, left, top);
    FViewImage->setGeometry(left, top, w, h);
    FContents->resize(left + w, top + h);
}

void TViewForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayoutViewImage();
}

} // namespace tavik
