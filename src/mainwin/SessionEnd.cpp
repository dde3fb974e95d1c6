#include "mainwin/SessionEnd.h"

#include "mainwin/MainForm.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

namespace tavik {
namespace {

// The write end of the pipe of the one TSessionEnd; read by the handler.
volatile std::sig_atomic_t gSignalPipe = -1;

extern "C" void WriteSignalToPipe(int signal) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a request to end: nothing is lost.
    [[maybe_unused]] const ssize_t written = ::write(gSignalPipe, &byte, 1);
    errno = savedErrno;
}

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The main window while a TSessionEnd watches it, for the exit handler.
TMainForm* gWatchedForm = nullptr;

extern "C" void SaveListOnUnforeseenExit() {
    if (gWatchedForm != nullptr)
        gWatchedForm->SaveListAtExit();
}

} // namespace

TSessionEnd::TSessionEnd(TMainForm& form) : FForm(form) {
    // An ordinary end destroys this object first: the window's destruction
    // then saves, and the handler finds nothing to do.
    static const bool exitHandled = std::atexit(SaveListOnUnforeseenExit) == 0;
    if (exitHandled)
        gWatchedForm = &form;
    if (::pipe2(FPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        // Without a pipe the signals keep their usual effect.
        FPipe[0] = FPipe[1] = -1;
        return;
    }
    gSignalPipe = FPipe[1];
    FNotifier = new QSocketNotifier(FPipe[0], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TSessionEnd::ReadSignals);

    struct sigaction action = {};
    action.sa_handler = WriteSignalToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kEndSignals) {
        struct sigaction previous = {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        if (::sigaction(signal, &action, nullptr) == 0)
            FHandled.push_back(signal);
    }

#if QT_CONFIG(sessionmanager)
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(app, &QGuiApplication::commitDataRequest, this, &TSessionEnd::CommitData);
#endif
}

TSessionEnd::~TSessionEnd() {
    gWatchedForm = nullptr;
    for (const int signal : FHandled)
        std::signal(signal, SIG_IGN);
    gSignalPipe = -1;
    delete FNotifier;
    for (const int fd : FPipe)
        if (fd >= 0)
            ::close(fd);
}

void TSessionEnd::ReadSignals() {
    unsigned char bytes[16];
    bool received = false;
    for (ssize_t n; (n = ::read(FPipe[0], bytes, sizeof bytes)) > 0;) {
        for (ssize_t i = 0; i < n; ++i)
            emit SignalReceived(bytes[i]);
        received = true;
    }
    if (received)
        FForm.close();
}

void TSessionEnd::CommitData([[maybe_unused]] QSessionManager& manager) {
    FForm.CommitData();
}

} // namespace tavik
