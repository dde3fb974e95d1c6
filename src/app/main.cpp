// Tavik: the picture catalogue. Takes the lock of the catalogue beside the
// program, creates the main window and the view window and runs the event
// loop until the main window closes; every exception that reaches the loop is
// shown by the general error report and the program goes on.
#include "mainwin/AppIdentity.h"
#include "mainwin/CatalogInUse.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/MainForm.h"
#include "mainwin/SessionEnd.h"
#include "mainwin/View.h"
#include "storage/CatalogLock.h"
#include "storage/DataFolder.h"

#include <QApplication>

namespace {

class TApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            tavik::ReportException(error);
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    tavik::SetApplicationIdentity();

    // Held until the program ends: one program at a time changes a catalogue.
    // A file system without locks leaves the program as it was before locks.
    const std::string folder =
        tavik::DataFolderOf(QCoreApplication::applicationFilePath().toStdString());
    const tavik::TCatalogLock lock(folder);
    if (lock.LockState() == tavik::TCatalogLock::State::HeldElsewhere) {
        tavik::ReportCatalogInUse(folder);
        return 1;
    }

    tavik::TMainForm mainForm;
    auto* viewForm = new tavik::TViewForm(mainForm.DataFolder(), &mainForm);
    mainForm.SetViewForm(viewForm);
    // The program ends when its main window has closed, whatever other window
    // is still open; the main window's destruction then saves.
    QObject::connect(
        &mainForm, &tavik::TMainForm::Closed, &app, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    const tavik::TSessionEnd sessionEnd(mainForm);
    mainForm.show();
    return app.exec();
}
