#pragma once

#include "storage/SafeFile.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace tavik::test {

// A file system that records what a save does to the disk, in order:
// "create F", "open F" (for writing), "write F" (a run of writes to one file
// counts once), "flush F", "truncate F", "rename F G", "sync", "remove F",
// where F is the file part of the name and "temp" stands for a temporary
// file. BeforeStep runs before each step is done and may throw to fail it or
// end the process to simulate a crash there. The files opened for writing take
// WriteLimit bytes in all (-1: no limit) and then refuse, like a full disk.
class TRecordingFiles : public TFileSystem {
public:
    std::vector<std::string> Steps;
    std::function<void(const std::string& step)> BeforeStep;
    std::int64_t WriteLimit = -1;

    std::unique_ptr<TFile> Open(const std::string& fileName, TFileStream::Mode mode) override {
        if (mode == TFileStream::Mode::Read)
            return TFileSystem::Open(fileName, mode);
        Step((mode == TFileStream::Mode::Create ? "create " : "open ") + Name(fileName));
        return std::make_unique<TRecordedFile>(*this, TFileSystem::Open(fileName, mode),
                                               Name(fileName));
    }
    std::string MakeTempFile(const std::string& folder) override {
        return TFileSystem::MakeTempFile(folder);
    }
    void Rename(const std::string& from, const std::string& to) override {
        Step("rename " + Name(from) + " " + Name(to));
        TFileSystem::Rename(from, to);
    }
    void SyncFolder(const std::string& folder) override {
        Step("sync");
        TFileSystem::SyncFolder(folder);
    }
    bool Remove(const std::string& fileName) override {
        Step("remove " + Name(fileName));
        return TFileSystem::Remove(fileName);
    }

    // The index of the first step equal to step, or -1.
    int IndexOf(const std::string& step) const {
        const auto it = std::find(Steps.begin(), Steps.end(), step);
        return it == Steps.end() ? -1 : static_cast<int>(it - Steps.begin());
    }

private:
    class TRecordedFile : public TFile {
    public:
        TRecordedFile(TRecordingFiles& files, std::unique_ptr<TFile> file, std::string name)
            : FFiles(files), FFile(std::move(file)), FName(std::move(name)) {}
        std::size_t Read(void* buffer, std::size_t count) override {
            return FFile->Read(buffer, count);
        }
        std::size_t Write(const void* buffer, std::size_t count) override {
            FFiles.Step("write " + FName);
            std::size_t allowed = count;
            if (FFiles.WriteLimit >= 0)
                allowed = static_cast<std::size_t>(
                    std::min<std::int64_t>(FFiles.WriteLimit, static_cast<std::int64_t>(count)));
            const std::size_t done = FFile->Write(buffer, allowed);
            if (FFiles.WriteLimit >= 0)
                FFiles.WriteLimit -= static_cast<std::int64_t>(done);
            FFull = done < count;
            return done;
        }
        void Seek(std::int64_t position) override { FFile->Seek(position); }
        std::int64_t Position() const override { return FFile->Position(); }
        std::int64_t Size() const override { return FFile->Size(); }
        std::string WriteFailure() const override {
            return FFull ? "No space left on device" : FFile->WriteFailure();
        }
        void Flush() override {
            FFiles.Step("flush " + FName);
            FFile->Flush();
        }
        bool Truncate(std::int64_t size) override {
            FFiles.Step("truncate " + FName);
            return FFile->Truncate(size);
        }

    private:
        TRecordingFiles& FFiles;
        std::unique_ptr<TFile> FFile;
        std::string FName;
        bool FFull = false;
    };

    static std::string Name(const std::string& fileName) {
        const std::string name = fileName.substr(fileName.rfind('/') + 1);
        return IsTempFileName(name) ? "temp" : name;
    }

    void Step(const std::string& step) {
        if (step.rfind("write ", 0) == 0 && !Steps.empty() && Steps.back() == step)
            return;
        if (BeforeStep)
            BeforeStep(step);
        Steps.push_back(step);
    }
};

} // namespace tavik::test
