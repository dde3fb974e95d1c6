// Undo and redo of the changes to the catalogue, by the window's keys.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "graphics/TavikPicture.h"
#include "storage/Lists.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTimer>
#include <functional>
#include <random>
#include <set>

namespace tavik::testing {
namespace {

struct Entry {
    std::string name;
    std::int32_t position = 0;
    bool operator==(const Entry&) const = default;
};
struct Topic {
    std::string name;
    std::vector<Entry> pictures;
    bool operator==(const Topic&) const = default;
};
using Catalogue = std::vector<Topic>;

Catalogue Snapshot(const TTopicList& topics) {
    Catalogue catalogue;
    for (int t = 0; t < topics.Count(); ++t) {
        catalogue.push_back({topics.Topics(t).Name, {}});
        const TBmpList& bmps = topics.Topics(t).Bmps;
        for (int i = 0; i < bmps.Count(); ++i)
            catalogue.back().pictures.push_back({bmps.Bmps(i).Name, bmps.Bmps(i).Position});
    }
    return catalogue;
}

// Everything a step of the history gives back.
struct Shown {
    Catalogue catalogue;
    QStringList topics;
    QStringList images;
    int topic = -1;
    std::vector<int> marked;
    std::vector<int> selected;
    bool listChanged = false;
    bool dataChanged = false;
    bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& shown, std::ostream* os) {
    for (const Topic& topic : shown.catalogue) {
        *os << topic.name << "(";
        for (const Entry& entry : topic.pictures)
            *os << entry.name << "@" << entry.position << " ";
        *os << ") ";
    }
    *os << "lists " << shown.topics.join(",").toStdString() << " / "
        << shown.images.join(",").toStdString() << " topic " << shown.topic << " marked";
    for (int i : shown.marked)
        *os << " " << i;
    *os << " selected";
    for (int i : shown.selected)
        *os << " " << i;
    *os << " flags " << shown.listChanged << shown.dataChanged;
}

class UndoTest : public MainFormTest {
public:
    using MainFormTest::ClickButton;
    using MainFormTest::Folder;
    using MainFormTest::SelectImages;

protected:
    TMainForm& OpenActive() {
        TMainForm& form = Open();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }

    // A key pressed where the user's keys go.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        // As the window manager does when a dialog has closed.
        if (!FForm->isActiveWindow()) {
            FForm->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(FForm.get()));
        }
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : FForm.get(), key, modifiers);
    }

    Shown Now() const {
        Shown shown{Snapshot(FForm->Topics()),
                    TopicNames(),
                    ImageNames(),
                    FForm->CurrentTopic(),
                    {},
                    {},
                    FForm->ListChanged(),
                    FForm->DataChanged()};
        for (int i = 0; i < FForm->TopicList()->count(); ++i)
            if (FForm->TopicList()->IsChecked(i))
                shown.marked.push_back(i);
        for (int i = 0; i < FForm->ImageList()->Count(); ++i)
            if (FForm->ImageList()->IsSelected(i))
                shown.selected.push_back(i);
        return shown;
    }
};

struct ChangeCase {
    const char* name;
    std::function<void(UndoTest&, TMainForm&)> setUp;
    std::function<void(UndoTest&, TMainForm&)> change;
    const char* undoText;
    // The flags once the change is undone: a list file written by the change
    // no longer holds the catalogue; appended records are no longer used.
    bool listChangedAfterUndo;
    bool dataChangedAfterUndo;
};

class UndoEachChange : public UndoTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(UndoEachChange, UndoGivesBackTheStateBeforeAndRedoTheStateAfter) {
    MakeCatalog({{"A", 3}, {"B", 2}, {"C", 0}});
    TMainForm& form = OpenActive();
    const ChangeCase& row = GetParam();
    if (row.setUp)
        row.setUp(*this, form);
    const Shown before = Now();
    row.change(*this, form);
    const Shown after = Now();
    ASSERT_NE(after.catalogue, before.catalogue);
    EXPECT_EQ(form.UndoAction()->text(), row.undoText);

    Press(Qt::Key_Z, Qt::ControlModifier);
    Shown undone = before;
    undone.listChanged = row.listChangedAfterUndo;
    undone.dataChanged = row.dataChangedAfterUndo;
    EXPECT_EQ(Now(), undone);
    EXPECT_EQ(form.RedoAction()->text(), "Redo" + QString(row.undoText).mid(4));
    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Now(), after);
    Press(Qt::Key_Z, Qt::ControlModifier);
    Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Now(), after);

    // A save ends the history.
    Press(Qt::Key_F2);
    EXPECT_FALSE(form.UndoAction()->isEnabled());
    EXPECT_EQ(form.UndoAction()->text(), "Undo");
    EXPECT_FALSE(form.ListChanged() || form.DataChanged());
    EXPECT_EQ(Snapshot(*ReadCatalog()), Snapshot(form.Topics()));
}

