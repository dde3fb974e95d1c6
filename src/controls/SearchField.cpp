#include "controls/SearchField.h"

#include <QKeyEvent>

namespace tavik {

TSearchField::TSearchField(QWidget* parent) : QLineEdit(parent) {
    setClearButtonEnabled(true);
}

void TSearchField::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit Accepted();
        return;
    case Qt::Key_Escape:
        emit Cancelled();
        return;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        emit Leaving();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

} // namespace tavik
