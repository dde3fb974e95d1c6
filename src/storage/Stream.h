#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavik {

// A seekable byte stream. Read and Write move the position and return how many
// bytes they moved; only the Read/WriteBuffer forms throw (EReadError
// "Stream read error", EWriteError "Stream write error") when fewer move. The
// write error carries the system's reason when the stream knows one
// ("Stream write error: No space left on device").
class TStream {
public:
    virtual ~TStream() = default;
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual void Seek(std::int64_t position) = 0;
    virtual std::int64_t Position() const = 0;
    virtual std::int64_t Size() const = 0;
    // Why the last write moved fewer bytes than asked; empty when unknown.
    virtual std::string WriteFailure() const { return {}; }

    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
};

// A stream over bytes in memory that grows as it is written.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : FBytes(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    void Seek(std::int64_t position) override;
    std::int64_t Position() const override { return FPosition; }
    std::int64_t Size() const override { return static_cast<std::int64_t>(FBytes.size()); }

    const std::vector<std::uint8_t>& Bytes() const { return FBytes; }
    std::vector<std::uint8_t> TakeBytes();

private:
    std::vector<std::uint8_t> FBytes;
    std::int64_t FPosition = 0;
};

// Reads another stream through a large window, so that many small reads and
// seeks close to each other cost one read of the source per window: the
// records of a data file read one after the other. The source must not change
// while this reads it (its size is taken once); writing is refused.
class TReadAheadStream : public TStream {
public:
    static constexpr std::size_t kWindowSize = 1 << 20;

    explicit TReadAheadStream(TStream& source);

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    // Throws EReadError "Stream read error" for a negative position.
    void Seek(std::int64_t position) override;
    std::int64_t Position() const override { return FPosition; }
    std::int64_t Size() const override { return FSize; }

private:
    TStream& FSource;
    std::vector<std::uint8_t> FWindow;
    std::int64_t FWindowStart = 0; // source position of FWindow[0]
    std::size_t FWindowCount = 0;  // bytes of FWindow that hold source bytes
    std::int64_t FPosition = 0;
    std::int64_t FSize;
};

// A stream on a file of the disk, whose bytes can be flushed and cut.
class TFile : public TStream {
public:
    // Flushes the file's bytes to the disk (fsync); throws EWriteError
    // "Stream write error: <the system's reason>".
    virtual void Flush() = 0;
    // Cuts the file to size bytes; returns false when the system refuses.
    virtual bool Truncate(std::int64_t size) = 0;
};

// A file opened for one operation; closed when the object goes.
class TFileStream : public TFile {
public:
    enum class Mode { Read, ReadWrite, Create };
    // Throws EFOpenError "Cannot open file %s" (Read, ReadWrite) or
    // EFCreateError "Cannot create file %s" (Create truncates or creates).
    TFileStream(const std::string& fileName, Mode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    void Seek(std::int64_t position) override;
    std::int64_t Position() const override;
    std::int64_t Size() const override;
    std::string WriteFailure() const override;
    // Reads at position without moving the stream's own position (pread): one
    // file may be read this way from several threads at once.
    std::size_t ReadAt(std::int64_t position, void* buffer, std::size_t count) const;

    void Flush() override;
    bool Truncate(std::int64_t size) override;

private:
    int FHandle = -1;
    std::string FFileName;
    int FWriteError = 0; // errno of the last write that stopped short
};

// Reads a file that several threads share, each through a reader of its own
// with its own position: nothing moves the file's position. The file's size is
// taken once; the file must outlive the reader. Writing is refused.
class TPositionedReader : public TStream {
public:
    explicit TPositionedReader(const TFileStream& file) : FFile(file), FSize(file.Size()) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void*, std::size_t) override { return 0; }
    // Throws EReadError "Stream read error" for a negative position.
    void Seek(std::int64_t position) override;
    std::int64_t Position() const override { return FPosition; }
    std::int64_t Size() const override { return FSize; }

private:
    const TFileStream& FFile;
    std::int64_t FPosition = 0;
    std::int64_t FSize;
};

} // namespace tavik
