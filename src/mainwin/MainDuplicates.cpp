// Pictures added whose stored bytes the catalogue already holds.
#include "mainwin/MainForm.h"

#include "controls/MessDlgs.h"
#include "graphics/Graphic.h"
#include "graphics/Picture.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/Lists.h"

namespace tavik {
bool TMainForm::AcceptDuplicate(int topic, const TPicture& picture, const QString& name,
                                QStringList& elsewhere) {
    // A picture without a graphic is refused when it is stored.
    if (picture.Kind() == PictureKind::None || picture.Graphic() == nullptr)
        return true;
    const TContentKey key = ContentKeyOf(picture.Kind(), picture.Graphic()->Stream());
    const std::vector<TNameMatch> copies =
        FindStoredCopies(*FTopics, FContentHashes, DataFileName(), key);
    for (const TNameMatch& copy : copies) {
        if (copy.topic != topic)
            continue;
        const QString question =
            FormatText(LoadText(kTextDuplicateQuestion),
                       {name, NameText(FTopics->Image(topic, copy.image).Name)});
        return MessageDlgLang(question, MsgDlgKind::Confirmation, mbYesNo, 0, FLanguage) == mrYes;
    }
    if (!copies.empty()) {
        const TNameMatch& copy = copies.front();
        elsewhere << FormatText(LoadText(kTextDuplicateElsewhere),
                                {name, NameText(FTopics->Topics(copy.topic).Name),
                                 NameText(FTopics->Image(copy.topic, copy.image).Name)});
    }
    return true;
}

void TMainForm::NoteCopiesElsewhere(const QStringList& elsewhere) {
    if (!elsewhere.isEmpty())
        MessageDlgLang(elsewhere.join(QLatin1Char('\n')), MsgDlgKind::Information, mbOK, 0,
                       FLanguage);
}

} // namespace tavik
