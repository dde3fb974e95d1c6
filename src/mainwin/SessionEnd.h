#pragma once

#include <QObject>
#include <vector>

class QSessionManager;
class QSocketNotifier;

namespace tavik {

class TMainForm;

// Ends the program the way closing its main window does when the system asks
// it to end: SIGTERM (the desktop session ends, kill), SIGHUP (its terminal
// went away) and SIGINT (Ctrl+C) close the main window, whose destruction
// then saves pending changes and the settings. The signal handlers only write
// the signal's number to a pipe; the event loop reads it and closes the
// window as an ordinary event, so a close during a save waits for the save.
// The session manager's request to commit data saves at once (the session may
// end without another event).
//
// The display's connection can be lost too (the X server ends, the window is
// killed from outside): the windowing system then calls exit() from inside
// the event loop, and no window is destroyed. An exit handler saves the list
// then, as far as it can be saved without the windows.
//
// One per process, made once the main window exists (a signal before that
// ends the program as usual: there is nothing to save yet). Its destruction (after
// the event loop has ended) makes the three signals ignored, so that the save
// at exit is never cut short by a second one.
class TSessionEnd : public QObject {
    Q_OBJECT
public:
    explicit TSessionEnd(TMainForm& form);
    ~TSessionEnd() override;
    TSessionEnd(const TSessionEnd&) = delete;
    TSessionEnd& operator=(const TSessionEnd&) = delete;

signals:
    // A signal was read from the pipe (before the window is closed).
    void SignalReceived(int signal);

private:
    void ReadSignals();
    void CommitData(QSessionManager& manager);

    TMainForm& FForm;
    QSocketNotifier* FNotifier = nullptr;
    int FPipe[2] = {-1, -1};
    // The signals whose handler this object installed (a signal the program
    // was started with ignored, as nohup does, stays ignored).
    std::vector<int> FHandled;
};

} // namespace tavik
