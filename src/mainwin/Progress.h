#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QProgressBar;

namespace tavik {

// The small progress dialog of the long catalogue operations: a text and a
// bar, no buttons. Requests to close it (close box, Alt+F4, Escape) are
// ignored; only its TProgressManager removes it.
class TProgressForm : public QDialog {
    Q_OBJECT
public:
    TProgressForm();

    QProgressBar* Bar = nullptr;
    QLabel* TextLabel = nullptr;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
};

// Owns a TProgressForm for one operation. While shown, every other visible,
// enabled top-level window of the program is disabled; destroying the manager
// (also while unwinding from a failure) enables them again and gives the focus
// back to the window that was active before.
//
// The bar counts from min to max, one step at a time. Steps past max leave it
// full; a range of 0 shows an empty bar. Ranges wider than 65535 are scaled
// onto 0..65535.
class TProgressManager {
public:
    TProgressManager(const QString& caption, long long max, long long min, const QString& text);
    ~TProgressManager();
    TProgressManager(const TProgressManager&) = delete;
    TProgressManager& operator=(const TProgressManager&) = delete;

    void Show();
    void Step();
    // Moves the bar to min + done, for work that reports now and then how
    // far it has come rather than every step.
    void SetDone(long long done);

    // True while a progress window is shown: a long catalogue operation runs,
    // and nothing may end the program or close its main window under it.
    static bool AnyShown();
    // Runs action through context's event queue once no progress window is
    // shown any more (at once when none is); dropped if context goes first.
    static void WhenNoneShown(QObject* context, std::function<void()> action);

    TProgressForm* Form() const { return FForm.get(); }
    long long Position() const { return FPosition; }

private:
    void UpdateBar();

    std::unique_ptr<TProgressForm> FForm;
    QPointer<QWidget> FActiveWindow;
    std::vector<QPointer<QWidget>> FDisabledWindows;
    long long FMin = 0;
    long long FMax = 0;
    long long FPosition = 0;
    bool FShown = false;
};

} // namespace tavik
