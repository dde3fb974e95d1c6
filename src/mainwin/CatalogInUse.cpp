#include "mainwin/CatalogInUse.h"

#include "controls/MessDlgs.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/CatalogFiles.h"
#include "storage/IniFile.h"
#include "storage/SafeFile.h"

#include <iostream>

namespace tavik {

QString CatalogInUseText(const std::string& folder) {
    return FormatText(LoadText(kTextCatalogInUse), {QString::fromStdString(folder)});
}

void ReportCatalogInUse(const std::string& folder) {
    int language = 0;
    if (FileExists(SettingsFileName(folder)))
        language = TIniFile(SettingsFileName(folder)).ReadInteger("Lang", "Lang", 0) & 0xFF;
    SetLanguageBase(LanguageBaseFor(language));
    const QString text = CatalogInUseText(folder);
    std::cerr << "tavik: " << text.toStdString() << "\n";
    MessageDlgLang(text, MsgDlgKind::Warning, mbOK, 0, language);
}

} // namespace tavik
