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

bool RefersToRecords(const TTopicList& topics) {
    for (int i = 0; i < topics.Count(); ++i)
        for (int j = 0; j < topics.Topics(i).Bmps.Count(); ++j)
            if (topics.Image(i, j).Position != 0)
                return true;
    return false;
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

std::string PendingDataFileName(const std::string& dataFileName) {
    return dataFileName + ".new";
}

void CreateDataFile(const std::string& fileName, TFileSystem& files) {
    ReplaceFile(
        fileName,
        [](TStream& out) {
            TValueWriter writer(out);
            writer.Write(kDataSignature, 4);
            writer.FlushBuffer();
        },
        files);
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
    if (const std::int64_t left = reader.BytesLeft(); left != 0)
        throw EReadError("The list file " + fileName + " holds " + std::to_string(left) +
                         " byte(s) after the end of its list");
    return result;
}

void SaveListFile(const std::string& fileName, const TTopicList& topics, TFileSystem& files) {
    FinishCompactionSwitch(FolderOf(fileName), files);
    ReplaceFile(
        fileName, [&](TStream& out) { WriteListStream(out, topics); }, files);
}

void SaveCatalog(const std::string& folder, const TTopicList& topics, TFileSystem& files) {
    SaveListFile(ListFileName(folder), topics, files);
}

bool PreserveDamagedListFile(const std::string& folder) {
    if (!FileExists(ListFileName(folder)))
        return false;
    bool damaged = false;
    try {
        TTopicList topics;
        damaged = LoadListFile(ListFileName(folder), topics).badSignature;
    } catch (const EReadError&) {
        damaged = true;
    }
    if (damaged)
        KeepDamagedListFile(folder);
    return damaged;
}

bool TProgressThrottle::Due(int done, int total) {
    const auto now = std::chrono::steady_clock::now();
    if (FReported && done != total && now - FLast < std::chrono::milliseconds(30))
        return false;
    FReported = true;
    FLast = now;
    return true;
}

void FinishCompactionSwitch(const std::string& folder, TFileSystem& files) {
    const std::string newData = NewDataFileName(folder);
    if (!FileExists(newData))
        return;
    try {
        if (FileExists(NewListFileName(folder)))
            files.Rename(NewListFileName(folder), ListFileName(folder));
        files.Rename(newData, DataFileName(folder));
        files.SyncFolder(folder);
    } catch (const Exception& error) {
        throw EWriteError("The compacted data file " + newData + " cannot replace " +
                          DataFileName(folder) + " (" + error.what() +
                          "); nothing is added or saved until it can");
    }
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
            // here is made by PreserveDamagedListFile before a save replaces
            // the list file.
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
        if (RefersToRecords(topics))
            throw EFOpenError("Cannot open file " + dataName +
                              ": it is missing, and the list file refers to pictures in it");
        CreateDataFile(dataName);
        result.dataFileCreated = true;
    }
    return result;
}

namespace {

// The images of a catalogue in order, with their places for naming them.
struct CatalogImage {
    TBmp* bmp;
    int topic;
    int image;
};

std::vector<CatalogImage> ImagesInOrder(TTopicList& topics) {
    std::vector<CatalogImage> images;
    for (int i = 0; i < topics.Count(); ++i)
        for (int j = 0; j < topics.Topics(i).Bmps.Count(); ++j)
            images.push_back({&topics.Image(i, j), i, j});
    return images;
}

// Writes the live records one after the other into target; gives their new
// positions in the order of images (0 stays 0) and names the damaged ones.
std::vector<std::int32_t> CopyLiveRecords(TStream& source, TStream& target,
                                          const std::vector<CatalogImage>& images,
                                          const std::string& dataName,
                                          const ProgressCallback& progress,
                                          std::vector<DamagedPicture>& damaged) {
    int total = 0;
    for (const CatalogImage& image : images)
        total += image.bmp->Position != 0 ? 1 : 0;
    std::vector<std::int32_t> newPositions;
    std::vector<std::uint8_t> chunk(kDataSignature, kDataSignature + 4);
    std::int64_t end = 4;
    int done = 0;
    std::string damage;
    for (const CatalogImage& image : images) {
        const std::int32_t position = image.bmp->Position;
        if (position == 0) {
            newPositions.push_back(0);
            continue;
        }
        newPositions.push_back(static_cast<std::int32_t>(end));
        try {
            end += static_cast<std::int64_t>(CopyRecord(source, position, chunk, &damage));
        } catch (const EReadError& error) {
            throw EDamagedPicture({image.topic, image.image, error.what()}, position);
        } catch (const EInvalidGraphic& error) {
            throw EDamagedPicture({image.topic, image.image, error.what()}, position);
        }
        if (!damage.empty())
            damaged.push_back({image.topic, image.image, damage});
        if (end > std::numeric_limits<std::int32_t>::max())
            throw EWriteError("The data file " + dataName + " cannot grow past 2 GB");
        if (chunk.size() >= kCopyChunk) {
            target.WriteBuffer(chunk.data(), chunk.size());
            chunk.clear();
        }
        if (progress)
            progress(++done, total);
    }
    target.WriteBuffer(chunk.data(), chunk.size());
    return newPositions;
}

} // namespace

