#include "mainwin/SaveFiles.h"

#include "graphics/Graphic.h"
#include "graphics/Picture.h"
#include "graphics/TavikPicture.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/CodePage.h"
#include "storage/Exceptions.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

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

// name with its extension (the part after the last point, if any) replaced.
QString WithExtension(const QString& name, const std::string& extension) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    return stem + QLatin1Char('.') + QString::fromStdString(extension);
}

// The answer of the format step, proposed again for the rest of the run.
ExportFormat gLastGroupFormat = ExportFormat::Original;

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
    entries << QStringLiteral("PNG (*.png)");
    if (kind == PictureKind::Metafile) {
        entries << QStringLiteral("SVG (*.svg)");
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
    const ExportFormat format = FormatOfFileName(picture, path);
    if (format == ExportFormat::Original) {
        picture.SaveToFile(QFile::encodeName(path).toStdString());
        return;
    }
    const std::vector<std::uint8_t> bytes = ExportImage(picture, format);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw EFCreateError("Cannot create file " + QFile::encodeName(path).toStdString());
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size || !file.flush()) {
        throw EWriteError("Stream write error");
    }
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
    // A name typed without extension gets the one of the chosen filter.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
        const qsizetype star = f.indexOf(QStringLiteral("(*."));
        if (star >= 0) {
            dialog.setDefaultSuffix(
                f.mid(star + 3).section(QLatin1Char(' '), 0, 0).remove(QLatin1Char(')')));
        }
    });
    dialog.selectFile(ValidFileName(name));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    const QString path = dialog.selectedFiles().constFirst();
    WritePictureFile(picture, path);
    return path;
}

QStringList SaveImageGroup(const QString& folder, const std::vector<TGroupPicture>& pictures,
                           const std::string& dataFileName, int codePage, ExportFormat format) {
    QStringList written;
    TTavikPicture scratch;
    for (const TGroupPicture& picture : pictures) {
        scratch.LoadFromCatalog(dataFileName, picture.position);
        QString name = QString::fromStdString(ToUtf8(picture.name, codePage));
        name = format == ExportFormat::Original
                   ? WithKindExtension(name, scratch.Kind())
                   : WithExtension(name, ExportExtension(scratch, format));
        const QString path = GroupFilePath(folder, name);
        WritePictureFile(scratch, path);
        written << path;
    }
    return written;
}

} // namespace tavik

namespace tavik {

bool AskGroupFormat(QWidget* parent, ExportFormat& format) {
    QDialog dialog(parent);
    dialog.setObjectName("GroupFormatDialog");
    dialog.setWindowTitle(LoadText(kTextSaveImageHint));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(LoadText(kTextGroupFormatQuestion), &dialog));
    struct Choice {
        ExportFormat format;
        int text;
        const char* name;
    };
    const Choice choices[] = {{ExportFormat::Original, kTextGroupFormatOriginal, "Original"},
                              {ExportFormat::Png, kTextGroupFormatPng, "Png"},
                              {ExportFormat::Svg, kTextGroupFormatSvg, "Svg"}};
    std::vector<std::pair<ExportFormat, QRadioButton*>> buttons;
    for (const auto& [choice, text, name] : choices) {
        auto* button = new QRadioButton(LoadText(text), &dialog);
        button->setObjectName(name);
        button->setChecked(choice == gLastGroupFormat);
        layout->addWidget(button);
        buttons.emplace_back(choice, button);
    }
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    box->button(QDialogButtonBox::Ok)->setObjectName("OK");
    box->button(QDialogButtonBox::Cancel)->setObjectName("Cancel");
    box->button(QDialogButtonBox::Cancel)->setText(LoadText(kTextCancel));
    layout->addWidget(box);
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    for (const auto& [choice, button] : buttons) {
        if (button->isChecked()) {
            gLastGroupFormat = choice;
        }
    }
    format = gLastGroupFormat;
    return true;
}

} // namespace tavik
