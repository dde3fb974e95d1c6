#pragma once

// Answers the modal dialogs that code under test opens. Arm an answer BEFORE
// the call that blocks in the dialog's event loop:
//
//     auto answer = tavik::testing::AnswerNextModal(tavik::testing::PressResult(6));
//     int result = MessageDlgLang(...);          // returns once the answer ran
//     EXPECT_TRUE(answer->Answered());
//
// The answer waits (polling the event loop, never sleeping) for a modal widget
// other than the one active when it was armed, then acts on it. A modal that
// does not appear within the timeout leaves Answered() false and Error() set;
// an action that cannot find its button sets Error() and closes the dialog.
// An answer still waiting when the test ends is dropped.
// Buttons are any QAbstractButton children of the dialog, visible or not.
//
// To wait for anything else, use ASSERT_TRUE(QTest::qWaitFor([&] { ... })).
// The QTRY_* macros report to QtTest, not to GoogleTest: when they time out
// the test function returns early and the case still passes.

#include <QDialogButtonBox>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace tavik::testing {

// What to do with the dialog. Build one with the functions below.
using ModalAction = std::function<bool(QWidget* dialog, QString& error)>;

// Clicks the button whose text (with "&" accelerator markers removed) or
// object name equals textOrName.
ModalAction PressButton(const QString& textOrName);
// Clicks the button whose dynamic property "modalResult" equals result (the
// buttons of the program's own message dialogs carry it: 1 OK, 2 Cancel, 6 Yes,
// 7 No, ...).
ModalAction PressResult(int result);
// Clicks the button that a QDialogButtonBox of the dialog gives this role.
ModalAction PressRole(QDialogButtonBox::ButtonRole role);
// Sends a key press and release to the dialog's focus widget (Return presses
// the default button, Escape the cancel button).
ModalAction PressKey(int key);
// Closes the dialog as its close box would (QWidget::close).
ModalAction CloseWindow();
// Replaces the text of the dialog's first line edit by typing text into it
// (so its length limit applies), then runs then (for example PressResult(1)).
ModalAction TypeText(const QString& text, ModalAction then);
// Runs inspect on the dialog (to read its captions or grab it), then then.
ModalAction Inspect(std::function<void(QWidget* dialog)> inspect, ModalAction then);

class ModalAnswer;
// Arms next for the modal that this dialog opens or that follows it, then runs
// first; *after (when given) gets next's outcome.
ModalAction AndThen(ModalAction first, ModalAction next,
                    std::shared_ptr<ModalAnswer>* after = nullptr);

// The outcome of one armed answer, filled in when it runs.
class ModalAnswer {
public:
    bool Answered() const { return FAnswered; }
    QString Error() const { return FError; }
    QString DialogTitle() const { return FTitle; }

private:
    friend std::shared_ptr<ModalAnswer> AnswerNextModal(ModalAction action, int timeoutMs);
    bool FAnswered = false;
    QString FError;
    QString FTitle;
};

// Arms action for the next modal widget to appear. Returns at once.
std::shared_ptr<ModalAnswer> AnswerNextModal(ModalAction action, int timeoutMs = 5000);

} // namespace tavik::testing
