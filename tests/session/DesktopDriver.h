#pragma once
// Drives the real Tavik program on the X server the tests run on: starts it
// from a catalogue folder of its own, finds its windows, and sends it input
// the way a user or a window manager does.
#include <QProcess>
#include <QString>
#include <string>

namespace tavik::session {

using WindowId = unsigned long;

// Tavik started from folder (ending in "/"): the program file is linked into
// the folder, since the catalogue lives beside the program. Killed when the
// object goes if it still runs.
class TavikProcess {
public:
    explicit TavikProcess(const std::string& folder);
    ~TavikProcess();

    qint64 Pid() const { return FProcess.processId(); }
    // A visible window of this process whose title matches the regular
    // expression; 0 when none shows within the timeout.
    WindowId WaitForWindow(const QString& title, int timeoutMs = 20000);
    // Waits until no visible window of this process matches.
    bool WaitForNoWindow(const QString& title, int timeoutMs = 20000);
    // Waits (processing this process's events) for the program to end.
    bool WaitForExit(int timeoutMs = 30000);
    int ExitCode() const { return FProcess.exitCode(); }
    bool Crashed() const { return FProcess.exitStatus() == QProcess::CrashExit; }
    QString ErrorOutput() { return QString::fromUtf8(FProcess.readAllStandardError()); }
    void Signal(int signal) const;

private:
    QProcess FProcess;
};

// Runs xdotool with the arguments; returns what it printed.
QString Xdotool(const QStringList& arguments);
// Activates the window and clicks at a point of it (real input, XTEST).
void ClickAt(WindowId window, int x, int y);
// Activates the window and types a key by its X name ("Return", "Delete").
void TypeKey(WindowId window, const QString& key);
// Sends window a key press and release (keysym, as X names it: XK_F2) and
// then the window manager's close request, in this order and both delivered
// to the window's program before returning.
void SendKeyThenCloseRequest(WindowId window, unsigned long keysym);

} // namespace tavik::session