void Confirm() {
    Answer(PressResult(1));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, UndoEachChange,
    ::testing::Values(
        ChangeCase{"InsertTopic", nullptr, [](UndoTest&, TMainForm& f) { f.AddTopic("D", true); },
                   "Undo add topic 'D'", false, false},
        ChangeCase{"RenameTopic", nullptr, [](UndoTest&, TMainForm& f) { f.RenameTopic(1, "Bee"); },
                   "Undo rename topic 'B' to 'Bee'", false, false},
        ChangeCase{"MoveTopic", [](UndoTest&, TMainForm& f) { f.SelectTopic(1); },
                   [](UndoTest&, TMainForm& f) { f.MoveTopic(1, false); }, "Undo move topic 'B'",
                   false, false},
        ChangeCase{"DeleteMarkedTopics",
                   [](UndoTest&, TMainForm& f) {
                       f.TopicList()->SetChecked(0, true);
                       f.TopicList()->SetChecked(2, true);
                   },
                   [](UndoTest&, TMainForm& f) {
                       Confirm();
                       f.DeleteTopics();
                   },
                   "Undo delete 2 topics", false, false},
        ChangeCase{"AddFiles", nullptr,
                   [](UndoTest& t, TMainForm& f) {
                       f.AddImageFiles({WriteBmpFile(t.Folder(), "n1.bmp", 5, 5),
                                        WriteBmpFile(t.Folder(), "n2.bmp", 6, 5)});
                   },
                   "Undo add 2 pictures", true, true},
        ChangeCase{"Paste",
                   [](UndoTest&, TMainForm&) {
                       QImage image(7, 5, QImage::Format_RGB32);
                       image.fill(Qt::blue);
                       QApplication::clipboard()->setImage(image);
                   },
                   [](UndoTest& t, TMainForm&) {
                       Answer(TypeText("pasted.bmp", PressResult(1)));
                       t.ClickButton("tPasteBtn");
                   },
                   "Undo paste 'pasted.bmp'", false, true},
        ChangeCase{"DeletePictures",
                   [](UndoTest& t, TMainForm&) {
                       t.SelectImages({0, 2});
                   },
                   [](UndoTest&, TMainForm& f) {
                       Confirm();
                       f.DeleteImages();
                   },
                   "Undo delete 2 pictures", false, false},
        ChangeCase{"DeleteOnePicture", [](UndoTest& t, TMainForm&) { t.SelectImages({1}); },
                   [](UndoTest&, TMainForm& f) {
                       Confirm();
                       f.DeleteImages();
                   },
                   "Undo delete 'p1.bmp'", false, false},
        ChangeCase{"RenamePicture", nullptr,
                   [](UndoTest&, TMainForm& f) { f.RenameImage(0, 1, "R&B.bmp"); },
                   "Undo rename 'p1.bmp' to 'R&&B.bmp'", false, false},
        ChangeCase{"MovePicture", [](UndoTest& t, TMainForm&) { t.SelectImages({1}); },
                   [](UndoTest&, TMainForm& f) { f.MoveImage(0, 1, false); }, "Undo move 'p1.bmp'",
                   false, false},
        ChangeCase{"MovePicturesToTopic",
                   [](UndoTest& t, TMainForm&) {
                       t.SelectImages({0, 1});
                   },
                   [](UndoTest&, TMainForm& f) {
                       Confirm();
                       f.MoveImagesToTopic(1, 0);
                   },
                   "Undo move 2 pictures to 'B'", false, false},
        ChangeCase{"Import", nullptr,
                   [](UndoTest& t, TMainForm&) {
                       // The catalogue's own folder: its topics come again.
                       Answer(ChooseFolder(t.Folder(), TickAll()));
                       t.ClickButton("ImportBtn");
                   },
                   "Undo import 3 topics", true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UndoTest, AStepThatCannotBeTakenIsReportedAndEndsTheHistory) {
    MakeCatalog({{"A", 2}});
    TMainForm& form = OpenActive();
    form.RenameImage(0, 1, "x.bmp");
    // The picture goes behind the history's back.
    form.Topics().Topics(0).DeleteBmp(1);
    auto report = Answer(PressRole(QDialogButtonBox::AcceptRole));
    Press(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return report->Answered(); }));
    EXPECT_FALSE(form.UndoAction()->isEnabled());
    EXPECT_TRUE(form.ListChanged() && form.DataChanged());
}

// The model of a random run: the catalogue a step should leave, with the
// width of each picture to know it again after a save moved its record.
struct ModelPicture {
    std::string name;
    std::int32_t position;
    int width;
};
struct ModelTopic {
    std::string name;
    std::vector<ModelPicture> pictures;
};
using Model = std::vector<ModelTopic>;

