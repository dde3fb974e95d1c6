// The catalogue files: a list file of 100,000 pictures loaded and saved, and
// the compaction of a 200 MB data file, each beside plain file work on the
// same bytes with the same flushes.
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

Folder& DataFolder() {
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

// A data file of about 200 MB of picture records, every tenth one dead.
struct BigData {
    tavik::TTopicList topics;
    std::int64_t liveBytes = 0;
};

BigData& TheBigData() {
    static BigData data;
    if (data.topics.Count() != 0)
        return data;
    std::vector<Bytes> records;
    for (const Bytes& picture : tavik::bench::PictureMix()) {
        tavik::TMemoryStream record;
        tavik::SaveRecord(record, 0, tavik::PictureKind::Bitmap, picture);
        records.push_back(record.Bytes());
    }
    const std::string name = tavik::DataFileName(DataFolder().path);
    tavik::TFileStream file(name, tavik::TFileStream::Mode::Create);
    file.WriteBuffer("TVD1", 4);
    std::int64_t at = 4;
    tavik::TTopic* topic = nullptr;
    for (std::size_t n = 0; at < kDataFileSize; ++n) {
        if (n % 200 == 0)
            topic = &data.topics.AddTopic(std::to_string(n / 200));
        const Bytes& record = records[n % records.size()];
        file.WriteBuffer(record.data(), record.size());
        if (n % 10 != 9) {
            topic->AddBmp(std::to_string(n) + ".bmp", static_cast<std::int32_t>(at));
            data.liveBytes += static_cast<std::int64_t>(record.size());
        }
        at += static_cast<std::int64_t>(record.size());
    }
    file.Flush();
    tavik::SaveCatalog(DataFolder().path, data.topics);
    std::printf("data file: %lld bytes, %d live pictures, %lld live bytes\n",
                static_cast<long long>(at), data.topics.ImageCount(),
                static_cast<long long>(data.liveBytes));
    return data;
}

// Copies byte ranges of the data file into a new file, flushed to disk.
void CopyRanges(const std::vector<std::pair<std::int64_t, std::int64_t>>& ranges) {
    const std::string folder = DataFolder().path;
    tavik::TFileStream source(tavik::DataFileName(folder), tavik::TFileStream::Mode::Read);
    tavik::TFileStream target(folder + "copy.dat", tavik::TFileStream::Mode::Create);
    Bytes buffer(1 << 20);
    for (const auto& [start, length] : ranges) {
        source.Seek(start);
        for (std::int64_t left = length; left > 0;) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
            source.ReadBuffer(buffer.data(), n);
            target.WriteBuffer(buffer.data(), n);
            left -= static_cast<std::int64_t>(n);
        }
    }
    target.Flush();
}

std::vector<std::pair<std::int64_t, std::int64_t>> LiveRanges() {
    // After the first compaction the live records lie end to end: read their
    // lengths from their heads.
    BigData& data = TheBigData();
    tavik::TFileStream source(tavik::DataFileName(DataFolder().path),
                              tavik::TFileStream::Mode::Read);
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
    for (int t = 0; t < data.topics.Count(); ++t) {
        for (int i = 0; i < data.topics.Topics(t).Bmps.Count(); ++i) {
            const std::int64_t position = data.topics.Image(t, i).Position;
            std::uint8_t head[8];
            source.Seek(position);
            source.ReadBuffer(head, 8);
            const std::int64_t length =
                head[4] | head[5] << 8 | head[6] << 16 | static_cast<std::int64_t>(head[7]) << 24;
            ranges.emplace_back(position, 8 + length);
        }
    }
    return ranges;
}

void CopyLiveBytes(benchmark::State& state) {
    const auto ranges = LiveRanges();
    for (auto _ : state)
        CopyRanges(ranges);
    state.SetBytesProcessed(state.iterations() * TheBigData().liveBytes);
}

void CopyWholeDataFile(benchmark::State& state) {
    const std::int64_t size = static_cast<std::int64_t>(
        std::filesystem::file_size(tavik::DataFileName(DataFolder().path)));
    for (auto _ : state)
        CopyRanges({{0, size}});
    state.SetBytesProcessed(state.iterations() * size);
}

void Compact(benchmark::State& state) {
    BigData& data = TheBigData();
    for (auto _ : state)
        tavik::CompactDataFile(DataFolder().path, data.topics);
    state.SetBytesProcessed(state.iterations() * data.liveBytes);
}

BENCHMARK(ReadListIntoMemory)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(LoadList)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(WriteListBytes)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(SaveList)->Unit(benchmark::kMillisecond)->Repetitions(5);
// Compaction first, so that the copies below see the data file it leaves.
BENCHMARK(Compact)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(CopyLiveBytes)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(CopyWholeDataFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

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
                               {"compaction time / plain copy of the live bytes", "Compact",
                                "CopyLiveBytes", false, 2.0, false},
                               {"compaction time / plain copy of the whole data file (reported)",
                                "Compact", "CopyWholeDataFile", false, 1e9, false}});
    benchmark::Shutdown();
    return 0;
}
