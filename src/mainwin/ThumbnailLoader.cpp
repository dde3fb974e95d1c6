#include "mainwin/ThumbnailLoader.h"

#include "graphics/Icon.h"
#include "graphics/TavikPicture.h"
#include "graphics/Thumbnail.h"
#include "storage/CatalogFiles.h"
#include "storage/SafeFile.h"
#include "storage/Stream.h"

#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <iterator>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <utility>

namespace tavik {

namespace {

constexpr int kLargeSize = 32;
constexpr int kSmallSize = 16;
// Pictures per task past the first screenful: large enough that opening the
// task's stream is nothing beside its decodes, small enough that the threads
// share the tail of a topic evenly.
constexpr int kBatchSize = 64;
// A task that has spent this long on its batch hands over what it has made
// so far: a slow picture never holds back the quick ones before it by more
// than about a frame.
constexpr auto kHandOverInterval = std::chrono::milliseconds(16);

// Records of a batch that lie close together in the file (a topic added at
// once, in order) are read with one read of the file into memory, instead of
// three reads of the file for each record. A record reaching past that piece,
// or the records of a scattered batch, are read from the file.
class TBatchReader : public TStream {
public:
    // A batch is read as one piece when its positions ascend and lie on
    // average at most this far apart; the piece reaches this far past the
    // last position, for the last record.
    static constexpr std::int64_t kRecordAllowance = 64 * 1024;

    // piece holds the bytes read; kept by the caller from batch to batch, its
    // memory is not taken from the system again for every batch.
    TBatchReader(const TFileStream& file, std::span<const std::int32_t> positions,
                 std::vector<std::uint8_t>& piece)
        : FFile(file), FPiece(piece) {
        if (positions.empty() || !std::is_sorted(positions.begin(), positions.end()) ||
            positions.front() < 0)
            return;
        const std::int64_t end =
            std::min(FFile.Size(), std::int64_t{positions.back()} + kRecordAllowance);
        const std::int64_t length = end - positions.front();
        if (length <= 0 || length > static_cast<std::int64_t>(positions.size()) * kRecordAllowance)
            return;
        // Short of memory, the records are read from the file one by one.
        try {
            if (FPiece.size() < static_cast<std::size_t>(length))
                FPiece.resize(static_cast<std::size_t>(length));
        } catch (const std::bad_alloc&) {
            return;
        }
        FStart = positions.front();
        FFile.Seek(FStart);
        FPieceSize = FFile.Read(FPiece.data(), static_cast<std::size_t>(length));
    }

