#pragma once

#include <QString>
#include <initializer_list>
#include <variant>

namespace tavik {

// String-table bases of the three languages: text +N is entry base + N.
constexpr int kRussianBase = 25300;
constexpr int kEnglishBase = 26300;
constexpr int kPortugueseBase = 27300;

// The base for a language value: 1 Russian, 2 Portuguese, anything else English.
int LanguageBaseFor(int language);

// The process-wide base used by LoadText; English until the main window sets it
// from its language.
int LanguageBase();
void SetLanguageBase(int base);

// Qt's own texts (file dialogs, message box buttons, the question before a
// file is replaced) in the language's translation that Qt ships: Russian, or
// Portuguese in its Brazilian translation, the only one of qtbase; English
// for anything else. Replaces the translation installed before; without the
// translation files Qt's texts stay English.
void SetQtLanguage(int language);

// Entry LanguageBase() + offset of the string tables, with "\n" turned into a
// line break; the empty string when the table has no such entry.
QString LoadText(int offset);
// Entry number `entry` of the string tables, independent of the language.
QString LoadTextEntry(int entry);

// One argument of FormatText: an integer or a string.
class TextArg {
public:
    TextArg(int value) : FValue(static_cast<long long>(value)) {}
    TextArg(long long value) : FValue(value) {}
    TextArg(const QString& value) : FValue(value) {}
    TextArg(const char* value) : FValue(QString::fromUtf8(value)) {}
    QString ToString() const;

private:
    std::variant<long long, QString> FValue;
};

// Replaces the "%d" and "%s" markers of format, left to right, by the
// arguments in order ("%%" gives "%"). A marker without an argument is kept
// as it stands; arguments left over are ignored. An argument's own text is
// never scanned for markers.
QString FormatText(const QString& format, std::initializer_list<TextArg> args);

} // namespace tavik
