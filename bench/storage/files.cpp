// The catalogue files: a list file of 100,000 pictures loaded and saved, and
// the compaction of data files of small pictures and of a picture mix, each
// beside plain file work on the same bytes with the same flushes.
#include "PictureData.h"
#include "Ratios.h"

#include "storage/CatalogFiles.h"
#include "storage/Records.h"
#include "storage/Stream.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

using tavik::bench::Bytes;

constexpr int kTopics = 1000;
constexpr int kPicturesPerTopic = 100;
constexpr std::int64_t kDataFileSize = 200LL << 20;

struct Folder {
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavik-bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        path += "/";
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string path;
};

Folder& ListFolder() {
    static Folder folder;
    return folder;
}

tavik::TTopicList& BigCatalogue() {
    static tavik::TTopicList topics;
    if (topics.Count() == 0) {
        std::int32_t position = 4;
        for (int t = 0; t < kTopics; ++t) {
            tavik::TTopic& topic = topics.AddTopic("Topic number " + std::to_string(t));
            for (int i = 0; i < kPicturesPerTopic; ++i) {
                topic.AddBmp("Picture " + std::to_string(t * kPicturesPerTopic + i) + ".bmp",
                             position);
                position += 1500 + (i * 37) % 9000;
            }
        }
        tavik::SaveCatalog(ListFolder().path, topics);
    }
    return topics;
}

