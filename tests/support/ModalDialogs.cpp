#include "support/ModalDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

namespace tavik::testing {

namespace {

QString StripAccelerator(QString text) {
    // "&&" is a literal ampersand; a single "&" only marks the accelerator.
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

bool ClickFirst(QWidget* dialog, QString& error, const QString& what,
                const std::function<bool(QAbstractButton*)>& match) {
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (match(button)) {
            button->click();
            return true;
        }
    }
    error = QStringLiteral("no button %1 in dialog '%2'").arg(what, dialog->windowTitle());
    return false;
}

// Answers still waiting; dropped when a test ends so that a dialog that never
// came cannot be answered in a later test.
std::vector<QPointer<QTimer>>& PendingAnswers() {
    static std::vector<QPointer<QTimer>> pending;
    return pending;
}

class DropPendingAnswers : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        for (const QPointer<QTimer>& timer : PendingAnswers())
            delete timer.data();
        PendingAnswers().clear();
    }
};

[[maybe_unused]] const bool gListenerInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new DropPendingAnswers);
    return true;
}();

} // namespace

ModalAction PressButton(const QString& textOrName) {
    return [textOrName](QWidget* dialog, QString& error) {
        return ClickFirst(dialog, error, textOrName, [&](QAbstractButton* b) {
            return StripAccelerator(b->text()) == textOrName || b->objectName() == textOrName;
        });
    };
}

ModalAction PressResult(int result) {
    return [result](QWidget* dialog, QString& error) {
        return ClickFirst(dialog, error, QStringLiteral("with result %1").arg(result),
                          [&](QAbstractButton* b) {
                              const QVariant value = b->property("modalResult");
                              return value.isValid() && value.toInt() == result;
                          });
    };
}

ModalAction PressRole(QDialogButtonBox::ButtonRole role) {
    return [role](QWidget* dialog, QString& error) {
        for (QDialogButtonBox* box : dialog->findChildren<QDialogButtonBox*>()) {
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == role) {
                    button->click();
                    return true;
                }
            }
        }
        error = QStringLiteral("no button of role %1 in dialog '%2'")
                    .arg(int(role))
                    .arg(dialog->windowTitle());
        return false;
    };
}

ModalAction PressKey(int key) {
    return [key](QWidget* dialog, QString&) {
        QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        QTest::keyClick(target, Qt::Key(key));
        return true;
    };
}

ModalAction CloseWindow() {
    return [](QWidget* dialog, QString&) {
        dialog->close();
        return true;
    };
}

ModalAction TypeText(const QString& text, ModalAction then) {
    return [text, then](QWidget* dialog, QString& error) {
        auto* edit = dialog->findChild<QLineEdit*>();
        if (!edit) {
            error = QStringLiteral("no line edit in dialog '%1'").arg(dialog->windowTitle());
            return false;
        }
        edit->setFocus();
        edit->selectAll();
        edit->del();
        for (const QChar c : text) {
            // QTest maps only ASCII to key codes; other characters go in as text.
            if (c.unicode() < 128)
                QTest::keyClick(edit, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        }
        return then(dialog, error);
    };
}

ModalAction Inspect(std::function<void(QWidget* dialog)> inspect, ModalAction then) {
    return [inspect, then](QWidget* dialog, QString& error) {
        inspect(dialog);
        return then(dialog, error);
    };
}

ModalAction AndThen(ModalAction first, ModalAction next, std::shared_ptr<ModalAnswer>* after) {
    return [first, next, after](QWidget* dialog, QString& error) {
        auto answer = AnswerNextModal(next);
        if (after)
            *after = answer;
        return first(dialog, error);
    };
}

std::shared_ptr<ModalAnswer> AnswerNextModal(ModalAction action, int timeoutMs) {
    auto answer = std::make_shared<ModalAnswer>();
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [=]() {
        QWidget* modal = QApplication::activeModalWidget();
        // A dialog that is up but not yet shown cannot take key events.
        if (modal && modal != before && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            answer->FTitle = modal->windowTitle();
            answer->FAnswered = action(modal, answer->FError);
            // A dialog left open would block the test for good.
            if (!answer->FAnswered)
                modal->close();
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            answer->FError = QStringLiteral("no modal dialog appeared within %1 ms").arg(timeoutMs);
        }
    });
    timer->start();
    PendingAnswers().emplace_back(timer);
    return answer;
}

} // namespace tavik::testing
