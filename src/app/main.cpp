// Tavik: the picture catalogue. Creates the main window and the view window
// and runs the event loop; every exception that reaches the loop is shown by
// the general error report and the program goes on.
#include "mainwin/AppIdentity.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/MainForm.h"
#include "mainwin/View.h"

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

    tavik::TMainForm mainForm;
    auto* viewForm = new tavik::TViewForm(mainForm.DataFolder(), &mainForm);
    mainForm.SetViewForm(viewForm);
    mainForm.show();
    return app.exec();
}
