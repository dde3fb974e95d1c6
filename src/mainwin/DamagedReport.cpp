#include "mainwin/DamagedReport.h"

#include "storage/CodePage.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace tavik {
namespace {

// A box taller than the screen helps nobody: the rest is counted.
constexpr std::size_t kNamedPictures = 20;

QString NameText(const std::string& bytes, int codePage) {
    return QString::fromStdString(ToUtf8(bytes, codePage));
}

} // namespace

QString PictureInTopicText(const TTopicList& topics, const DamagedPicture& picture, int codePage) {
    return QStringLiteral("the picture \"%1\" of topic \"%2\"")
        .arg(NameText(topics.Image(picture.topic, picture.image).Name, codePage),
             NameText(topics.Topics(picture.topic).Name, codePage));
}

void ReportDamagedPictures(const TTopicList& topics, const std::vector<DamagedPicture>& damaged,
                           int codePage, QWidget* parent) {
    if (damaged.empty())
        return;
    QString text = QStringLiteral("These pictures are damaged; their bytes were kept as they "
                                  "were:");
    for (std::size_t i = 0; i < damaged.size() && i < kNamedPictures; ++i)
        text += QStringLiteral("\n%1 (%2)")
                    .arg(PictureInTopicText(topics, damaged[i], codePage),
                         QString::fromStdString(damaged[i].reason));
    if (damaged.size() > kNamedPictures)
        text += QStringLiteral("\nand %1 more").arg(damaged.size() - kNamedPictures);
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.setObjectName("DamagedPictures");
    box.exec();
}

} // namespace tavik
