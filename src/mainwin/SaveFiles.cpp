#include "mainwin/SaveFiles.h"

#include "graphics/Graphic.h"
#include "graphics/Picture.h"
#include "graphics/TavikPicture.h"
#include "storage/CodePage.h"

#include <QFile>
#include <QFileDialog>

namespace tavik {

namespace {

// The longest file name the common Linux file systems accept, in bytes.
constexpr int kMaxFileNameBytes = 255;
// A longer tail after the last point is not taken for an extension.
constexpr int kMaxExtensionBytes = 32;

int Utf8Length(const QString& text) {
    return static_cast<int>(text.toUtf8().size());
}

// Drops whole characters from the end until the UTF-8 form fits in bytes.
QString CutToUtf8Bytes(QString text, int bytes) {
    while (!text.isEmpty() && Utf8Length(text) > bytes) {
        const bool pair = text.size() >= 2 && text.back().isLowSurrogate() &&
                          text.at(text.size() - 2).isHighSurrogate();
        text.chop(pair ? 2 : 1);
    }
    return text;
}

QString ShortenFileName(const QString& name) {
    QString stem = name;
    QString extension;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && Utf8Length(name.mid(dot)) <= kMaxExtensionBytes) {
        stem = name.left(dot);
        extension = name.mid(dot);
    }
    return CutToUtf8Bytes(stem, kMaxFileNameBytes - Utf8Length(extension)) + extension;
}

} // namespace

QString SaveFilterOf(PictureKind kind) {
    QStringList entries;
    QStringList patterns;
    for (const PictureFileFormat& format : FileFormats(kind)) {
        const QString pattern = QStringLiteral("*.") + QString::fromStdString(format.extension);
        entries << QStringLiteral("%1 (%2)").arg(QString::fromStdString(format.description),
                                                 pattern);
        patterns << pattern;
    }
    if (patterns.size() > 1) {
        entries.prepend(QStringLiteral("All (%1)").arg(patterns.join(QLatin1Char(' '))));
    }
    return entries.join(QStringLiteral(";;"));
}

QString ValidFileName(const QString& name) {
    QString result = name;
    result.replace(QLatin1Char('/'), QLatin1Char('_'));
    result.replace(QChar(u'\0'), QLatin1Char('_'));
    if (result == QLatin1String(".") || result == QLatin1String("..")) {
        result.fill(QLatin1Char('_'));
    }
    if (Utf8Length(result) > kMaxFileNameBytes) {
        result = ShortenFileName(result);
    }
    return result;
}

QString WithKindExtension(const QString& name, PictureKind kind) {
    const QString extension = QString::fromStdString(DefaultExtension(kind));
    const qsizetype point = name.lastIndexOf(QLatin1Char('.'));
    if (extension.isEmpty() || (point != -1 && point < name.size() - 1)) {
        return name;
    }
    return name + (point == -1 ? QStringLiteral(".") : QString()) + extension;
}

QString GroupFilePath(const QString& folder, const QString& name) {
    QString path = folder;
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    return path + ValidFileName(name);
}

void WritePictureFile(const TPicture& picture, const QString& path) {
    picture.SaveToFile(QFile::encodeName(path).toStdString());
}

QString SaveImageAs(const TPicture& picture, const QString& name, QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setObjectName("SaveBmpDialog");
    // Qt's own dialog: the same on every desktop, and one the tests can drive.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(SaveFilterOf(picture.Kind()));
    dialog.setDefaultSuffix(QString::fromStdString(DefaultExtension(picture.Kind())));
    dialog.selectFile(ValidFileName(name));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString path = dialog.selectedFiles().constFirst();
    WritePictureFile(picture, path);
    return path;
}

QStringList SaveImageGroup(const QString& folder, const std::vector<TGroupPicture>& pictures,
                           const std::string& dataFileName, int codePage) {
    QStringList written;
    TTavikPicture scratch;
    for (const TGroupPicture& picture : pictures) {
        scratch.LoadFromCatalog(dataFileName, picture.position);
        const QString name = QString::fromStdString(ToUtf8(picture.name, codePage));
        const QString path = GroupFilePath(folder, WithKindExtension(name, scratch.Kind()));
        WritePictureFile(scratch, path);
        written << path;
    }
    return written;
}

} // namespace tavik
