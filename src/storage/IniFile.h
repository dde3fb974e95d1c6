#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavik {

// A settings file of "[Section]" lines, each followed by "Key=Value" lines.
// The file is read once when the object is made (CRLF or LF line ends; a
// missing file is an empty one); reads and writes then work on the copy in
// memory, and UpdateFile() writes it back through the crash-safe replace with
// LF line ends. Section and key names compare without regard to ASCII case;
// the order of sections and keys is kept. Comment lines (starting with ";"
// or "#") are kept where they stand and written back as they were read. Text
// is bytes, as in the file.
class TIniFile {
public:
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return FFileName; }

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Decimal, or hexadecimal when the value starts with "$", or with "0x"/"0X"
    // and is longer than two characters; hexadecimal wraps to 32 bits. A
    // missing key or a value that does not parse gives defaultValue.
    std::int32_t ReadInteger(const std::string& section, const std::string& key,
                             std::int32_t defaultValue) const;
    // ReadInteger(..., defaultValue ? 1 : 0) != 0.
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    // Change the copy in memory; a new section or key goes to the end.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    // Writes "1" or "0".
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // Writes the file. Throws EIniFileError "Unable to write to <file name>";
    // the old file is then untouched.
    void UpdateFile() const;

    // The parse of a text, for ReadInteger's rules outside a file.
    static bool ParseInteger(const std::string& text, std::int32_t& value);

private:
    struct Entry {
        std::string key; // for a comment, the whole line
        std::string value;
        bool comment = false;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    const Section* FindSection(const std::string& name) const;
    const Entry* FindEntry(const std::string& section, const std::string& key) const;

    std::string FFileName;
    // Comment lines before the first section.
    std::vector<std::string> FHeadComments;
    std::vector<Section> FSections;
};

} // namespace tavik
