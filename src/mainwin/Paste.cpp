#include "mainwin/Paste.h"

#include "controls/MessDlgs.h"
#include "controls/nfPanel.h"
#include "graphics/Picture.h"
#include "mainwin/PictureImage.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace tavik {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int left,
                        int result) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(left, 112, 75, 24);
    button->setProperty("modalResult", result);
    return button;
}

} // namespace

TPasteForm::TPasteForm(QWidget* parent) : QDialog(parent) {
    setObjectName("PasteForm");
    setWindowTitle(LoadText(kTextPasteCaption));
    setFixedSize(300, 148);

    BackPanel = new TnfPanel(this);
    BackPanel->setObjectName("BackPanel");
    BackPanel->setGeometry(5, 8, 289, 97);
    BackPanel->SetBevelInner(TPanelBevel::bvRaised);
    BackPanel->SetBevelOuter(TPanelBevel::bvLowered);

    PreviewPanel = new TnfPanel(BackPanel);
    PreviewPanel->setObjectName("PreviewPanel");
    PreviewPanel->setGeometry(8, 14, 73, 69);
    PreviewPanel->SetBevelOuter(TPanelBevel::bvLowered);

    // The picture is cut off at the frame: the image control is exactly the
    // panel less its border, and draws from its top left corner.
    PreviewImage = new TPictureImage(PreviewPanel);
    PreviewImage->setObjectName("PreviewImage");
    const int border = PreviewPanel->FrameWidth();
    PreviewImage->setGeometry(border, border, 73 - 2 * border, 69 - 2 * border);

    SizeLabel = new QLabel(BackPanel);
    SizeLabel->setObjectName("SizeLabel");
    SizeLabel->move(88, 14);

    NameLabel = new QLabel(LoadText(kTextName), BackPanel);
    NameLabel->setObjectName("NameLabel");
    NameLabel->move(88, 48);

    BitmapNameEdit = new QLineEdit(BackPanel);
    BitmapNameEdit->setObjectName("BitmapNameEdit");
    BitmapNameEdit->setGeometry(88, 62, 193, 21);
    NameLabel->setBuddy(BitmapNameEdit);

    OKBtn = MakeButton(this, "OKBtn", QStringLiteral("OK"), 72, mrOk);
    OKBtn->setDefault(true);
    CancelBtn = MakeButton(this, "CancelBtn", LoadText(kTextCancel), 153, mrCancel);

    setTabOrder(BitmapNameEdit, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
    BitmapNameEdit->setFocus();

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    // QDialog already turns Escape into reject().
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(PreviewImage, &TPictureImage::DblClick, this,
            [this] { emit PreviewDblClick(PreviewImage->Picture()); });
}

void TPasteForm::SetPicture(const TPicture& picture) {
    PreviewImage->SetPicture(picture);
    SizeLabel->setText(QStringLiteral("%1 x %2")
                           .arg(PreviewImage->PictureWidth())
                           .arg(PreviewImage->PictureHeight()));
    SizeLabel->adjustSize();
    BitmapNameEdit->setText(ProposedPasteName(picture));
    BitmapNameEdit->selectAll();
}

QString TPasteForm::PictureName() const {
    return BitmapNameEdit->text();
}

void TPasteForm::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

QString ProposedPasteName(const TPicture& picture) {
    return QStringLiteral("NewImage.") + QString::fromStdString(DefaultExtension(picture.Kind()));
}

QString AskPasteName(const TPicture& picture, const std::function<void(const TPicture&)>& showView,
                     QWidget* parent, const QString& name) {
    TPasteForm form(parent);
    form.SetPicture(picture);
    if (!name.isEmpty()) {
        form.BitmapNameEdit->setText(name);
        form.BitmapNameEdit->selectAll();
    }
    if (showView) {
        QObject::connect(&form, &TPasteForm::PreviewDblClick, &form, showView);
    }
    if (form.exec() != QDialog::Accepted) {
        return {};
    }
    return form.PictureName();
}

} // namespace tavik
