#include "controls/aSplit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace tavik {

namespace {

constexpr int kDefaultThickness = 3;

// Frames the rectangle [left, right) x [top, bottom) one pixel wide.
void FrameRect(QPainter& p, int left, int top, int right, int bottom, const QColor& color) {
    if (right <= left || bottom <= top)
        return;
    p.fillRect(left, top, right - left, 1, color);
    p.fillRect(left, bottom - 1, right - left, 1, color);
    p.fillRect(left, top, 1, bottom - top, color);
    p.fillRect(right - 1, top, 1, bottom - top, color);
}

} // namespace

TaSplitter::TaSplitter(QWidget* parent) : QWidget(parent) {
    resize(kDefaultThickness, 100);
    SetAlign(TSplitterAlign::alLeft);
}

TaSplitter::~TaSplitter() {
    // A bar destroyed mid-drag must not leave its key filter behind.
    qApp->removeEventFilter(this);
    delete FLine;
}

void TaSplitter::SetAlign(TSplitterAlign value) {
    FAlign = value;
    if (Vertical()) {
        setCursor(Qt::SplitHCursor);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    } else if (value == TSplitterAlign::alNone) {
        unsetCursor();
    } else {
        setCursor(Qt::SplitVCursor);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    updateGeometry();
    update();
}

void TaSplitter::SetBeveled(bool value) {
    if (FBeveled == value)
        return;
    FBeveled = value;
    update();
}

void TaSplitter::SetColor(const QColor& value) {
    if (FColor == value)
        return;
    FColor = value;
    update();
}

void TaSplitter::SetTopLeftLimit(int value) {
    FTopLeftLimit = std::max(1, value);
    if (FAlign == TSplitterAlign::alTop || FAlign == TSplitterAlign::alLeft)
        FMinSize = FTopLeftLimit;
}

void TaSplitter::SetBottomRightLimit(int value) {
    FBottomRightLimit = std::max(1, value);
    if (FAlign == TSplitterAlign::alBottom || FAlign == TSplitterAlign::alRight)
        FMinSize = FBottomRightLimit;
}

QSize TaSplitter::sizeHint() const {
    return Vertical() ? QSize(kDefaultThickness, 0) : QSize(0, kDefaultThickness);
}

QRect TaSplitter::LineRect() const {
    if (!FLine || FLine->isHidden())
        return {};
    return FLine->geometry();
}

bool TaSplitter::Vertical() const {
    return FAlign == TSplitterAlign::alLeft || FAlign == TSplitterAlign::alRight;
}

void TaSplitter::paintEvent(QPaintEvent* event) {
    // Painting is clipped to the dirty region; the thin frames are left to it.
    QPainter p(this);
    p.fillRect(event->rect(), FColor.isValid() ? FColor : palette().color(QPalette::Button));
    if (!FBeveled)
        return;
    int l = 0, t = 0, r = width(), b = height();
    if (Vertical()) {
        l += 1, r -= 1, t -= 2, b += 2;
    } else {
        t += 1, b -= 1, l -= 2, r += 2;
    }
    FrameRect(p, l + 1, t + 1, r + 1, b + 1, palette().color(QPalette::Light));
    FrameRect(p, l - 1, t - 1, r - 1, b - 1, palette().color(QPalette::Dark));
}

// The sibling whose geometry contains the point just outside the bar on the
// given side; children are searched in their order, like hit-testing would.
static QWidget* SiblingAt(const QWidget* bar, QPoint point) {
    const QWidget* parent = bar->parentWidget();
    if (!parent)
        return nullptr;
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && w != bar && !w->isWindow() && !w->isHidden() &&
            !w->testAttribute(Qt::WA_TransparentForMouseEvents) && w->geometry().contains(point))
            return w;
    }
    return nullptr;
}

QWidget* TaSplitter::FindControl() const {
    const QRect g = geometry();
    switch (FAlign) {
    case TSplitterAlign::alTop:
        return SiblingAt(this, {g.left(), g.top() - 1});
    case TSplitterAlign::alBottom:
        return SiblingAt(this, {g.left(), g.top() + g.height()});
    case TSplitterAlign::alLeft:
        return SiblingAt(this, {g.left() - 1, g.top()});
    case TSplitterAlign::alRight:
        return SiblingAt(this, {g.left() + g.width(), g.top()});
    case TSplitterAlign::alNone:
        break;
    }
    return nullptr;
}

QWidget* TaSplitter::FindOpposite() const {
    const QRect g = geometry();
    switch (FAlign) {
    case TSplitterAlign::alTop:
        return SiblingAt(this, {g.left(), g.top() + g.height()});
    case TSplitterAlign::alBottom:
        return SiblingAt(this, {g.left(), g.top() - 1});
    case TSplitterAlign::alLeft:
        return SiblingAt(this, {g.left() + g.width(), g.top()});
    case TSplitterAlign::alRight:
        return SiblingAt(this, {g.left() - 1, g.top()});
    case TSplitterAlign::alNone:
        break;
    }
    return nullptr;
}

