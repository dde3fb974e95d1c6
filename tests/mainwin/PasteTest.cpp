#include "mainwin/Paste.h"

#include "TransferPictures.h"
#include "mainwin/PictureImage.h"
#include "support/ModalDialogs.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using testing::AnswerNextModal;
using testing::BitmapPicture;
using testing::EmfPicture;
using testing::IconPicture;
using testing::Inspect;
using testing::PressKey;
using testing::PressResult;
using testing::TypeText;
using testing::WmfPicture;

struct ProposalCase {
    const char* name;
    TPicture (*make)();
    const char* proposed;
    const char* size;
};

class PasteProposal : public ::testing::TestWithParam<ProposalCase> {};

TEST_P(PasteProposal, NamesTheKindAndShowsTheSize) {
    TPasteForm form;
    form.SetPicture(GetParam().make());
    EXPECT_EQ(form.PictureName().toStdString(), GetParam().proposed);
    EXPECT_EQ(form.BitmapNameEdit->selectedText(), form.PictureName());
    EXPECT_EQ(form.SizeLabel->text().toStdString(), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PasteProposal,
    ::testing::Values(
        ProposalCase{"bitmap", [] { return BitmapPicture(6, 4); }, "NewImage.bmp", "6 x 4"},
        ProposalCase{"icon", [] { return IconPicture(32); }, "NewImage.ico", "32 x 32"},
        ProposalCase{"enhanced", [] { return EmfPicture(40, 20); }, "NewImage.emf", "40 x 20"},
        ProposalCase{"windows", [] { return WmfPicture(30, 10); }, "NewImage.emf", "30 x 10"},
        ProposalCase{"none", [] { return TPicture(); }, "NewImage.", "0 x 0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AskPasteName, ReturnsTheNameOnOkAndNothingOtherwise) {
    const TPicture picture = BitmapPicture();
    auto answer = AnswerNextModal(PressResult(1));
    EXPECT_EQ(AskPasteName(picture), "NewImage.bmp");
    EXPECT_TRUE(answer->Answered());

    // The name field has the focus, so typing replaces the selected proposal.
    answer = AnswerNextModal([](QWidget* dialog, QString&) {
        QTest::keyClicks(dialog->focusWidget(), "Flower.bmp");
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        return true;
    });
    EXPECT_EQ(AskPasteName(picture), "Flower.bmp");

    answer = AnswerNextModal(TypeText("", PressResult(1)));
    EXPECT_EQ(AskPasteName(picture), "");

    answer = AnswerNextModal(TypeText("kept?", PressResult(2)));
    EXPECT_EQ(AskPasteName(picture), "");

    answer = AnswerNextModal(PressKey(Qt::Key_Escape));
    EXPECT_EQ(AskPasteName(picture), "");
    EXPECT_TRUE(answer->Answered());
}

TEST(AskPasteName, DoubleClickOnThePreviewOpensTheViewWithThePicture) {
    int views = 0;
    QSize shown;
    auto showView = [&](const TPicture& picture) {
        ++views;
        shown = QSize(picture.Width(), picture.Height());
    };
    auto answer = AnswerNextModal(Inspect(
        [](QWidget* dialog) {
            auto* image = dialog->findChild<TPictureImage*>("PreviewImage");
            QTest::mouseDClick(image, Qt::LeftButton, {}, QPoint(3, 3));
        },
        PressResult(2)));
    AskPasteName(IconPicture(32), showView);
    EXPECT_EQ(views, 1);
    EXPECT_EQ(shown, QSize(32, 32));
}

TEST(PasteForm, PreviewIsCutOffAtItsFrame) {
    TPasteForm form;
    form.SetPicture(BitmapPicture(120, 90));
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.isVisible(); }));
    const QImage shot = form.grab().toImage();
    EXPECT_EQ(shot.size(), QSize(300, 148));
    // The picture is cut off at the frame: its corner colours land inside the
    // preview, and nothing of it reaches past the frame.
    const QPoint origin = form.PreviewImage->mapTo(&form, QPoint(0, 0));
    EXPECT_EQ(QColor(shot.pixel(origin)), QColor(Qt::red));
    EXPECT_NE(QColor(shot.pixel(origin + QPoint(72, 10))), QColor(Qt::red));
    shot.save(QStringLiteral("%1/paste-dialog.png").arg(QDir::tempPath()));
}

} // namespace
} // namespace tavik
