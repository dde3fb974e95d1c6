#include "mainwin/AppIdentity.h"

#include <QApplication>
#include <QIcon>

namespace tavik {

void SetApplicationIdentity() {
    QApplication::setApplicationName(QStringLiteral("Tavik"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tavik-48.png")));
}

} // namespace tavik