// Widgets here carry no alignment of their own, so the room the control may
// take is what lies on the other side of the bar: the opposite neighbour (the
// area that fills the rest), or the free space up to the parent's edge, less
// the opposite limit.
int TaSplitter::ComputeMaxSize() const {
    const QRect g = geometry();
    const QRect client = parentWidget()->contentsRect();
    const QWidget* opposite = FindOpposite();
    int room = 0;
    int limit = 0;
    switch (FAlign) {
    case TSplitterAlign::alTop:
        room = opposite ? opposite->height() : client.bottom() + 1 - (g.bottom() + 1);
        limit = FBottomRightLimit;
        return FControl->height() + room - limit;
    case TSplitterAlign::alBottom:
        room = opposite ? opposite->height() : g.top() - client.top();
        limit = FTopLeftLimit;
        return FControl->height() + room - limit;
    case TSplitterAlign::alLeft:
        room = opposite ? opposite->width() : client.right() + 1 - (g.right() + 1);
        limit = FBottomRightLimit;
        return FControl->width() + room - limit;
    case TSplitterAlign::alRight:
        room = opposite ? opposite->width() : g.left() - client.left();
        limit = FTopLeftLimit;
        return FControl->width() + room - limit;
    case TSplitterAlign::alNone:
        break;
    }
    return 0;
}

void TaSplitter::CalcSplitSize(QPoint parentPos) {
    const bool topOrLeft = FAlign == TSplitterAlign::alTop || FAlign == TSplitterAlign::alLeft;
    FSplit = Vertical() ? parentPos.x() - FDownPos.x() : parentPos.y() - FDownPos.y();
    const int size = Vertical() ? FControl->width() : FControl->height();
    const int unclamped = topOrLeft ? size + FSplit : size - FSplit;
    // The minimum wins whenever a small parent makes the two limits cross,
    // whichever way the mouse went.
    FNewSize = std::max(FMinSize, std::min(unclamped, FMaxSize));
    if (FNewSize != unclamped)
        FSplit += topOrLeft ? FNewSize - unclamped : unclamped - FNewSize;
}

void TaSplitter::DrawLine() {
    if (!FLine) {
        // An overlay on the parent stands in for an inverted line: it sits
        // above the siblings and lets the mouse through.
        FLine = new QWidget(parentWidget());
        FLine->setObjectName(QStringLiteral("SplitterLine"));
        FLine->setAttribute(Qt::WA_TransparentForMouseEvents);
        FLine->setAutoFillBackground(true);
        QPalette pal = FLine->palette();
        pal.setBrush(QPalette::Window,
                     QBrush(palette().color(QPalette::Shadow), Qt::Dense4Pattern));
        FLine->setPalette(pal);
    }
    const QPoint offset = Vertical() ? QPoint(FSplit, 0) : QPoint(0, FSplit);
    FLine->setGeometry(geometry().translated(offset));
    FLine->raise();
    FLine->show();
}

void TaSplitter::EraseLine() {
    if (FLine)
        FLine->hide();
}

void TaSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || Dragging() || !parentWidget()) {
        QWidget::mousePressEvent(event);
        return;
    }
    QWidget* control = FindControl();
    if (!control)
        return;
    FControl = control;
    FDownPos = mapToParent(event->position().toPoint());
    FMaxSize = ComputeMaxSize();
    CalcSplitSize(FDownPos);
    // Escape must reach the bar whichever widget has the focus.
    qApp->installEventFilter(this);
    DrawLine();
}

void TaSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (!Dragging())
        return;
    CalcSplitSize(mapToParent(event->position().toPoint()));
    DrawLine();
}

void TaSplitter::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !Dragging()) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    CalcSplitSize(mapToParent(event->position().toPoint()));
    EraseLine();
    ApplySize();
    StopSizing();
}

bool TaSplitter::eventFilter(QObject* watched, QEvent* event) {
    if (Dragging() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        StopSizing();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TaSplitter::ApplySize() {
    QWidget* c = FControl;
    if (!c)
        return;
    if (parentWidget()->layout()) {
        // A layout would undo a plain resize; a fixed extent keeps it.
        if (Vertical())
            c->setFixedWidth(FNewSize);
        else
            c->setFixedHeight(FNewSize);
        return;
    }
    QRect g = c->geometry();
    QRect bar = geometry();
    switch (FAlign) {
    case TSplitterAlign::alTop:
        g.setHeight(FNewSize);
        bar.moveTop(g.bottom() + 1);
        break;
    case TSplitterAlign::alBottom:
        g.setTop(g.top() + g.height() - FNewSize);
        bar.moveBottom(g.top() - 1);
        break;
    case TSplitterAlign::alLeft:
        g.setWidth(FNewSize);
        bar.moveLeft(g.right() + 1);
        break;
    case TSplitterAlign::alRight:
        g.setLeft(g.left() + g.width() - FNewSize);
        bar.moveRight(g.left() - 1);
        break;
    case TSplitterAlign::alNone:
        return;
    }
    c->setGeometry(g);
    setGeometry(bar);
}

void TaSplitter::StopSizing() {
    EraseLine();
    FControl = nullptr;
    qApp->removeEventFilter(this);
    emit Moved();
}

} // namespace tavik
