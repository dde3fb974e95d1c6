#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/explbtn.h"
#include "graphics/TavikPicture.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/Texts.h"
#include "mainwin/ThumbnailLoader.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"
#include "support/IcoBuilder.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

namespace tavik::testing {

QString WriteBmpFile(const QString& dir, const QString& name, int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir + "/" + name;
    EXPECT_TRUE(image.save(path, "BMP"));
    return path;
}

QString WriteIcoFile(const QString& dir, const QString& name, int size, QColor colour) {
    const std::vector<std::uint8_t> file = test::MakeIco(
        {{.size = size, .bitCount = 32, .color = colour.rgb(), .hole = test::IconHole::None}});
    const QString path = dir + "/" + name;
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<qint64>(file.size()));
    return path;
}

QString MessageOf(QWidget* dialog) {
    auto* label = dialog->findChild<QLabel*>("Message");
    return label ? label->text() : QString();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

std::shared_ptr<ModalAnswer> Answer(ModalAction action) {
    return AnswerNextModal(std::move(action), 5000);
}

ModalAction ChooseFolder(const QString& folder, ModalAction next) {
    return [=](QWidget* widget, QString& error) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        auto* edit = dialog ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
        if (edit == nullptr) {
            error = "no folder dialog";
            return false;
        }
        std::shared_ptr<ModalAnswer> after;
        if (next) {
            after = AnswerNextModal(next);
        }
        dialog->setDirectory(QFileInfo(folder).path());
        edit->setText(QFileInfo(folder).fileName());
        static_cast<QDialog*>(dialog)->accept();
        return true;
    };
}

ModalAction TickAll() {
    return Inspect(
        [](QWidget* dialog) {
            if (auto* all = dialog->findChild<QPushButton*>("SelectAllBtn")) {
                all->click();
            }
        },
        PressResult(1));
}

void MainFormTest::SetUp() {
    ASSERT_TRUE(FDir.isValid());
    SetLanguageBase(kEnglishBase);
}

void MainFormTest::TearDown() {
    Close();
    SetLanguageBase(kEnglishBase);
    // A report left over would open in a later test, where nothing answers it.
    if (!PendingReports().isEmpty()) {
        ADD_FAILURE() << "unanswered error report: " << PendingReports().join("; ").toStdString();
        auto report = Answer(PressRole(QDialogButtonBox::AcceptRole));
        EXPECT_TRUE(QTest::qWaitFor([&] { return report->Answered(); }));
    }
}

void MainFormTest::MakeCatalog(const std::vector<TopicSpec>& topics) {
    const std::string folder = Folder().toStdString() + "/";
    CreateDataFile(DataFileName(folder));
    TTopicList list;
    TTavikPicture picture;
    QTemporaryDir files;
    for (const TopicSpec& wanted : topics) {
        TTopic& topic = list.AddTopic(wanted.name);
        for (int i = 0; i < wanted.pictures; ++i) {
            const QString name = QStringLiteral("p%1.bmp").arg(i);
            picture.LoadFromFile(
                WriteBmpFile(files.path(), name, 8 + i, 6 + i, QColor(20 * i % 255, 100, 150))
                    .toStdString());
            topic.AddBmp(name.toStdString(), picture.AppendToCatalog(DataFileName(folder)));
        }
    }
    SaveListFile(ListFileName(folder), list);
}

void MainFormTest::WriteSettings(const QString& text) {
    QFile file(FilePath("tavik.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

std::unique_ptr<TTopicList> MainFormTest::ReadCatalog() const {
    auto list = std::make_unique<TTopicList>();
    LoadListFile(FilePath("tavik.lst").toStdString(), *list);
    return list;
}

TMainForm& MainFormTest::Open() {
    FForm = std::make_unique<TMainForm>(FilePath("tavik"));
    // Buttons only click while visible.
    FForm->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(FForm.get()));
    return *FForm;
}

void MainFormTest::WaitForFill() {
    if (FForm->Thumbnails().Running()) {
        QSignalSpy finished(&FForm->Thumbnails(), &TThumbnailLoader::Finished);
        ASSERT_TRUE(finished.wait(60000));
    }
    // Whatever a cancelled run's workers still made has arrived too.
    FForm->Thumbnails().WaitForWorkers();
    QCoreApplication::sendPostedEvents();
}

void MainFormTest::Close() {
    FForm.reset();
}

void MainFormTest::ClickButton(const char* name) {
    auto* button = Child<TOfficeButton>(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
}

QStringList MainFormTest::TopicNames() const {
    QStringList names;
    const TMarkListBox* list = FForm->TopicList();
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

QStringList MainFormTest::ImageNames() const {
    QStringList names;
    const TBmpListView* list = FForm->ImageList();
    for (int i = 0; i < list->Count(); ++i)
        names << list->Caption(i);
    return names;
}

void MainFormTest::SelectImages(const std::vector<int>& rows) {
    TBmpListView* list = FForm->ImageList();
    list->ClearSelection();
    for (int row : rows)
        list->SetSelected(row, true);
    if (!rows.empty())
        list->SetFocusedIndex(rows.front());
}

} // namespace tavik::testing
