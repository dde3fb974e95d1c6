#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavik {

// The two thumbnails of the index-th picture of a run; both null, with the
// reason in error, when the picture could not be read.
struct TThumbnail {
    int index = 0;
    QImage large;
    QImage small;
    QString error;
};

// Makes the two thumbnails (32 and 16 pixels) of a topic's pictures on worker
// threads, so that the window answers while a long topic fills. A run opens
// the data file once; each task takes one batch of pictures and reads them by
// position from that file, which stays the run's even when a save replaces
// the data file meanwhile. The first batches are the pictures the list shows
// first, the rest follow in order. Results reach the owner on its own thread
// in groups: a task hands over what it made at the end of its batch (sooner
// when a slow picture holds the batch up), and one call of the event loop
// delivers everything the tasks handed over since the last. A run that is
// cancelled or replaced delivers nothing more, even what its workers finish
// after the cancel.
class TThumbnailLoader : public QObject {
    Q_OBJECT
public:
    explicit TThumbnailLoader(QObject* parent = nullptr);
    // Cancels the run and waits for the pictures being made to end.
    ~TThumbnailLoader() override;

    // Cancels any earlier run and starts making the thumbnails of the records
    // at positions of dataFileName on background, at the screen's device
    // pixel ratio; the first firstCount pictures come before the others. A
    // run of no pictures finishes at once.
    void Start(const std::string& dataFileName, std::vector<std::int32_t> positions,
               const QColor& background, int firstCount, qreal ratio = 1);
    // Drops every outstanding picture of the current run; nothing of it is
    // delivered afterwards and Finished is not emitted.
    void Cancel();
    bool Running() const { return FRunning; }
    // Pictures of the current run delivered so far.
    int Delivered() const { return FDelivered; }
    // Waits until no worker thread is making a picture; what they made is
    // delivered from the event loop afterwards (or dropped, if cancelled).
    void WaitForWorkers() { FPool.waitForDone(); }
    // Threads the pictures are made on (at least one).
    void SetMaxThreads(int count);

signals:
    // Thumbnails of the run made since the last Ready, in no particular
    // order; Delivered() already counts them.
    void Ready(const std::vector<TThumbnail>& made);
    // Every picture of the run has been delivered; firstError is the reason
    // of the first picture in run order that failed, empty when none did.
    void Finished(const QString& firstError);

private:
    struct TRun;
    // Runs on the owner's thread: takes what the tasks handed over.
    void Deliver(const std::shared_ptr<TRun>& run);
    // Runs on a worker thread: hands made over, asking for a delivery unless
    // one is already on its way.
    void HandOver(const std::shared_ptr<TRun>& run, std::vector<TThumbnail>& made);
    void QueueBatches(const std::shared_ptr<TRun>& run,
                      const std::shared_ptr<const std::vector<std::int32_t>>& positions,
                      int firstCount);
    // Runs on a worker thread.
    void MakeBatch(const std::shared_ptr<TRun>& run, const std::vector<std::int32_t>& positions,
                   int begin, int end);

    QThreadPool FPool;
    std::shared_ptr<TRun> FRun;
    bool FRunning = false;
    int FDelivered = 0;
    int FFirstErrorIndex = -1;
    QString FFirstError;
};

} // namespace tavik
