#include "storage/IniFile.h"

#include "storage/Exceptions.h"
#include "storage/SafeFile.h"
#include "storage/Stream.h"

namespace tavik {
namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The file's bytes; empty when it cannot be read (missing, a folder, ...):
// the settings then start from their defaults, and a write reports the file.
std::string ReadSettingsText(const std::string& fileName) {
    if (!FileExists(fileName))
        return {};
    try {
        TFileStream file(fileName, TFileStream::Mode::Read);
        std::string text(static_cast<std::size_t>(file.Size()), '\0');
        text.resize(file.Read(text.data(), text.size()));
        return text;
    } catch (const Exception&) {
        return {};
    }
}

} // namespace

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName)) {
    const std::string text = ReadSettingsText(FFileName);
    Section* current = nullptr;
    std::size_t at = 0;
    while (at < text.size()) {
        auto eol = text.find('\n', at);
        if (eol == std::string::npos)
            eol = text.size();
        std::string line = text.substr(at, eol - at);
        at = eol + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        line = Trim(line);
        if (line.empty())
            continue;
        if (line[0] == ';' || line[0] == '#') {
            if (current == nullptr)
                FHeadComments.push_back(line);
            else
                current->entries.push_back(Entry{line, {}, true});
            continue;
        }
        if (line.front() == '[') {
            const auto close = line.find(']');
            const std::string name =
                Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            current = nullptr;
            for (auto& section : FSections)
                if (SameName(section.name, name))
                    current = &section;
            if (current == nullptr)
                current = &FSections.emplace_back(Section{name, {}});
            continue;
        }
        const auto equals = line.find('=');
        if (current == nullptr || equals == std::string::npos)
            continue;
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        bool found = false;
        // The first of two equal keys is the one a reader sees; keep it.
        for (const auto& entry : current->entries)
            found = found || (!entry.comment && SameName(entry.key, key));
        if (!found)
            current->entries.push_back(Entry{key, value, false});
    }
}

const TIniFile::Section* TIniFile::FindSection(const std::string& name) const {
    for (const auto& section : FSections)
        if (SameName(section.name, name))
            return &section;
    return nullptr;
}

const TIniFile::Entry* TIniFile::FindEntry(const std::string& section,
                                           const std::string& key) const {
    const Section* s = FindSection(section);
    if (s == nullptr)
        return nullptr;
    for (const auto& entry : s->entries)
        if (!entry.comment && SameName(entry.key, key))
            return &entry;
    return nullptr;
}

bool TIniFile::SectionExists(const std::string& section) const {
    return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
    return FindEntry(section, key) != nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    const Entry* entry = FindEntry(section, key);
    return entry != nullptr ? entry->value : defaultValue;
}

bool TIniFile::ParseInteger(const std::string& raw, std::int32_t& value) {
    const std::string text = Trim(raw);
    std::size_t digits = 0;
    if (!text.empty() && text[0] == '$')
        digits = 1;
    else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        digits = 2;
    if (digits != 0) {
        if (text.size() == digits || text.size() - digits > 8)
            return false;
        std::uint32_t v = 0;
        for (std::size_t i = digits; i < text.size(); ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0)
                return false;
            v = v << 4 | static_cast<std::uint32_t>(d);
        }
        value = static_cast<std::int32_t>(v);
        return true;
    }
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        v = v * 10 + (text[i] - '0');
        if (v > std::int64_t{2147483648})
            return false;
    }
    v = negative ? -v : v;
    if (v > 2147483647)
        return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                                   std::int32_t defaultValue) const {
    const Entry* entry = FindEntry(section, key);
    std::int32_t value = 0;
    if (entry == nullptr || !ParseInteger(entry->value, value))
        return defaultValue;
    return value;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key,
                        bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    Section* target = const_cast<Section*>(FindSection(section));
    if (target == nullptr)
        target = &FSections.emplace_back(Section{section, {}});
    for (auto& entry : target->entries) {
        if (!entry.comment && SameName(entry.key, key)) {
            entry.value = value;
            return;
        }
    }
    target->entries.push_back(Entry{key, value, false});
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key,
                            std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::UpdateFile() const {
    std::string text;
    for (const auto& comment : FHeadComments)
        text += comment + "\n";
    for (const auto& section : FSections) {
        if (!text.empty())
            text += '\n';
        text += "[" + section.name + "]\n";
        for (const auto& entry : section.entries)
            text += entry.comment ? entry.key + "\n" : entry.key + "=" + entry.value + "\n";
    }
    try {
        ReplaceFile(FFileName, [&](TStream& out) { out.WriteBuffer(text.data(), text.size()); });
    } catch (const Exception&) {
        throw EIniFileError("Unable to write to " + FFileName);
    }
}

} // namespace tavik
