#include "mainwin/Progress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <algorithm>

namespace tavik {

namespace {
// The bar's own range is 16 bits wide.
constexpr long long kBarRange = 65535;

// Progress windows shown now, and what waits for them all to go.
int gShownCount = 0;
std::vector<std::pair<QPointer<QObject>, std::function<void()>>> gWaitingForNone;

void RunWaitingActions() {
    auto waiting = std::move(gWaitingForNone);
    gWaitingForNone.clear();
    for (auto& [context, action] : waiting)
        if (context)
            QMetaObject::invokeMethod(context, std::move(action), Qt::QueuedConnection);
}
} // namespace

TProgressForm::TProgressForm()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Caption"));
    setFixedSize(221, 69);

    TextLabel = new QLabel(QStringLiteral("TextLabel"), this);
    TextLabel->setObjectName(QStringLiteral("TextLabel"));
    TextLabel->move(4, 14);
    TextLabel->adjustSize();

    Bar = new QProgressBar(this);
    Bar->setObjectName(QStringLiteral("Bar"));
    Bar->setGeometry(4, 30, 213, 16);
    Bar->setRange(0, 100);
    Bar->setValue(0);
    Bar->setTextVisible(false);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - rect().center());
    }
}

void TProgressForm::reject() {
    // Escape does not end the operation.
}

void TProgressForm::closeEvent(QCloseEvent* event) {
    event->ignore();
}

TProgressManager::TProgressManager(const QString& caption, long long max, long long min,
                                   const QString& text)
    : FForm(std::make_unique<TProgressForm>()), FMin(min), FMax(max), FPosition(min) {
    FForm->setWindowTitle(caption);
    FForm->TextLabel->setText(text);
    FForm->TextLabel->adjustSize();
    UpdateBar();
}

TProgressManager::~TProgressManager() {
    FForm->hide();
    if (FShown && --gShownCount == 0)
        RunWaitingActions();
    for (const QPointer<QWidget>& window : FDisabledWindows)
        if (window)
            window->setEnabled(true);
    FDisabledWindows.clear();
    if (FActiveWindow) {
        FActiveWindow->raise();
        FActiveWindow->activateWindow();
    }
}

void TProgressManager::Show() {
    FActiveWindow = QApplication::activeWindow();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        // Windows that were disabled already stay so afterwards.
        if (window == FForm.get() || !window->isVisible() || !window->isEnabled())
            continue;
        window->setEnabled(false);
        FDisabledWindows.emplace_back(window);
    }
    FForm->show();
    if (!FShown) {
        FShown = true;
        ++gShownCount;
    }
}

bool TProgressManager::AnyShown() {
    return gShownCount > 0;
}

void TProgressManager::WhenNoneShown(QObject* context, std::function<void()> action) {
    gWaitingForNone.emplace_back(context, std::move(action));
    if (gShownCount == 0)
        RunWaitingActions();
}

void TProgressManager::Step() {
    ++FPosition;
    UpdateBar();
}

void TProgressManager::SetDone(long long done) {
    FPosition = FMin + done;
    UpdateBar();
}

void TProgressManager::UpdateBar() {
    const long long span = FMax - FMin;
    const long long done = std::clamp(FPosition - FMin, 0LL, std::max(span, 0LL));
    if (span <= 0) {
        // A bar of range 0..0 would show the busy animation, not an empty bar.
        FForm->Bar->setRange(0, 1);
        FForm->Bar->setValue(0);
    } else if (span <= kBarRange) {
        FForm->Bar->setRange(0, static_cast<int>(span));
        FForm->Bar->setValue(static_cast<int>(done));
    } else {
        FForm->Bar->setRange(0, static_cast<int>(kBarRange));
        FForm->Bar->setValue(static_cast<int>(done * kBarRange / span));
    }
}

} // namespace tavik
