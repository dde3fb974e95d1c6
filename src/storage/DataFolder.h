#pragma once

#include <string>

namespace tavik {

// The data folder of a program file: everything up to and including its last
// "/". Empty for a bare name. Paths use "/" on every platform here.
std::string DataFolderOf(const std::string& programPath);

// A folder name that ends in "/" (an empty name stays empty).
std::string WithTrailingSeparator(const std::string& folder);

// The data folder of the running program (the folder of its executable);
// falls back to the current folder ("./") when the system cannot tell.
std::string ProgramDataFolder();

} // namespace tavik