Catalogue Names(const Model& model) {
    Catalogue catalogue;
    for (const ModelTopic& topic : model) {
        catalogue.push_back({topic.name, {}});
        for (const ModelPicture& picture : topic.pictures)
            catalogue.back().pictures.push_back({picture.name, picture.position});
    }
    return catalogue;
}

int WidthAt(const std::string& dataFile, std::int32_t position) {
    TTavikPicture picture;
    picture.LoadFromCatalog(dataFile, position);
    return picture.Width();
}

class UndoRandomRun : public UndoTest {
protected:
    void SetUp() override {
        UndoTest::SetUp();
        // Every question and the paste dialog are answered OK at once.
        FConfirm.setInterval(0);
        QObject::connect(&FConfirm, &QTimer::timeout, [] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || !modal->isVisible())
                return;
            for (auto* button : modal->findChildren<QAbstractButton*>())
                if (button->property("modalResult").toInt() == 1)
                    return button->click();
        });
        FConfirm.start();
    }

    const Model& Current() const { return FStates[FIndex]; }
    void Push(Model next) {
        FStates.resize(FIndex + 1);
        FStates.push_back(std::move(next));
        ++FIndex;
    }

    // The model after a save: the history starts again, with the positions
    // the compaction gave, checked to hold the same pictures.
    void Saved() {
        Model model = Current();
        const Catalogue saved = Snapshot(FForm->Topics());
        ASSERT_EQ(saved.size(), model.size());
        FKnown.clear();
        for (size_t t = 0; t < model.size(); ++t) {
            ASSERT_EQ(saved[t].pictures.size(), model[t].pictures.size());
            for (size_t i = 0; i < model[t].pictures.size(); ++i) {
                ModelPicture& picture = model[t].pictures[i];
                picture.position = saved[t].pictures[i].position;
                ASSERT_EQ(WidthAt(DataFile(), picture.position), picture.width);
                FKnown.insert(picture.position);
            }
        }
        FStates = {model};
        FIndex = 0;
    }

    void Check() {
        TMainForm& form = *FForm;
        const Catalogue catalogue = Snapshot(form.Topics());
        ASSERT_EQ(catalogue, Names(Current()));
        QStringList topics;
        for (const Topic& topic : catalogue)
            topics << QString::fromStdString(topic.name);
        ASSERT_EQ(TopicNames(), topics);
        QStringList images;
        if (form.CurrentTopic() >= 0)
            for (const Entry& entry : catalogue[form.CurrentTopic()].pictures)
                images << QString::fromStdString(entry.name);
        ASSERT_EQ(ImageNames(), images);
        ASSERT_EQ(form.UndoAction()->isEnabled(), FIndex > 0);
        ASSERT_EQ(form.RedoAction()->isEnabled(), FIndex + 1 < FStates.size());
        // The flags never claim a saved state that is not on disk.
        if (!form.ListChanged()) {
            ASSERT_EQ(Snapshot(*ReadCatalog()), catalogue);
        }
        std::set<std::int32_t> unused = FKnown;
        for (const Topic& topic : catalogue)
            for (const Entry& entry : topic.pictures)
                unused.erase(entry.position);
        if (!unused.empty()) {
            ASSERT_TRUE(form.DataChanged());
        }
    }

    QTimer FConfirm;
    std::vector<Model> FStates;
    size_t FIndex = 0;
    std::set<std::int32_t> FKnown; // records in the data file since the last save
};

