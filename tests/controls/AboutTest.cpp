#include "controls/About.h"

#include "controls/GFill.h"
#include "controls/UrlLabel.h"
#include "support/ModalDialogs.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using testing::AnswerNextModal;
using testing::Inspect;
using testing::PressButton;
using testing::PressKey;

struct Shown {
    QString version, topics, images, topicCount, imageCount;
    QSize client;
};

testing::ModalAction Record(Shown& shown, testing::ModalAction then) {
    return Inspect(
        [&shown](QWidget* dialog) {
            auto* box = qobject_cast<TAboutBox*>(dialog);
            ASSERT_NE(box, nullptr);
            shown = {box->VersionLabel->text(),    box->TopicsLabel->text(),
                     box->BitmapsLabel->text(),    box->TopicsNumLabel->text(),
                     box->BitmapsNumLabel->text(), box->size()};
        },
        std::move(then));
}

TEST(AboutBoxTest, ShowsVersionAndCountsInTheCallersLanguage) {
    // The Portuguese texts, as the program's lookup gives them.
    TAboutBox box(nullptr, [](int offset) {
        switch (offset) {
        case 32:
            return QString::fromUtf8("Tópicos:");
        case 33:
            return QString("Imagens:");
        case 65:
            return QString::fromUtf8("Versão %s");
        }
        return QString();
    });
    box.SetCounts(12, 3456);
    Shown shown;
    auto answer = AnswerNextModal(Record(shown, PressButton("OK")));
    EXPECT_EQ(box.exec(), 1);
    ASSERT_TRUE(answer->Answered()) << answer->Error().toStdString();
    EXPECT_EQ(shown.version, QString::fromUtf8("Versão 2.5"));
    EXPECT_EQ(shown.topics, QString::fromUtf8("Tópicos:"));
    EXPECT_EQ(shown.images, "Imagens:");
    EXPECT_EQ(shown.topicCount, "12");
    EXPECT_EQ(shown.imageCount, "3456");
    EXPECT_EQ(shown.client, QSize(358, 297));
}

TEST(AboutBoxTest, EmptyCatalogueShowsZerosAndEscapeAnswersOne) {
    TAboutBox box;
    Shown shown;
    auto answer = AnswerNextModal(Record(shown, PressKey(Qt::Key_Escape)));
    EXPECT_EQ(box.exec(), 1);
    ASSERT_TRUE(answer->Answered()) << answer->Error().toStdString();
    EXPECT_EQ(shown.topicCount, "0");
    EXPECT_EQ(shown.imageCount, "0");
    EXPECT_EQ(shown.version, "Version 2.5");
    EXPECT_EQ(box.TopicsNumLabel->alignment() & Qt::AlignRight, Qt::AlignRight);
    EXPECT_EQ(box.TopicsNumLabel->width(), 89);
}

TEST(AboutBoxTest, StripAndLinkAreSetUp) {
    TAboutBox box;
    EXPECT_EQ(box.GF1->size(), QSize(282, 17));
    EXPECT_EQ(box.GF1->BeginColor(), QColor(128, 128, 128));
    EXPECT_EQ(box.GF1->EndColor(), QColor(255, 255, 255));
    EXPECT_EQ(box.GF1->NumberOfColors(), 255);
    EXPECT_EQ(box.GF1->FillDirection(), TFillDirection::fdLeftToRight);
    EXPECT_EQ(box.UrlLabel->URL(), QString(TAboutBox::kWebPage));
    EXPECT_EQ(box.ProgramIcon->pixmap().size(), QSize(32, 32));
}

} // namespace
} // namespace tavik