Bytes ReadAll(const std::string& name) {
    tavik::TFileStream file(name, tavik::TFileStream::Mode::Read);
    Bytes bytes(static_cast<std::size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

// Writes bytes as a new file beside name, flushes, renames it over name and
// flushes the folder: the file work of a crash-safe save, without encoding.
void WriteWithFlushes(const std::string& name, const Bytes& bytes) {
    const std::string temp = name + ".plain";
    {
        tavik::TFileStream file(temp, tavik::TFileStream::Mode::Create);
        file.WriteBuffer(bytes.data(), bytes.size());
        file.Flush();
    }
    std::filesystem::rename(temp, name);
    tavik::SyncFolder(tavik::FolderOf(name));
}

void ReadListIntoMemory(benchmark::State& state) {
    BigCatalogue();
    const std::string name = tavik::ListFileName(ListFolder().path);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadAll(name));
}

void LoadList(benchmark::State& state) {
    BigCatalogue();
    const std::string name = tavik::ListFileName(ListFolder().path);
    for (auto _ : state) {
        auto topics = std::make_unique<tavik::TTopicList>();
        tavik::LoadListFile(name, *topics);
        state.PauseTiming();
        // Freeing the catalogue is not part of loading it.
        if (topics->ImageCount() != kTopics * kPicturesPerTopic)
            std::abort();
        topics.reset();
        state.ResumeTiming();
    }
}

void WriteListBytes(benchmark::State& state) {
    BigCatalogue();
    const Bytes bytes = ReadAll(tavik::ListFileName(ListFolder().path));
    const std::string name = ListFolder().path + "plain.lst";
    for (auto _ : state)
        WriteWithFlushes(name, bytes);
}

void SaveList(benchmark::State& state) {
    const tavik::TTopicList& topics = BigCatalogue();
    for (auto _ : state)
        tavik::SaveCatalog(ListFolder().path, topics);
}

// A data file of picture records, every tenth one dead, and the live records
// copied end to end into a file of their own: what a plain copy of the live
// bytes reads.
struct DataSet {
    Folder folder;
    tavik::TTopicList topics;
    std::int64_t liveBytes = 0;
    std::string liveCopy;
};

Bytes RecordOf(const Bytes& picture) {
    tavik::TMemoryStream record;
    tavik::SaveRecord(record, 0, tavik::PictureKind::Bitmap, picture);
    return record.Bytes();
}

void WriteDataSet(DataSet& data, const std::vector<Bytes>& records, std::int64_t fileSize,
                  const char* what) {
    const std::string name = tavik::DataFileName(data.folder.path);
    data.liveCopy = data.folder.path + "live.bin";
    tavik::TFileStream file(name, tavik::TFileStream::Mode::Create);
    tavik::TFileStream live(data.liveCopy, tavik::TFileStream::Mode::Create);
    file.WriteBuffer("TVD1", 4);
    std::int64_t at = 4;
    tavik::TTopic* topic = nullptr;
    for (std::size_t n = 0; at < fileSize; ++n) {
        if (n % 200 == 0)
            topic = &data.topics.AddTopic(std::to_string(n / 200));
        const Bytes& record = records[n % records.size()];
        file.WriteBuffer(record.data(), record.size());
        if (n % 10 != 9) {
            topic->AddBmp(std::to_string(n) + ".bmp", static_cast<std::int32_t>(at));
            live.WriteBuffer(record.data(), record.size());
            data.liveBytes += static_cast<std::int64_t>(record.size());
        }
        at += static_cast<std::int64_t>(record.size());
    }
    file.Flush();
    live.Flush();
    tavik::SaveCatalog(data.folder.path, data.topics);
    std::printf("%s: data file %lld bytes, %d live pictures of %lld bytes on average\n", what,
                static_cast<long long>(at), data.topics.ImageCount(),
                static_cast<long long>(data.liveBytes / data.topics.ImageCount()));
}

// About 200 MB of the codec's picture mix: records of 9 KB on average.
DataSet& MixedData() {
    static DataSet data;
    if (data.topics.Count() == 0) {
        std::vector<Bytes> records;
        for (const Bytes& picture : tavik::bench::PictureMix())
            records.push_back(RecordOf(picture));
        WriteDataSet(data, records, 200LL << 20, "picture mix");
    }
    return data;
}

// About 150 MB of small icons, drawings and metafiles: records of 1 to 2 KB,
// the size of a catalogue of small pictures.
DataSet& SmallData() {
    static DataSet data;
    if (data.topics.Count() == 0) {
        std::vector<Bytes> records;
        for (std::uint32_t seed = 1; records.size() < 64; ++seed) {
            for (const Bytes& picture :
                 {tavik::bench::Icon(seed),
                  tavik::bench::Metafile(20 + static_cast<int>(seed % 40), seed),
                  tavik::bench::PaletteBitmap(40 + static_cast<int>(seed % 16), 32, seed)}) {
                Bytes record = RecordOf(picture);
                if (record.size() >= 1000 && record.size() <= 2000)
                    records.push_back(std::move(record));
            }
        }
        WriteDataSet(data, records, 150LL << 20, "small pictures");
    }
    return data;
}

// The baseline of a compaction: the live bytes, lying end to end, copied
// into a new file in 1 MiB reads and writes, flushed at the end.
void PlainCopy(const DataSet& data) {
    tavik::TFileStream source(data.liveCopy, tavik::TFileStream::Mode::Read);
    tavik::TFileStream target(data.folder.path + "copy.dat", tavik::TFileStream::Mode::Create);
    Bytes buffer(1 << 20);
    while (const std::size_t n = source.Read(buffer.data(), buffer.size()))
        target.WriteBuffer(buffer.data(), n);
    target.Flush();
}

void CompactMixed(benchmark::State& state) {
    DataSet& data = MixedData();
    for (auto _ : state)
        tavik::CompactDataFile(data.folder.path, data.topics);
    state.SetBytesProcessed(state.iterations() * data.liveBytes);
}

void CopyMixedLiveBytes(benchmark::State& state) {
    const DataSet& data = MixedData();
    for (auto _ : state)
        PlainCopy(data);
    state.SetBytesProcessed(state.iterations() * data.liveBytes);
}

void CompactSmall(benchmark::State& state) {
    DataSet& data = SmallData();
    for (auto _ : state)
        tavik::CompactDataFile(data.folder.path, data.topics);
    state.SetBytesProcessed(state.iterations() * data.liveBytes);
}

void CopySmallLiveBytes(benchmark::State& state) {
    const DataSet& data = SmallData();
    for (auto _ : state)
        PlainCopy(data);
    state.SetBytesProcessed(state.iterations() * data.liveBytes);
}

BENCHMARK(ReadListIntoMemory)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(LoadList)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(WriteListBytes)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(SaveList)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(CompactMixed)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->UseRealTime();
BENCHMARK(CopyMixedLiveBytes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->UseRealTime();
BENCHMARK(CompactSmall)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->UseRealTime();
BENCHMARK(CopySmallLiveBytes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tavik::bench::RatioReporter reporter(false);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    tavik::bench::PrintRatios(reporter,
                              {{"list load time / reading the file into memory", "LoadList",
                                "ReadListIntoMemory", false, 20.0, false},
                               {"list save time / writing the same bytes, same flushes", "SaveList",
                                "WriteListBytes", false, 2.0, false},
                               {"compaction time / plain copy, small pictures", "CompactSmall",
                                "CopySmallLiveBytes", false, 2.0, false},
                               {"compaction time / plain copy, picture mix", "CompactMixed",
                                "CopyMixedLiveBytes", false, 2.0, false}});
    benchmark::Shutdown();
    return 0;
}