TEST_F(UndoRandomRun, EveryStepMatchesTheModelAndTheSavedCatalogueReopensTheSame) {
    MakeCatalog({{"A", 3}, {"B", 2}, {"C", 0}});
    TMainForm& form = OpenActive();
    {
        Model start;
        for (const Topic& topic : Snapshot(form.Topics())) {
            start.push_back({topic.name, {}});
            for (const Entry& entry : topic.pictures)
                start.back().pictures.push_back(
                    {entry.name, entry.position, WidthAt(DataFile(), entry.position)});
        }
        FStates = {start};
        Saved();
    }
    std::mt19937 random(20261208);
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    // A random non-empty subset of count pictures, ascending.
    const auto subset = [&](int count) {
        std::vector<int> rows;
        for (int i = 0; i < count; ++i)
            if (pick(2))
                rows.push_back(i);
        if (rows.empty())
            rows.push_back(pick(count));
        return rows;
    };
    int serial = 0;
    for (int step = 0; step < 2000; ++step) {
        SCOPED_TRACE(step);
        Model next = Current();
        const int topic = form.CurrentTopic();
        const int topics = static_cast<int>(next.size());
        const int pictures = topic >= 0 ? static_cast<int>(next[topic].pictures.size()) : 0;
        bool changed = false;
        const std::string name = std::to_string(++serial);
        switch (pick(16)) {
        case 0:
            if (topics < 6) {
                const bool insert = pick(2) && topic >= 0;
                form.AddTopic(QString::fromStdString("t" + name), insert);
                next.insert(insert ? next.begin() + topic : next.end(), {"t" + name, {}});
                changed = true;
            }
            break;
        case 1:
            if (topic >= 0) {
                form.RenameTopic(topic, QString::fromStdString("n" + name));
                next[topic].name = "n" + name;
                changed = true;
            }
            break;
        case 2: {
            const int other = topic + (pick(2) ? 1 : -1);
            form.MoveTopic(topic, other < topic);
            if (topic >= 0 && other >= 0 && other < topics) {
                std::swap(next[topic], next[other]);
                changed = true;
            }
            break;
        }
        case 3:
            if (topic >= 0 && topics > 2) {
                if (pick(2))
                    form.TopicList()->SetChecked(pick(topics), true);
                std::vector<int> marked;
                for (int i = 0; i < topics; ++i)
                    if (form.TopicList()->IsChecked(i))
                        marked.push_back(i);
                if (marked.empty())
                    marked.push_back(topic);
                form.DeleteTopics();
                for (auto i = marked.rbegin(); i != marked.rend(); ++i)
                    next.erase(next.begin() + *i);
                changed = true;
            }
            break;
        case 4:
        case 5:
            if (topic >= 0 && pictures < 8) {
                const int width = 20 + serial;
                QImage image(width, 3, QImage::Format_RGB32);
                image.fill(Qt::darkGreen);
                if (pick(8) == 0) {
                    form.AddImageFiles({WriteBmpFile(Folder(), "f.bmp", width, 3)});
                } else {
                    QApplication::clipboard()->setImage(image);
                    ClickButton("tPasteBtn");
                }
                const TBmpList& bmps = form.Topics().Topics(topic).Bmps;
                ASSERT_EQ(bmps.Count(), pictures + 1);
                const TBmp& added = bmps.Bmps(pictures);
                next[topic].pictures.push_back({added.Name, added.Position, width});
                FKnown.insert(added.Position);
                changed = true;
            }
            break;
        case 6:
            if (pictures > 0) {
                const std::vector<int> rows = subset(pictures);
                SelectImages(rows);
                form.DeleteImages();
                for (auto i = rows.rbegin(); i != rows.rend(); ++i)
                    next[topic].pictures.erase(next[topic].pictures.begin() + *i);
                changed = true;
            }
            break;
        case 7:
            if (pictures > 0) {
                const int row = pick(pictures);
                form.RenameImage(topic, row, QString::fromStdString("r" + name));
                next[topic].pictures[row].name = "r" + name;
                changed = true;
            }
            break;
        case 8:
            if (pictures > 0) {
                const int row = pick(pictures);
                const int other = row + (pick(2) ? 1 : -1);
                SelectImages({row});
                form.MoveImage(topic, row, other < row);
                if (other >= 0 && other < pictures) {
                    std::swap(next[topic].pictures[row], next[topic].pictures[other]);
                    changed = true;
                }
            }
            break;
        case 9:
            if (pictures > 0 && topics > 1) {
                const int target = (topic + 1 + pick(topics - 1)) % topics;
                const std::vector<int> rows = subset(pictures);
                SelectImages(rows);
                form.MoveImagesToTopic(target, topic);
                for (int row : rows)
                    next[target].pictures.push_back(next[topic].pictures[row]);
                for (auto i = rows.rbegin(); i != rows.rend(); ++i)
                    next[topic].pictures.erase(next[topic].pictures.begin() + *i);
                changed = true;
            }
            break;
        case 10:
            if (topics > 0)
                form.TopicList()->setCurrentRow(pick(topics));
            break;
        case 11:
        case 12:
            Press(Qt::Key_Z, Qt::ControlModifier);
            if (FIndex > 0)
                --FIndex;
            break;
        case 13:
        case 14:
            if (pick(2))
                Press(Qt::Key_Y, Qt::ControlModifier);
            else
                Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            if (FIndex + 1 < FStates.size())
                ++FIndex;
            break;
        case 15:
            if (pick(6) == 0) {
                Press(Qt::Key_F2);
                ASSERT_NO_FATAL_FAILURE(Saved());
            }
            break;
        }
        if (changed)
            Push(std::move(next));
        ASSERT_NO_FATAL_FAILURE(Check());
    }
    Close();
    Open();
    ASSERT_NO_FATAL_FAILURE(Saved());
    ASSERT_NO_FATAL_FAILURE(Check());
}

} // namespace
} // namespace tavik::testing
