#pragma once
#include <QStringList>
#include <exception>
#include <stdexcept>

namespace tavik {

// The general error report: a modal message box with the application title
// and the exception's message. Used by the application's event loop and by
// the start-up and shutdown of the main window, which must go on after it.
void ReportException(const std::exception& error);

// No exception may leave a Qt signal, slot or event handler: Qt's own frames
// are not unwound, and a model stopped between its begin and end signals
// stays broken. A command started by the user runs inside RunCommand, which
// keeps what the command throws; an error a command meets and goes on from
// (a damaged picture shown as a placeholder) is kept with DeferReport. Kept
// messages are shown from the event loop once the outermost running command
// has returned, each message once, so a message box never opens in the
// middle of a command.
void DeferReport(const std::exception& error);

// The messages kept and not shown yet, oldest first.
QStringList PendingReports();

// Marks a command as running: reports kept meanwhile wait for its end.
// Scopes nest; the outermost one posts the report.
class TCommandScope {
public:
    TCommandScope();
    ~TCommandScope();
    TCommandScope(const TCommandScope&) = delete;
    TCommandScope& operator=(const TCommandScope&) = delete;
};

// Whether a command is running (its scope not yet left).
bool CommandRunning();

// Runs command inside a command scope. Returns false when it threw; the
// error is then kept for the report.
template <class Command> bool RunCommand(Command&& command) noexcept {
    const TCommandScope scope;
    try {
        command();
        return true;
    } catch (const std::exception& error) {
        DeferReport(error);
    } catch (...) {
        DeferReport(std::runtime_error("Unexpected error"));
    }
    return false;
}

} // namespace tavik
