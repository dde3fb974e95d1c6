#include "mainwin/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

namespace tavik {
namespace {

int gRunningCommands = 0;
QStringList gPending;
bool gPosted = false;

void ShowMessage(const QString& message) {
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(), message,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName("ErrorReport");
    box.exec();
}

void ShowPending() {
    gPosted = false;
    // A report shown now may be followed by errors of commands run while its
    // box is open; those are kept for a report of their own.
    const QStringList messages = std::exchange(gPending, {});
    for (const QString& message : messages)
        ShowMessage(message);
}

void PostPending() {
    if (gRunningCommands > 0 || gPending.isEmpty() || gPosted || !qApp)
        return;
    gPosted = true;
    QMetaObject::invokeMethod(qApp, &ShowPending, Qt::QueuedConnection);
}

} // namespace

void ReportException(const std::exception& error) {
    ShowMessage(QString::fromUtf8(error.what()));
}

void DeferReport(const std::exception& error) {
    const QString message = QString::fromUtf8(error.what());
    if (!gPending.contains(message))
        gPending << message;
    PostPending();
}

QStringList PendingReports() {
    return gPending;
}

bool CommandRunning() {
    return gRunningCommands > 0;
}

TCommandScope::TCommandScope() {
    ++gRunningCommands;
}

TCommandScope::~TCommandScope() {
    --gRunningCommands;
    PostPending();
}

} // namespace tavik
