// Pictures dragged out of the image list into another program with the
// mouse (xdotool), the other program printing what it received.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "graphics/TavikPicture.h"
#include "storage/Lists.h"

#include <QDrag>
#include <QFileInfo>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <functional>

namespace tavik::testing {
namespace {

// Moves the mouse with xdotool in steps, each taken once its condition holds
// (X merges motions sent together, and the drag runs its own event loop).
class MouseScript : public QObject {
public:
    struct Step {
        std::function<bool()> ready;
        QStringList xdotool;
    };

    explicit MouseScript(std::vector<Step> steps) : FSteps(std::move(steps)) {
        connect(&FPoll, &QTimer::timeout, this, &MouseScript::Next);
        FPoll.start(20);
    }

private:
    void Next() {
        if (FDone == FSteps.size() || FTool.state() != QProcess::NotRunning ||
            !FSteps[FDone].ready())
            return;
        FTool.start("xdotool", FSteps[FDone++].xdotool);
    }

    std::vector<Step> FSteps;
    std::size_t FDone = 0;
    QProcess FTool;
    QTimer FPoll;
};

// Sees the list's mouse moves with the button down.
class DragMoveSeen : public QObject {
public:
    bool seen = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove &&
            (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton))
            seen = true;
        return false;
    }
};

QStringList MoveTo(QPoint point) {
    return {"mousemove", QString::number(point.x()), QString::number(point.y())};
}

class X11Drag : public MainFormTest {};

TEST_F(X11Drag, AnotherProgramGetsThePictureFileAndItsPng) {
    MakeCatalog({{"A", 2}});
    Open();
    FForm->move(0, 0);
    SelectImages({1});

    QProcess target;
    QByteArray said;
    QObject::connect(&target, &QProcess::readyReadStandardOutput,
                     [&] { said += target.readAllStandardOutput(); });
    target.start(QStringLiteral(TAVIK_DROP_TARGET), {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return said.contains("ready\n"); }, 10000));

    TBmpListView* list = FForm->ImageList();
    DragMoveSeen moved;
    list->viewport()->installEventFilter(&moved);
    const QPoint from =
        list->viewport()->mapToGlobal(list->visualRect(list->model()->index(1, 0)).center());
    const QPoint to(1100, 800);
    MouseScript script({
        {[] { return true; },
         MoveTo(from) + QStringList{"mousedown", "1"} + MoveTo(from + QPoint(20, 20))},
        {[&] { return moved.seen; }, MoveTo(to)},
        {[&] { return list->findChild<QDrag*>() != nullptr; }, MoveTo(to + QPoint(5, 5))},
        {[&] { return said.contains("over\n"); }, {"mouseup", "1"}},
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return target.state() == QProcess::NotRunning; }, 20000))
        << said.toStdString();

    const QStringList lines = QString::fromLocal8Bit(said).split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains("text/uri-list")) << said.toStdString();
    EXPECT_TRUE(lines.contains("image/bmp"));
    EXPECT_TRUE(lines.contains("png 9x7"));
    const QString file = lines.filter(QRegularExpression("^file ")).value(0);
    ASSERT_FALSE(file.isEmpty()) << said.toStdString();
    const QString path = file.section(' ', 1, 1);
    EXPECT_EQ(QFileInfo(path).fileName(), "p1.bmp");
    TTavikPicture stored;
    stored.LoadFromCatalog(DataFile(), FForm->Topics().Topics(0).Bmps.Bmps(1).Position);
    EXPECT_EQ(file.section(' ', 2, 2).toLongLong(),
              static_cast<qint64>(stored.Graphic()->Stream().size()));
    // The topic keeps its pictures: the drag moved nothing.
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p1.bmp"}));
}

} // namespace
} // namespace tavik::testing