    std::size_t Read(void* buffer, std::size_t count) override {
        const std::int64_t offset = FPosition - FStart;
        if (offset >= 0 && offset <= static_cast<std::int64_t>(FPieceSize) &&
            count <= FPieceSize - static_cast<std::size_t>(offset)) {
            std::memcpy(buffer, FPiece.data() + offset, count);
            FPosition += static_cast<std::int64_t>(count);
            return count;
        }
        FFile.Seek(FPosition);
        const std::size_t n = FFile.Read(buffer, count);
        FPosition += static_cast<std::int64_t>(n);
        return n;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    void Seek(std::int64_t position) override {
        FFile.Seek(position);
        FPosition = position;
    }
    std::int64_t Position() const override { return FPosition; }
    std::int64_t Size() const override { return FFile.Size(); }

private:
    TPositionedReader FFile;
    std::int64_t FStart = 0;
    std::vector<std::uint8_t>& FPiece;
    std::size_t FPieceSize = 0;
    std::int64_t FPosition = 0;
};

// A thumbnail in the form the list's pixmaps take without another copy:
// opaque pixels (what a thumbnail on the list's background is) as RGB32,
// anything else premultiplied.
QImage ForPixmap(QImage image) {
    if (image.format() == QImage::Format_ARGB32) {
        bool opaque = true;
        for (int y = 0; y < image.height() && opaque; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            opaque = std::all_of(line, line + image.width(),
                                 [](QRgb pixel) { return qAlpha(pixel) == 255; });
        }
        if (opaque)
            return std::move(image).convertToFormat(QImage::Format_RGB32);
    }
    if (image.hasAlphaChannel())
        return std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return std::move(image).convertToFormat(QImage::Format_RGB32);
}

// Both thumbnails of picture; icons are sampled from their own pixels, any
// other picture is drawn once for both.
void MakeThumbnails(const TPicture& picture, const QColor& background, qreal ratio, QImage& large,
                    QImage& small) {
    if (ratio > 1) {
        // A scaled screen: drawn at its pixels, icons and metafiles sharp.
        large = MakeScaledPictureThumbnail(picture, kLargeSize, background, ratio);
        small = MakeScaledPictureThumbnail(picture, kSmallSize, background, ratio);
    } else if (dynamic_cast<const TIcon*>(picture.Graphic())) {
        large = MakePictureThumbnail(picture, kLargeSize, background);
        small = MakePictureThumbnail(picture, kSmallSize, background);
    } else {
        const QImage source = RenderForThumbnail(picture, background);
        large = MakeThumbnail(source, kLargeSize, background);
        small = MakeThumbnail(source, kSmallSize, background);
    }
    large = ForPixmap(std::move(large));
    small = ForPixmap(std::move(small));
}

} // namespace

struct TThumbnailLoader::TRun {
    // Opened once when the run starts: a save that replaces the data file
    // meanwhile leaves this one, which the run's positions refer to, open.
    std::unique_ptr<TFileStream> file;
    QString openError;
    QColor background;
    qreal ratio = 1;
    int count = 0;
    std::atomic<bool> cancelled{false};
    // What the tasks have handed over and the owner has not yet taken.
    std::mutex madeLock;
    std::vector<TThumbnail> made;
    bool deliveryPosted = false;
};

TThumbnailLoader::TThumbnailLoader(QObject* parent) : QObject(parent) {}

TThumbnailLoader::~TThumbnailLoader() {
    Cancel();
    FPool.waitForDone();
}

void TThumbnailLoader::SetMaxThreads(int count) {
    FPool.setMaxThreadCount(std::max(1, count));
}

void TThumbnailLoader::Cancel() {
    if (FRun)
        FRun->cancelled.store(true);
    FPool.clear();
    FRun.reset();
    FRunning = false;
}

void TThumbnailLoader::Start(const std::string& dataFileName, std::vector<std::int32_t> positions,
                             const QColor& background, int firstCount, qreal ratio) {
    Cancel();
    FDelivered = 0;
    FFirstErrorIndex = -1;
    FFirstError.clear();
    const int count = static_cast<int>(positions.size());
    if (count == 0) {
        emit Finished(FFirstError);
        return;
    }
    auto run = std::make_shared<TRun>();
    // While a compacted copy waits to replace the data file, the positions
    // refer to the copy.
    const std::string pending = PendingDataFileName(dataFileName);
    try {
        run->file = std::make_unique<TFileStream>(FileExists(pending) ? pending : dataFileName,
                                                  TFileStream::Mode::Read);
    } catch (const std::exception& error) {
        run->openError = QString::fromStdString(error.what());
    }
    run->background = background;
    run->ratio = ratio;
    run->count = count;
    FRun = run;
    FRunning = true;
    auto shared = std::make_shared<const std::vector<std::int32_t>>(std::move(positions));
    // The work is queued from the event loop: what asked for the run (a
    // window being shown, a list being laid out) finishes first.
    QMetaObject::invokeMethod(
        this,
        [this, run, shared, firstCount] {
            if (run == FRun)
                QueueBatches(run, shared, firstCount);
        },
        Qt::QueuedConnection);
}

void TThumbnailLoader::QueueBatches(
    const std::shared_ptr<TRun>& run,
    const std::shared_ptr<const std::vector<std::int32_t>>& positions, int firstCount) {
    const int count = run->count;
    // The first screenful is shared among the threads so that it shows first.
    const int first = std::clamp(firstCount, 0, count);
    const int threads = std::max(1, FPool.maxThreadCount());
    const int firstBatch = std::max(1, (first + threads - 1) / threads);
    int begin = 0;
    while (begin < count) {
        const int end = std::min(begin < first ? first : count,
                                 begin + (begin < first ? firstBatch : kBatchSize));
        FPool.start([this, run, positions, begin, end] { MakeBatch(run, *positions, begin, end); });
        begin = end;
    }
}

void TThumbnailLoader::MakeBatch(const std::shared_ptr<TRun>& run,
                                 const std::vector<std::int32_t>& positions, int begin, int end) {
    // Tasks share the run's file, each reading through its own position.
    // The pool's threads live on between batches (and leave after a while of
    // no work); each keeps the memory its batches are read into.
    thread_local std::vector<std::uint8_t> piece;
    std::optional<TBatchReader> file;
    if (run->file)
        file.emplace(*run->file,
                     std::span(positions).subspan(static_cast<std::size_t>(begin),
                                                  static_cast<std::size_t>(end - begin)),
                     piece);
    TTavikPicture picture;
    std::vector<TThumbnail> made;
    made.reserve(static_cast<std::size_t>(end - begin));
    auto handedOver = std::chrono::steady_clock::now();
    for (int i = begin; i < end; ++i) {
        if (run->cancelled.load())
            return;
        TThumbnail& thumbnail = made.emplace_back();
        thumbnail.index = i;
        thumbnail.error = run->openError;
        if (file) {
            try {
                picture.LoadRecord(*file, positions[static_cast<std::size_t>(i)]);
                MakeThumbnails(picture, run->background, run->ratio, thumbnail.large,
                               thumbnail.small);
            } catch (const std::exception& error) {
                thumbnail.error = QString::fromStdString(error.what());
            } catch (...) {
                thumbnail.error = QStringLiteral("Unexpected error");
            }
            if (!thumbnail.error.isEmpty()) {
                thumbnail.large = QImage();
                thumbnail.small = QImage();
            }
        }
        const auto now = std::chrono::steady_clock::now();
        if (i + 1 == end || now - handedOver >= kHandOverInterval) {
            HandOver(run, made);
            handedOver = now;
        }
    }
}

void TThumbnailLoader::HandOver(const std::shared_ptr<TRun>& run, std::vector<TThumbnail>& made) {
    bool post = false;
    {
        const std::lock_guard lock(run->madeLock);
        if (run->made.empty())
            run->made.swap(made);
        else
            std::move(made.begin(), made.end(), std::back_inserter(run->made));
        made.clear();
        post = !std::exchange(run->deliveryPosted, true);
    }
    if (post)
        QMetaObject::invokeMethod(
            this, [this, run] { Deliver(run); }, Qt::QueuedConnection);
}

void TThumbnailLoader::Deliver(const std::shared_ptr<TRun>& run) {
    std::vector<TThumbnail> made;
    {
        const std::lock_guard lock(run->madeLock);
        made.swap(run->made);
        run->deliveryPosted = false;
    }
    // What a cancelled or replaced run made belongs to a list that is gone.
    if (run != FRun || run->cancelled.load() || made.empty())
        return;
    FDelivered += static_cast<int>(made.size());
    for (const TThumbnail& thumbnail : made)
        if (!thumbnail.error.isEmpty() &&
            (FFirstErrorIndex < 0 || thumbnail.index < FFirstErrorIndex)) {
            FFirstErrorIndex = thumbnail.index;
            FFirstError = thumbnail.error;
        }
    emit Ready(made);
    // A handler may have cancelled the run or started another.
    if (run == FRun && FDelivered == run->count) {
        FRunning = false;
        FRun.reset();
        emit Finished(FFirstError);
    }
}

} // namespace tavik
