#include "DesktopDriver.h"

#include <QTest>
#include <X11/Xlib.h>
#include <csignal>
#include <filesystem>

namespace tavik::session {

TavikProcess::TavikProcess(const std::string& folder) {
    const std::filesystem::path program = folder + "tavik";
    // A second program started from the same folder runs the same file.
    std::error_code error;
    if (!std::filesystem::exists(program))
        std::filesystem::create_hard_link(TAVIK_PATH, program, error);
    if (error)
        std::filesystem::copy_file(TAVIK_PATH, program);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    FProcess.setProcessEnvironment(environment);
    FProcess.start(QString::fromStdString(program.string()), {});
    FProcess.waitForStarted();
}

TavikProcess::~TavikProcess() {
    if (FProcess.state() != QProcess::NotRunning) {
        FProcess.kill();
        FProcess.waitForFinished();
    }
}

WindowId TavikProcess::WaitForWindow(const QString& title, int timeoutMs) {
    WindowId found = 0;
    [[maybe_unused]] const bool shown = QTest::qWaitFor(
        [&] {
            const QString out = Xdotool({"search", "--all", "--onlyvisible", "--pid",
                                         QString::number(Pid()), "--name", title});
            found = out.split('\n', Qt::SkipEmptyParts).value(0).toULong();
            return found != 0;
        },
        timeoutMs);
    return found;
}

bool TavikProcess::WaitForNoWindow(const QString& title, int timeoutMs) {
    return QTest::qWaitFor(
        [&] {
            return Xdotool({"search", "--all", "--onlyvisible", "--pid", QString::number(Pid()),
                            "--name", title})
                .trimmed()
                .isEmpty();
        },
        timeoutMs);
}

bool TavikProcess::WaitForExit(int timeoutMs) {
    return QTest::qWaitFor([&] { return FProcess.state() == QProcess::NotRunning; }, timeoutMs);
}

void TavikProcess::Signal(int signal) const {
    ::kill(static_cast<pid_t>(FProcess.processId()), signal);
}

QString Xdotool(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.start("xdotool", arguments);
    xdotool.waitForFinished();
    return QString::fromUtf8(xdotool.readAllStandardOutput());
}

void ClickAt(WindowId window, int x, int y) {
    const QString id = QString::number(window);
    Xdotool({"windowactivate", "--sync", id});
    Xdotool({"mousemove", "--window", id, QString::number(x), QString::number(y), "click", "1"});
}

void TypeKey(WindowId window, const QString& key) {
    Xdotool({"windowactivate", "--sync", QString::number(window)});
    Xdotool({"key", "--clearmodifiers", key});
}

void SendKeyThenCloseRequest(WindowId window, unsigned long keysym) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return;
    XEvent key = {};
    key.xkey.type = KeyPress;
    key.xkey.display = display;
    key.xkey.window = window;
    key.xkey.root = DefaultRootWindow(display);
    key.xkey.time = CurrentTime;
    key.xkey.same_screen = True;
    key.xkey.keycode = XKeysymToKeycode(display, keysym);
    XSendEvent(display, window, True, KeyPressMask, &key);
    key.xkey.type = KeyRelease;
    XSendEvent(display, window, True, KeyReleaseMask, &key);

    XEvent close = {};
    close.xclient.type = ClientMessage;
    close.xclient.window = window;
    close.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    close.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &close);
    XSync(display, False);
    XCloseDisplay(display);
}

} // namespace tavik::session
