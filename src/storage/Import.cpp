#include "storage/Import.h"

#include "storage/Exceptions.h"
#include "storage/Records.h"
#include "storage/Stream.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace tavik {

std::string CompleteFolderName(const std::string& folder) {
    if (folder.empty() || folder.back() == '/')
        return folder;
    return folder + "/";
}

bool HasCatalog(const std::string& folder) {
    return FileExists(ListFileName(CompleteFolderName(folder)));
}

ListLoadResult LoadImportSource(const std::string& folder, TTopicList& source) {
    const ListLoadResult result = LoadListFile(ListFileName(CompleteFolderName(folder)), source);
    if (result.badSignature)
        source.Clear();
    return result;
}

bool ImportTopics(const std::string& sourceDataFile, const TTopicList& source,
                  std::span<const int> topicIndices, const std::string& ownDataFile,
                  TTopicList& topics, const ProgressCallback& progress,
                  std::vector<DamagedPicture>* damaged, TFileSystem& files) {
    std::vector<int> chosen(topicIndices.begin(), topicIndices.end());
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    int total = 0;
    for (int index : chosen)
        total += source.Topics(index).Bmps.Count();
    if (chosen.empty())
        return false;

    FinishCompactionSwitch(FolderOf(ownDataFile), files);
    RefuseReadOnlyFile(ownDataFile);
    // Topics without pictures need no source data file.
    std::optional<TFileStream> from;
    const auto toFile = files.Open(ownDataFile, TFileStream::Mode::ReadWrite);
    TFile& to = *toFile;
    std::int64_t end = to.Size();
    // Whatever was appended reaches the disk before anyone can save a list
    // file that refers to it, also when the import stops half-way.
    struct FlushOnExit {
        TFile& file;
        ~FlushOnExit() {
            try {
                file.Flush();
            } catch (const Exception&) {
            }
        }
    } flushOnExit{to};

    std::vector<std::uint8_t> record;
    std::string damage;
    int done = 0;
    for (int index : chosen) {
        const TTopic& topic = source.Topics(index);
        TTopic& copy = topics.AddTopic(topic.Name);
        for (int j = 0; j < topic.Bmps.Count(); ++j) {
            const TBmp& bmp = topic.Bmps.Bmps(j);
            std::int32_t position = 0;
            if (bmp.Position != 0) {
                if (!from)
                    from.emplace(sourceDataFile, TFileStream::Mode::Read);
                record.clear();
                try {
                    CopyRecord(*from, bmp.Position, record, &damage);
                } catch (const EReadError& error) {
                    throw EDamagedPicture({index, j, error.what()}, bmp.Position);
                } catch (const EInvalidGraphic& error) {
                    throw EDamagedPicture({index, j, error.what()}, bmp.Position);
                }
                if (!damage.empty() && damaged != nullptr)
                    damaged->push_back({topics.Count() - 1, copy.Bmps.Count(), damage});
                if (end + static_cast<std::int64_t>(record.size()) >
                    std::numeric_limits<std::int32_t>::max())
                    throw EWriteError("The data file " + ownDataFile + " cannot grow past 2 GB");
                to.Seek(end);
                to.WriteBuffer(record.data(), record.size());
                position = static_cast<std::int32_t>(end);
                end += static_cast<std::int64_t>(record.size());
            }
            copy.AddBmp(bmp.Name, position);
            if (progress)
                progress(++done, total);
        }
    }
    to.Flush();
    return true;
}

} // namespace tavik
