#pragma once

#include <QString>
#include <string>

namespace tavik {

// Tells the user that another program (a running Tavik, a tavikctl command)
// holds the lock of the catalogue in folder, so this start of Tavik ends: the
// text goes to stderr and into a warning message dialog in the language of the
// folder's settings file, which waits for OK. Sets the process-wide language
// base from those settings.
void ReportCatalogInUse(const std::string& folder);

// The text of that report in the current language.
QString CatalogInUseText(const std::string& folder);

} // namespace tavik
