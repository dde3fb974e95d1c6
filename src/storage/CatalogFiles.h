#pragma once

#include "storage/Exceptions.h"
#include "storage/Lists.h"
#include "storage/SafeFile.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tavik {

// The catalogue of a data folder: "tavik.lst" (topics, names, positions),
// "tavik.dat" (picture records) and "tavik.ini" (settings). A folder name
// always ends in "/"; file names are the folder followed by the name.

std::string ListFileName(const std::string& folder);
std::string DataFileName(const std::string& folder);
std::string SettingsFileName(const std::string& folder);

// Where a damaged list file is kept before anything overwrites it.
std::string DamagedListFileName(const std::string& folder);

// The compacted copy of a data file while it waits to replace it.
std::string PendingDataFileName(const std::string& dataFileName);

// Creates (or truncates) a data file holding only "TVD1", flushed to disk.
// Throws EFCreateError "Cannot create file %s", EWriteError.
void CreateDataFile(const std::string& fileName, TFileSystem& files = RealFiles());

struct ListLoadResult {
    // The file does not begin with "TVL1": the topics are left as they were,
    // and the window reports text +1 "Bad data file".
    bool badSignature = false;
};

// Reads a list file into topics. Throws EFOpenError "Cannot open file %s",
// EReadError "Stream read error" for a file shorter than its signature, the
// errors of TTopicList::ReadFrom (the topics read so far stay), and
// EReadError when bytes follow the end of the list (all topics read stay):
// an end marker that damage put early would otherwise cut the catalogue.
ListLoadResult LoadListFile(const std::string& fileName, TTopicList& topics);

// Writes "TVL1" and the catalogue stream through the crash-safe replace,
// after completing a pending compaction switch of its folder. Throws
// EFCreateError "Cannot create file %s", EWriteError; the old list file is
// then untouched.
void SaveListFile(const std::string& fileName, const TTopicList& topics,
                  TFileSystem& files = RealFiles());

// Copies the folder's list file to DamagedListFileName (or the next free
// "tavik-damaged-N.lst", unless a copy of the same bytes is there) when it does
// not read back whole: bad signature, damaged stream or bytes after its end.
// Returns true when the list file is damaged. Throws the copy's errors, so
// that a caller about to replace the list file can refuse to.
bool PreserveDamagedListFile(const std::string& folder);

enum class RecoveryAction {
    None,       // no compaction had been interrupted
    RolledBack, // it stopped before its switch: the old catalogue stays
    Finished,   // it stopped inside its switch: the new catalogue is put in place
};

// Brings a folder whose compaction was interrupted (crash, power loss) back to
// its old or its new catalogue, and removes leftover temporary files. Run it
// before reading the catalogue. Throws EWriteError when a rename fails.
RecoveryAction RecoverInterruptedCompaction(const std::string& folder);

struct CatalogOpenResult {
    bool badSignature = false;                      // show text +1 "Bad data file"
    RecoveryAction recovery = RecoveryAction::None; // what start-up had to mend
    bool dataFileCreated = false;                   // the folder had no data file
};

// The storage part of start-up: recovery, then the list file if it exists,
// then a new data file if there is none. A list file that is damaged (bad
// signature or a read error) is first copied to DamagedListFileName (unless an
// identical copy is already there), so that the next save cannot lose it.
// Errors while reading the list propagate after the copy is made, with the
// topics read so far left in topics; the data file is then not created. A
// missing data file is not created under a list that refers to records (a
// new one would give their positions to other pictures): EFOpenError "Cannot
// open file %s: it is missing, and the list file refers to pictures in it".
CatalogOpenResult OpenCatalog(const std::string& folder, TTopicList& topics);

// The list and data files that belong together as they lie on disk, for
// programs that read without the lock and so must not mend anything: after an
// interrupted compaction whose switch was decided, the new data file may still
// lie beside its final name. Renames and deletes nothing.
struct CatalogFilesToRead {
    std::string list;
    std::string data;
    bool compactionInterrupted = false; // the next writer will mend the folder
};
CatalogFilesToRead FindCatalogFilesToRead(const std::string& folder);

// Copies the list file aside as DamagedListFile names it (unless an identical
// copy is there already), before a command that rewrites a list the user may
// want back. Throws the errors of reading the list and of ReplaceFile.
void KeepListFileCopy(const std::string& folder);

// SaveListFile on the folder's list file.
void SaveCatalog(const std::string& folder, const TTopicList& topics,
                 TFileSystem& files = RealFiles());

// Called once per live picture copied: done runs from 1 to total.
using ProgressCallback = std::function<void(int done, int total)>;

// Thins out progress reports for a display: the first one passes, then at
// most one every 30 ms, and the last one (done == total) always. Showing
// every picture of a compaction would cost more than copying it.
class TProgressThrottle {
public:
    bool Due(int done, int total);

private:
    bool FReported = false;
    std::chrono::steady_clock::time_point FLast;
};

// A picture whose record could not be read while it was copied: its topic and
// image index in the catalogue and the reason.
struct DamagedPicture {
    int topic = 0;
    int image = 0;
    std::string reason;
};

// A record that cannot even be copied (its signature or length is damaged, so
// where it ends is unknown): names the picture by its indices.
class EDamagedPicture : public EReadError {
public:
    EDamagedPicture(DamagedPicture picture, std::int32_t position)
        : EReadError("Picture " + std::to_string(picture.image) + " of topic " +
                     std::to_string(picture.topic) + " (position " + std::to_string(position) +
                     ") could not be read: " + picture.reason),
          Picture(std::move(picture)) {}
    DamagedPicture Picture;
};

// After a compaction's switch was decided, the new data file "tavik.dat.new"
// is put in place; if that stops after the list file was switched (or the
// decision could not be undone), the catalogue refers to the new data file
// while it still has its waiting name. Completes that switch; throws
// EWriteError "The compacted data file ... cannot replace ..." while it still
// cannot be done, so that nothing is added or saved beside such a catalogue.
// Does nothing when no switch is pending.
void FinishCompactionSwitch(const std::string& folder, TFileSystem& files = RealFiles());

// Rewrites the data file with only the records that topics refer to, in
// catalogue order, right after the signature; images at position 0 are left
// alone. Because new positions mean nothing to the old data file, the new list
// file is written with the new data file and both switch together: on success
// the folder holds the new data and list files and topics hold the new
// positions. A record whose blocks are damaged is copied as it is and listed
// in the result. On a failure (a record that cannot be copied, a full disk)
// the old files stay in use, topics keep their old positions, temporary files
// are removed and the error passes on. The same holds when putting the new
// files in place fails before the list file is switched; after that, topics
// keep the new positions and the switch is completed as FinishCompactionSwitch
// does, whose error passes on if it cannot be. A crash at any moment leaves
// a folder that OpenCatalog brings to the old or the new state. Read-only
// catalogue files are refused, and the new files keep the old ones' rights.
// Throws EDamagedPicture, EFCreateError, EWriteError (also when the new data
// file would pass 2 GB).
std::vector<DamagedPicture> CompactDataFile(const std::string& folder, TTopicList& topics,
                                            const ProgressCallback& progress = {},
                                            TFileSystem& files = RealFiles());

} // namespace tavik
