#pragma once

#include "storage/CatalogFiles.h"

#include <span>
#include <string>

namespace tavik {

// Import of whole topics from another catalogue folder: the file work. The
// program's import (mainwin/Import.cpp) finds the other folder's list file
// whatever the case of its name, reads it with LoadListFile, lets the user
// tick topics, then calls ImportTopics with the ticked indices.
// CompleteFolderName, HasCatalog and LoadImportSource take the folder's files
// by their exact names.

// folder followed by "/" unless it is empty or already ends in one.
std::string CompleteFolderName(const std::string& folder);

// True when the (completed) folder holds a list file.
bool HasCatalog(const std::string& folder);

// Reads the other folder's list file into source with the rules of our own
// (LoadListFile): a bad signature gives an empty source and badSignature;
// a damaged stream throws, keeping the topics read so far. Nothing is
// written to the other folder.
ListLoadResult LoadImportSource(const std::string& folder, TTopicList& source);

// Appends to topics a copy of each source topic whose index is in
// topicIndices, in source order (duplicates count once), with all its
// pictures, whose records are copied from sourceDataFile to the end of
// ownDataFile (pictures at position 0 stay at 0 and are not read; the source
// data file is opened only when a picture needs it). progress is called once
// per picture with (done, total). Returns true when at least one topic was
// copied. A record whose blocks are damaged is copied as it is and named in
// damaged (when given) by its place in topics. The appended records are
// flushed to disk before it returns, also on failure. Errors (EListError for
// an index outside source, EDamagedPicture naming the source picture whose
// record cannot be copied, EFOpenError, EFCreateError for a read-only data
// file, EWriteError also when the data file would pass 2 GB or while a
// compaction's switch is pending) pass on; topics and records copied before
// the error stay, as the catalogue in memory and the end of the data file.
bool ImportTopics(const std::string& sourceDataFile, const TTopicList& source,
                  std::span<const int> topicIndices, const std::string& ownDataFile,
                  TTopicList& topics, const ProgressCallback& progress = {},
                  std::vector<DamagedPicture>* damaged = nullptr, TFileSystem& files = RealFiles());

} // namespace tavik
