#include "mainwin/Texts.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>
#include <memory>

static void initStringResources() {
    // The tables live in a static library, whose resource initialiser the
    // linker would otherwise drop.
    Q_INIT_RESOURCE(strings);
}

namespace tavik {

namespace {

int gLanguageBase = kEnglishBase;
std::unique_ptr<QTranslator> gQtTranslator;

QString Unescape(const QString& text) {
    QString result = text;
    result.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return result;
}

// Reads "number<TAB>text" lines; lines starting with '#' and malformed lines
// are skipped.
void ReadTable(const QString& path, QHash<int, QString>& table) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString content = QString::fromUtf8(file.readAll());
    for (const QString& line : content.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const int tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0)
            continue;
        bool ok = false;
        const int entry = line.left(tab).toInt(&ok);
        if (!ok)
            continue;
        QString text = line.mid(tab + 1);
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        table.insert(entry, Unescape(text));
    }
}

const QHash<int, QString>& Table() {
    static const QHash<int, QString> table = [] {
        initStringResources();
        QHash<int, QString> t;
        for (const char* name : {"english", "russian", "portuguese"})
            ReadTable(QStringLiteral(":/strings/%1.txt").arg(QLatin1String(name)), t);
        return t;
    }();
    return table;
}

} // namespace

int LanguageBaseFor(int language) {
    switch (language) {
    case 1:
        return kRussianBase;
    case 2:
        return kPortugueseBase;
    default:
        return kEnglishBase;
    }
}

int LanguageBase() {
    return gLanguageBase;
}

void SetLanguageBase(int base) {
    gLanguageBase = base;
}

QString LoadText(int offset) {
    return LoadTextEntry(gLanguageBase + offset);
}

QString LoadTextEntry(int entry) {
    return Table().value(entry);
}

QString TextArg::ToString() const {
    if (const auto* number = std::get_if<long long>(&FValue))
        return QString::number(*number);
    return std::get<QString>(FValue);
}

QString FormatText(const QString& format, std::initializer_list<TextArg> args) {
    QString result;
    result.reserve(format.size() + 32);
    auto next = args.begin();
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            result += c;
            continue;
        }
        const QChar kind = format.at(i + 1);
        if (kind == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++i;
        } else if ((kind == QLatin1Char('d') || kind == QLatin1Char('s')) && next != args.end()) {
            result += next->ToString();
            ++next;
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

void SetQtLanguage(int language) {
    if (gQtTranslator) {
        QCoreApplication::removeTranslator(gQtTranslator.get());
        gQtTranslator.reset();
    }
    const int base = LanguageBaseFor(language);
    if (base == kEnglishBase) {
        return;
    }
    auto translator = std::make_unique<QTranslator>();
    const QString name =
        base == kRussianBase ? QStringLiteral("qtbase_ru") : QStringLiteral("qtbase_pt_BR");
    if (translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get())) {
        gQtTranslator = std::move(translator);
    }
}

} // namespace tavik
