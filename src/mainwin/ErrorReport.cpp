#include "mainwin/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>

namespace tavik {

void ReportException(const std::exception& error) {
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
                    QString::fromUtf8(error.what()), QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName("ErrorReport");
    box.exec();
}

} // namespace tavik
