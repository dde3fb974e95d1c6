#pragma once

#include "storage/Lists.h"
#include "storage/SafeFile.h"

#include <functional>
#include <string>

namespace tavik {

// The catalogue of a data folder: "tavik.lst" (topics, names, positions),
// "tavik.dat" (picture records) and "tavik.ini" (settings). A folder name
// always ends in "/"; file names are the folder followed by the name.

std::string ListFileName(const std::string& folder);
std::string DataFileName(const std::string& folder);
std::string SettingsFileName(const std::string& folder);

// Where a damaged list file is kept before anything overwrites it.
std::string DamagedListFileName(const std::string& folder);

// Creates (or truncates) a data file holding only "TVD1", flushed to disk.
// Throws EFCreateError "Cannot create file %s", EWriteError.
void CreateDataFile(const std::string& fileName);

struct ListLoadResult {
    // The file does not begin with "TVL1": the topics are left as they were,
    // and the window reports text +1 "Bad data file".
    bool badSignature = false;
};

// Reads a list file into topics. Throws EFOpenError "Cannot open file %s",
// EReadError "Stream read error" for a file shorter than its signature, and
// the errors of TTopicList::ReadFrom (the topics read so far stay).
ListLoadResult LoadListFile(const std::string& fileName, TTopicList& topics);

// Writes "TVL1" and the catalogue stream through the crash-safe replace.
// Throws EFCreateError "Cannot create file %s", EWriteError; the old list file
// is then untouched.
void SaveListFile(const std::string& fileName, const TTopicList& topics);

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
// topics read so far left in topics; the data file is then not created.
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
void SaveCatalog(const std::string& folder, const TTopicList& topics);

// Called once per live picture copied: done runs from 1 to total.
using ProgressCallback = std::function<void(int done, int total)>;

// Rewrites the data file with only the records that topics refer to, in
// catalogue order, right after the signature; images at position 0 are left
// alone. Because new positions mean nothing to the old data file, the new list
// file is written with the new data file and both switch together: on success
// the folder holds the new data and list files and topics hold the new
// positions. On a failure (a damaged record, a full disk) the old files stay
// in use, topics keep their old positions, temporary files are removed and
// the error passes on. A crash at any moment leaves a folder that
// OpenCatalog brings to the old or the new state.
// Throws the errors of LoadRecord, EFCreateError, EWriteError (also when the
// new data file would pass 2 GB).
void CompactDataFile(const std::string& folder, TTopicList& topics,
                     const ProgressCallback& progress = {});

} // namespace tavik
