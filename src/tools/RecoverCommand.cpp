// The recover command: gives back the pictures of a data file whose list file
// is lost or damaged, or that the list no longer refers to.
#include "Commands.h"
#include "ToolCatalog.h"

#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/Recover.h"
#include "storage/SafeFile.h"

#include <iostream>

namespace tavik::tools {
namespace {

int RunRecover(const Arguments& args) {
    const std::string folder = ExistingFolder(args.Positional(1)[0]);
    const int codePage = FolderCodePage(folder, args.Value("--codepage"));
    const std::string topicText = args.Value("--into").value_or("Recovered");
    if (topicText.empty())
        throw UsageError("--into needs a topic name");
    const TCatalogLock lock = LockCatalogOrFail(folder);
    if (!FileExists(DataFileName(folder)))
        throw CommandError("no data file: " + DataFileName(folder) + " is missing");

    const RecoverResult result = RecoverCatalog(folder, FromUtf8(topicText, codePage));
    const DataFileScan& scan = result.scan;
    std::cout << "data file: " << scan.records << " record(s), " << scan.readable.size()
              << " readable, " << scan.damaged << " damaged, " << scan.bytesSkipped
              << " byte(s) skipped" << (scan.signatureFound ? "" : " (no TVD1 signature)") << "\n";
    if (result.listUsable)
        std::cout << "list file: whole, " << result.referenced
                  << " readable record(s) referred to\n";
    else
        std::cout << "list file: " << result.listError << "\n";
    if (result.listCopied)
        std::cout << "the old list file is kept as " << DamagedListFileName(folder)
                  << " (or a numbered copy beside it)\n";
    if (result.listWritten)
        std::cout << result.added << " picture(s) put into topic '" << topicText << "'\n";
    else
        std::cout << "nothing to recover: every readable record is in the catalogue\n";
    return 0;
}

const CommandRegistration recoverCommand{
    {"recover",
     "FOLDER [--into TOPIC] [--codepage N]",
     "find the readable pictures of the data file that no list entry refers to (all of them "
     "when the list file is lost or damaged) and put them into a topic, \"Recovered\" by default",
     {},
     {"--into", "--codepage"},
     RunRecover}};

} // namespace
} // namespace tavik::tools
