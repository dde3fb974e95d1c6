#include "controls/About.h"

#include "controls/GFill.h"
#include "controls/UrlLabel.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace tavik {

namespace {

constexpr int kVersionText = 65;
constexpr int kTopicsText = 32;
constexpr int kImagesText = 33;

// The English texts, for a box built without the program's text lookup.
QString EnglishText(int offset) {
    switch (offset) {
    case kTopicsText:
        return QStringLiteral("Topics:");
    case kImagesText:
        return QStringLiteral("Images:");
    case kVersionText:
        return QStringLiteral("Version %s");
    default:
        return QString();
    }
}

QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

QFrame* MakeBevel(QWidget* parent, const char* name, int top) {
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(12, top, 334, 2);
    return line;
}

} // namespace

QPixmap TavikIcon() {
    const QIcon appIcon = QApplication::windowIcon();
    if (!appIcon.isNull())
        return appIcon.pixmap(32, 32);
    // A framed picture: sky, sun and a hill, in a 32 by 32 square.
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.fillRect(1, 3, 30, 26, QColor(120, 72, 32));
    p.fillRect(3, 5, 26, 22, QColor(150, 200, 240));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 210, 60));
    p.drawEllipse(QPointF(22, 11), 3.5, 3.5);
    p.setBrush(QColor(60, 150, 60));
    p.drawEllipse(QRectF(-4, 17, 30, 20));
    p.setBrush(QColor(40, 120, 40));
    p.drawEllipse(QRectF(12, 19, 26, 16));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(70, 40, 15));
    p.setBrush(Qt::NoBrush);
    p.drawRect(1, 3, 29, 25);
    return pixmap;
}

TAboutBox::TAboutBox(QWidget* parent, TTextLookup texts)
    : QDialog(parent), FTexts(std::move(texts)) {
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(358, 297);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    ProgramIcon = MakeLabel(this, "ProgramIcon", {16, 16, 32, 32});
    ProgramIcon->setPixmap(TavikIcon());

    GF1 = new TGradientFill(this);
    GF1->setObjectName(QStringLiteral("GF1"));
    GF1->setGeometry(64, 20, 282, 17);
    GF1->SetBeginColor(QColor(128, 128, 128));
    GF1->SetEndColor(QColor(255, 255, 255));
    GF1->SetFillDirection(TFillDirection::fdLeftToRight);
    GF1->SetNumberOfColors(255);
    // Too few colours make the bands a coarse stripe pattern.
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen && screen->depth() < 16)
        GF1->hide();

    ProductName = MakeLabel(this, "ProductName", {70, 20, 270, 17});
    ProductName->setText(QStringLiteral("Tavik"));
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    QPalette black = ProductName->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    ProductName->setPalette(black);
    ProductName->setAttribute(Qt::WA_TranslucentBackground);

    VersionLabel = MakeLabel(this, "VersionLabel", {70, 48, 270, 17});

    UrlLabel = new TUrlLabel(this);
    UrlLabel->setObjectName(QStringLiteral("UrlLabel"));
    UrlLabel->setGeometry(70, 72, 270, 17);
    UrlLabel->SetURL(QString::fromLatin1(kWebPage));
    UrlLabel->setText(QStringLiteral("tavik.example.org"));
    UrlLabel->adjustSize();

    Bevel1 = MakeBevel(this, "Bevel1", 112);
    TopicsLabel = MakeLabel(this, "TopicsLabel", {70, 132, 120, 17});
    TopicsNumLabel = MakeLabel(this, "TopicsNumLabel", {196, 132, 89, 17});
    TopicsNumLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    BitmapsLabel = MakeLabel(this, "BitmapsLabel", {70, 158, 120, 17});
    BitmapsNumLabel = MakeLabel(this, "BitmapsNumLabel", {196, 158, 89, 17});
    BitmapsNumLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Bevel2 = MakeBevel(this, "Bevel2", 192);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(141, 246, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { done(1); });
}

void TAboutBox::SetCounts(int topics, int images) {
    FTopicCount = std::max(0, topics);
    FImageCount = std::max(0, images);
}

QString TAboutBox::Text(int offset) const {
    return FTexts ? FTexts(offset) : EnglishText(offset);
}

void TAboutBox::showEvent(QShowEvent* event) {
    VersionLabel->setText(
        Text(kVersionText).replace(QStringLiteral("%s"), QString::fromLatin1(kVersion)));
    TopicsLabel->setText(Text(kTopicsText));
    BitmapsLabel->setText(Text(kImagesText));
    TopicsNumLabel->setText(QString::number(FTopicCount));
    BitmapsNumLabel->setText(QString::number(FImageCount));
    QDialog::showEvent(event);
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

} // namespace tavik