std::vector<DamagedPicture> CompactDataFile(const std::string& folder, TTopicList& topics,
                                            const ProgressCallback& progress, TFileSystem& files) {
    const std::string dataName = DataFileName(folder);
    const std::string listName = ListFileName(folder);
    const std::string newList = NewListFileName(folder);
    const std::string newData = NewDataFileName(folder);
    FinishCompactionSwitch(folder, files);
    RefuseReadOnlyFile(dataName);
    RefuseReadOnlyFile(listName);

    const std::vector<CatalogImage> images = ImagesInOrder(topics);
    std::vector<std::int32_t> oldPositions;
    for (const CatalogImage& image : images)
        oldPositions.push_back(image.bmp->Position);
    auto restoreOldPositions = [&] {
        for (std::size_t i = 0; i < images.size(); ++i)
            images[i].bmp->Position = oldPositions[i];
    };

    std::vector<DamagedPicture> damaged;
    const std::string temp = MakeTempFileFor(dataName, files);
    try {
        std::vector<std::int32_t> newPositions;
        {
            const auto source = files.Open(dataName, TFileStream::Mode::Read);
            const auto target = files.Open(temp, TFileStream::Mode::Create);
            CopyFileMode(dataName, temp);
            // Records mostly follow each other in the file: read it in large
            // pieces rather than with several calls of the system per record.
            TReadAheadStream records(*source);
            newPositions = CopyLiveRecords(records, *target, images, dataName, progress, damaged);
            target->Flush();
        }
        for (std::size_t i = 0; i < images.size(); ++i)
            images[i].bmp->Position = newPositions[i];
        {
            const auto list = files.Open(newList, TFileStream::Mode::Create);
            CopyFileMode(listName, newList);
            WriteListStream(*list, topics);
            list->Flush();
        }
        files.SyncFolder(folder);
        // The decision: the new data file takes the name that recovery finishes
        // the switch by.
        files.Rename(temp, newData);
    } catch (...) {
        restoreOldPositions();
        files.Remove(temp);
        files.Remove(newList);
        throw;
    }

    bool listSwitched = false;
    try {
        files.SyncFolder(folder);
        files.Rename(newList, listName);
        listSwitched = true;
        files.Rename(newData, dataName);
    } catch (const Exception&) {
        // Before the list file is switched the decision can still be taken
        // back: without its new data file, recovery rolls the rest back too.
        if (!listSwitched && files.Remove(newData)) {
            files.Remove(newList);
            restoreOldPositions();
            throw;
        }
        // The list file on disk refers to the new data file now: topics keep
        // the new positions, and the switch is completed, or everything that
        // would write beside it is refused until it is.
        FinishCompactionSwitch(folder, files);
        return damaged;
    }
    try {
        files.SyncFolder(folder);
    } catch (const Exception&) {
        // Both files are in place; only their folder entries may not have
        // reached the disk yet, and the next flush of the folder takes them.
    }
    return damaged;
}

} // namespace tavik
