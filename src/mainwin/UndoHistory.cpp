#include "mainwin/UndoHistory.h"

#include "controls/BmpLV.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/MainForm.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/Lists.h"

#include <QAction>
#include <algorithm>

namespace tavik {
namespace {

// The topic whose pictures the image list holds, -1 when it holds none.
int ListedTopic(TMainForm& form) {
    const int topic = form.CurrentTopic();
    if (topic < 0 || topic != form.ShownTopic() || topic >= form.Topics().Count())
        return -1;
    return form.ImageList()->Count() == form.Topics().Topics(topic).Bmps.Count() ? topic : -1;
}

} // namespace

TCatalogCommand::TCatalogCommand(TMainForm& form, TViewState before, const QString& text,
                                 int freedRecords)
    : QUndoCommand(text), Form(form), FBefore(std::move(before)), FFreedRecords(freedRecords) {}

void TCatalogCommand::Recorded() {
    FAfter = Form.CaptureView();
    // Results left with none selected (the deleted ones) still belong where
    // the change was made.
    if (FAfter.homeTopic == -1)
        FAfter.homeTopic = FBefore.homeTopic;
    NoteResult();
}

void TCatalogCommand::redo() {
    if (FRecording) {
        // Records appended for an addition were in use from the start.
        FRecording = false;
        Form.History().AddFreedRecords(std::max(FFreedRecords, 0));
        return;
    }
    Step(true);
}

void TCatalogCommand::undo() {
    Step(false);
}

void TCatalogCommand::Step(bool forward) {
    // The stack is Qt's: nothing may be thrown through it.
    try {
        const int listed = ListedTopic(Form);
        const int kept = forward ? Apply(listed) : Revert(listed);
        Form.History().AddFreedRecords(forward ? FFreedRecords : -FFreedRecords);
        const TViewState& view = forward ? FAfter : FBefore;
        Form.ShowView(view, kept >= 0 && kept == view.topic);
    } catch (const std::exception& error) {
        DeferReport(error);
        Form.History().StepFailed();
    }
}

TCatalogHistory::TCatalogHistory(TMainForm& form) : FForm(form) {
    FUndoAction = new QAction(&form);
    FUndoAction->setObjectName("UndoAction");
    FUndoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    FRedoAction = new QAction(&form);
    FRedoAction->setObjectName("RedoAction");
    FRedoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    form.addAction(FUndoAction);
    form.addAction(FRedoAction);
    connect(FUndoAction, &QAction::triggered, this, [this] { RunCommand([this] { Undo(); }); });
    connect(FRedoAction, &QAction::triggered, this, [this] { RunCommand([this] { Redo(); }); });
    UpdateActions();
}

void TCatalogHistory::Record(std::unique_ptr<TCatalogCommand> command) {
    command->Recorded();
    FStack.push(command.release());
    AfterStep();
}

void TCatalogHistory::Clear() {
    FDataChangedAtStart = FForm.DataChanged();
    FFreedRecords = 0;
    const bool listChanged = FForm.ListChanged();
    FStack.clear();
    // The list file does not hold the state the history starts from.
    if (listChanged)
        FStack.resetClean();
    UpdateActions();
    SyncFlags();
}

void TCatalogHistory::MarkListSaved() {
    FStack.setClean();
}

void TCatalogHistory::Undo() {
    if (!FStack.canUndo())
        return;
    FStack.undo();
    AfterStep();
}

void TCatalogHistory::Redo() {
    if (!FStack.canRedo())
        return;
    FStack.redo();
    AfterStep();
}

void TCatalogHistory::AfterStep() {
    if (FBroken) {
        // What is on screen is the catalogue as the failed step left it; the
        // next save writes all of it and compacts.
        FBroken = false;
        FForm.SetListChanged(true);
        FForm.SetDataChanged(true);
        Clear();
        return;
    }
    UpdateActions();
    SyncFlags();
}

void TCatalogHistory::UpdateActions() {
    // A menu would take an "&" of a name for the mark of a shortcut letter.
    const auto named = [](int text, QString change) {
        return FormatText(LoadText(text), {change.replace(QLatin1Char('&'), QStringLiteral("&&"))});
    };
    FUndoAction->setEnabled(FStack.canUndo());
    FUndoAction->setText(FStack.canUndo() ? named(kTextUndoNamed, FStack.undoText())
                                          : LoadText(kTextUndo));
    FRedoAction->setEnabled(FStack.canRedo());
    FRedoAction->setText(FStack.canRedo() ? named(kTextRedoNamed, FStack.redoText())
                                          : LoadText(kTextRedo));
}

void TCatalogHistory::SyncFlags() {
    FForm.SetListChanged(!FStack.isClean());
    FForm.SetDataChanged(FDataChangedAtStart || FFreedRecords > 0);
}

} // namespace tavik
