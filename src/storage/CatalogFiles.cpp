#include "storage/CatalogFiles.h"

#include "storage/Exceptions.h"
#include "storage/Records.h"
#include "storage/Stream.h"
#include "storage/ValueStream.h"

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <limits>
#include <vector>

namespace tavik {
namespace {

constexpr char kListSignature[4] = {'T', 'V', 'L', '1'};
constexpr char kDataSignature[4] = {'T', 'V', 'D', '1'};
// Copied records gather in memory and reach the new data file in large writes.
constexpr std::size_t kCopyChunk = 1 << 20;

std::string NewListFileName(const std::string& folder) {
    return ListFileName(folder) + ".new";
}

std::string NewDataFileName(const std::string& folder) {
    return DataFileName(folder) + ".new";
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName) {
    TFileStream file(fileName, TFileStream::Mode::Read);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    return bytes;
}

void WriteListStream(TStream& stream, const TTopicList& topics) {
    TValueWriter writer(stream);
    writer.Write(kListSignature, 4);
    topics.WriteTo(writer);
    writer.FlushBuffer();
}

// Copies the list file aside unless the same bytes are already kept there.
void KeepDamagedListFile(const std::string& folder) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(ListFileName(folder));
    std::string keep = DamagedListFileName(folder);
    for (int n = 2; FileExists(keep); ++n) {
        if (ReadWholeFile(keep) == bytes)
            return;
        keep = folder + "tavik-damaged-" + std::to_string(n) + ".lst";
    }
    ReplaceFile(keep, [&](TStream& out) { out.WriteBuffer(bytes.data(), bytes.size()); });
}

void RemoveTempFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir))
        if (IsTempFileName(entry->d_name))
            names.emplace_back(entry->d_name);
    ::closedir(dir);
    for (const auto& name : names)
        std::remove((folder + name).c_str());
}

} // namespace

std::string ListFileName(const std::string& folder) {
    return folder + "tavik.lst";
}

std::string DataFileName(const std::string& folder) {
    return folder + "tavik.dat";
}

std::string SettingsFileName(const std::string& folder) {
    return folder + "tavik.ini";
}

std::string DamagedListFileName(const std::string& folder) {
    return folder + "tavik-damaged.lst";
}

void CreateDataFile(const std::string& fileName) {
    ReplaceFile(fileName, [](TStream& out) {
        TValueWriter writer(out);
        writer.Write(kDataSignature, 4);
        writer.FlushBuffer();
    });
}

ListLoadResult LoadListFile(const std::string& fileName, TTopicList& topics) {
    TFileStream file(fileName, TFileStream::Mode::Read);
    TValueReader reader(file);
    char signature[4];
    reader.Read(signature, 4);
    ListLoadResult result;
    if (std::memcmp(signature, kListSignature, 4) != 0) {
        result.badSignature = true;
        return result;
    }
    topics.ReadFrom(reader);
    return result;
}

void SaveListFile(const std::string& fileName, const TTopicList& topics) {
    ReplaceFile(fileName, [&](TStream& out) { WriteListStream(out, topics); });
}

void SaveCatalog(const std::string& folder, const TTopicList& topics) {
    SaveListFile(ListFileName(folder), topics);
}

RecoveryAction RecoverInterruptedCompaction(const std::string& folder) {
    const std::string newList = NewListFileName(folder);
    const std::string newData = NewDataFileName(folder);
    RecoveryAction action = RecoveryAction::None;
    // The new data file gets its final-but-one name only once both new files
    // are complete: its presence means the switch was decided.
    if (FileExists(newData)) {
        if (FileExists(newList))
            RenameFile(newList, ListFileName(folder));
        RenameFile(newData, DataFileName(folder));
        action = RecoveryAction::Finished;
    } else if (FileExists(newList)) {
        std::remove(newList.c_str());
        action = RecoveryAction::RolledBack;
    }
    RemoveTempFiles(folder);
    if (action != RecoveryAction::None)
        SyncFolder(folder);
    return action;
}

CatalogFilesToRead FindCatalogFilesToRead(const std::string& folder) {
    // Mirrors RecoverInterruptedCompaction without touching a file: where it
    // would finish the switch, read the pair that the switch puts in place.
    const std::string newList = NewListFileName(folder);
    const std::string newData = NewDataFileName(folder);
    CatalogFilesToRead files{ListFileName(folder), DataFileName(folder), false};
    if (FileExists(newData)) {
        if (FileExists(newList))
            files.list = newList;
        files.data = newData;
        files.compactionInterrupted = true;
    } else if (FileExists(newList)) {
        files.compactionInterrupted = true;
    }
    return files;
}

