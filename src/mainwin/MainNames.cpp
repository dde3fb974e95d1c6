// Names typed by the user and the code page the catalogue keeps them in.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/MessDlgs.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/CodePage.h"
#include "storage/IniFile.h"
#include "storage/Lists.h"

#include <QPointer>
#include <QTimer>

namespace tavik {
namespace {

QString CodePageName(int codePage) {
    switch (codePage) {
    case kCodePageCyrillic:
        return QStringLiteral("Windows-1251");
    case kCodePageUtf8:
        return QStringLiteral("UTF-8");
    default:
        return QStringLiteral("Windows-1252");
    }
}

} // namespace

void TMainForm::FixNewCatalogCodePage() {
    // The names of a new catalogue stay in the code page it starts with, so
    // that a later change of the interface language cannot garble them.
    TIniFile ini(SettingsFileName());
    if (ini.ValueExists("Options", "CodePage"))
        return;
    ini.WriteInteger("Options", "CodePage", FCodePage);
    ini.UpdateFile();
    FCodePageSetting = FCodePage;
}

bool TMainForm::NameFits(const QString& name) const {
    return NameText(NameBytes(name)) == name;
}

bool TMainForm::AcceptNameLoss(const QString& name) {
    if (NameFits(name))
        return true;
    const QString question = FormatText(LoadText(kTextNameLossQuestion),
                                        {CodePageName(FCodePage), name, NameText(NameBytes(name))});
    return MessageDlgLang(question, MsgDlgKind::Confirmation, mbYesNo, 0, FLanguage) == mrYes;
}

bool TMainForm::QueryName(const QString& caption, QString& name) {
    QString edited = name;
    for (;;) {
        if (!InputQueryLang(caption, LoadText(kTextName), edited, FLanguage))
            return false;
        // An empty name holds nothing to lose; the caller decides about it.
        if (AcceptNameLoss(edited))
            break;
    }
    name = edited;
    return true;
}

void TMainForm::AddTopicFromDialog(bool insert) {
    QString name;
    if (QueryName(LoadText(kTextAddTopic), name) && !name.isEmpty())
        AddTopic(name, insert);
}

void TMainForm::RenameTopicFromDialog() {
    const int topic = CurrentTopic();
    if (topic == -1)
        return;
    QString name = NameText(FTopics->Topics(topic).Name);
    if (QueryName(LoadText(kTextRenameTopic), name))
        RenameTopic(topic, name);
}

void TMainForm::RenameImageFromDialog() {
    const std::optional<TNameMatch> picture = ListedPicture(CurrentImageIndex());
    if (!picture)
        return;
    BmpListView->CancelEditing();
    QString name = NameText(FTopics->Image(picture->topic, picture->image).Name);
    if (QueryName(LoadText(kTextRenameImage), name))
        RenameImage(picture->topic, picture->image, name);
}

void TMainForm::RenameImageInPlace(int index, QString& text) {
    const std::optional<TNameMatch> picture = ListedPicture(index);
    if (!picture)
        return;
    if (NameFits(text)) {
        RenameImage(picture->topic, picture->image, text);
        // The caption shows what the catalogue's code page could keep.
        text = BmpListView->Caption(index);
        return;
    }
    // The question waits until the editor has closed: a dialog over an open
    // editor would take its focus and end the edit a second time.
    const QString typed = text;
    text = BmpListView->Caption(index);
    QTimer::singleShot(0, &FCommandContext, [this, picture, index, typed] {
        RunCommand([&] {
            if (ListedItem(*picture) != index)
                return;
            if (AcceptNameLoss(typed))
                RenameImage(picture->topic, picture->image, typed);
            else
                BmpListView->EditCaption(index, typed);
        });
    });
}

} // namespace tavik