void KeepListFileCopy(const std::string& folder) {
    KeepDamagedListFile(folder);
}

CatalogOpenResult OpenCatalog(const std::string& folder, TTopicList& topics) {
    CatalogOpenResult result;
    result.recovery = RecoverInterruptedCompaction(folder);
    const std::string listName = ListFileName(folder);
    if (FileExists(listName)) {
        try {
            result.badSignature = LoadListFile(listName, topics).badSignature;
        } catch (const EReadError&) {
            // The read error is the one to report; a copy that cannot be made
            // here will be tried again at the next start.
            try {
                KeepDamagedListFile(folder);
            } catch (const Exception&) {
            }
            throw;
        }
        if (result.badSignature)
            KeepDamagedListFile(folder);
    }
    const std::string dataName = DataFileName(folder);
    if (!FileExists(dataName)) {
        CreateDataFile(dataName);
        result.dataFileCreated = true;
    }
    return result;
}

void CompactDataFile(const std::string& folder, TTopicList& topics,
                     const ProgressCallback& progress) {
    const std::string dataName = DataFileName(folder);
    const std::string newList = NewListFileName(folder);
    const std::string newData = NewDataFileName(folder);

    std::vector<TBmp*> images;
    for (int i = 0; i < topics.Count(); ++i)
        for (int j = 0; j < topics.Topics(i).Bmps.Count(); ++j)
            images.push_back(&topics.Image(i, j));
    int total = 0;
    for (const TBmp* bmp : images)
        total += bmp->Position != 0 ? 1 : 0;

    std::vector<std::int32_t> oldPositions;
    std::vector<std::int32_t> newPositions;
    for (const TBmp* bmp : images)
        oldPositions.push_back(bmp->Position);

    const std::string temp = MakeTempFileName(folder);
    try {
        {
            TFileStream source(dataName, TFileStream::Mode::Read);
            TFileStream target(temp, TFileStream::Mode::Create);
            LimitSaveWrites([&](TStream& out) {
                std::vector<std::uint8_t> chunk(kDataSignature, kDataSignature + 4);
                std::int64_t end = 4;
                int done = 0;
                for (const TBmp* bmp : images) {
                    if (bmp->Position == 0) {
                        newPositions.push_back(0);
                        continue;
                    }
                    newPositions.push_back(static_cast<std::int32_t>(end));
                    end += static_cast<std::int64_t>(CopyRecord(source, bmp->Position, chunk));
                    if (end > std::numeric_limits<std::int32_t>::max())
                        throw EWriteError("The data file " + dataName + " cannot grow past 2 GB");
                    if (chunk.size() >= kCopyChunk) {
                        out.WriteBuffer(chunk.data(), chunk.size());
                        chunk.clear();
                    }
                    if (progress)
                        progress(++done, total);
                }
                out.WriteBuffer(chunk.data(), chunk.size());
            })(target);
            target.Flush();
        }
        ReachSaveStep("compact:data-written");

        for (std::size_t i = 0; i < images.size(); ++i)
            images[i]->Position = newPositions[i];
        {
            TFileStream list(newList, TFileStream::Mode::Create);
            LimitSaveWrites([&](TStream& out) { WriteListStream(out, topics); })(list);
            list.Flush();
        }
        SyncFolder(folder);
        ReachSaveStep("compact:list-written");
        RenameFile(temp, newData);
    } catch (...) {
        for (std::size_t i = 0; i < images.size(); ++i)
            images[i]->Position = oldPositions[i];
        std::remove(temp.c_str());
        std::remove(newList.c_str());
        throw;
    }

    // The switch is decided: both new files are complete. Put them in place;
    // if that stops half-way, the start-up recovery finishes it.
    try {
        SyncFolder(folder);
        ReachSaveStep("compact:committed");
        RenameFile(newList, ListFileName(folder));
        ReachSaveStep("compact:list-switched");
        RenameFile(newData, dataName);
        ReachSaveStep("compact:data-switched");
        SyncFolder(folder);
    } catch (const Exception&) {
        // One more attempt through the recovery path; if it fails as well the
        // error stands and the next start-up completes the switch.
        RecoverInterruptedCompaction(folder);
    }
}

} // namespace tavik
