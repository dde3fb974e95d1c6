#include "mainwin/Import.h"

#include "controls/CheckLB.h"
#include "controls/MessDlgs.h"
#include "mainwin/DamagedReport.h"
#include "mainwin/Progress.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/Exceptions.h"
#include "storage/Import.h"
#include "storage/Lists.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <optional>

namespace tavik {

namespace {

const QString kListFile = QString::fromLatin1(kListFileLeaf);
const QString kDataFile = QString::fromLatin1(kDataFileLeaf);

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int top) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(156, top, 75, 24);
    return button;
}

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString CompletedFolder(const QString& folder) {
    return QFile::decodeName(QByteArray::fromStdString(CompleteFolderName(LocalPath(folder))));
}

void ShowBadDataFile() {
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                    LoadText(kTextBadDataFile), QMessageBox::Ok);
    box.setObjectName("BadDataFile");
    box.exec();
}

// The data file beside the list file, found as the list file is: whatever the
// case of its name.
std::string SourceDataFile(const QString& folder) {
    const QString dataFile = FindFileIgnoringCase(folder, kDataFile);
    return LocalPath(dataFile.isEmpty() ? folder + kDataFile : dataFile);
}

int PictureCount(const TTopicList& source, const std::vector<int>& indices) {
    int count = 0;
    for (int index : indices) {
        count += source.Topics(index).Bmps.Count();
    }
    return count;
}

} // namespace

TImportForm::TImportForm(QWidget* parent) : QDialog(parent) {
    setObjectName("ImportForm");
    setWindowTitle(LoadText(kTextImportCaption));
    setFixedSize(237, 227);

    NewTopicListBox = new TbCheckListBox(this);
    NewTopicListBox->setObjectName("NewTopicListBox");
    NewTopicListBox->setGeometry(8, 8, 137, 209);
    NewTopicListBox->SetItemHeight(16);

    OKBtn = MakeButton(this, "OKBtn", QStringLiteral("OK"), 8);
    OKBtn->setProperty("modalResult", mrOk);
    OKBtn->setDefault(true);
    CancelBtn = MakeButton(this, "CancelBtn", LoadText(kTextCancel), 40);
    CancelBtn->setProperty("modalResult", mrCancel);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(156, 72, 74, 2);

    SelectAllBtn = MakeButton(this, "SelectAllBtn", LoadText(kTextSelectAll), 81);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(SelectAllBtn, &QPushButton::clicked, this, &TImportForm::SelectAllBtnClick);
}

void TImportForm::SetTopicNames(const QStringList& names) {
    NewTopicListBox->setUpdatesEnabled(false);
    NewTopicListBox->clear();
    NewTopicListBox->addItems(names);
    NewTopicListBox->setUpdatesEnabled(true);
}

std::vector<int> TImportForm::CheckedIndices() const {
    std::vector<int> indices;
    for (int i = 0; i < NewTopicListBox->count(); ++i) {
        if (NewTopicListBox->IsChecked(i)) {
            indices.push_back(i);
        }
    }
    return indices;
}

void TImportForm::SelectAllBtnClick() {
    for (int i = 0; i < NewTopicListBox->count(); ++i) {
        NewTopicListBox->SetChecked(i, true);
    }
}

void TImportForm::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    if (NewTopicListBox->count() > 0) {
        NewTopicListBox->setCurrentRow(0);
    }
    QDialog::showEvent(event);
}

QString FindFileIgnoringCase(const QString& folder, const QString& name) {
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(name)).isFile()) {
        return dir.filePath(name);
    }
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
    }
    return {};
}

bool ImportTopics(const QString& folder, TTopicList& catalogue, const std::string& ownDataFileName,
                  int language, int codePage) {
    const QString completed = CompletedFolder(folder);
    const QString listFile = FindFileIgnoringCase(completed, kListFile);
    if (listFile.isEmpty()) {
        MessageDlgLang(FormatText(LoadText(kTextNoCatalog), {completed}), MsgDlgKind::Warning, mbOK,
                       0, language);
        return false;
    }

    TTopicList source;
    if (LoadListFile(LocalPath(listFile), source).badSignature) {
        ShowBadDataFile();
    }

    TImportForm form;
    QStringList names;
    for (int i = 0; i < source.Count(); ++i) {
        names << QString::fromStdString(ToUtf8(source.Topics(i).Name, codePage));
    }
    form.SetTopicNames(names);
    if (form.exec() != QDialog::Accepted) {
        return false;
    }
    const std::vector<int> chosen = form.CheckedIndices();
    if (chosen.empty()) {
        return false;
    }

    std::vector<DamagedPicture> damaged;
    bool imported = false;
    try {
        TProgressManager progress(QGuiApplication::applicationDisplayName(),
                                  PictureCount(source, chosen), 0, LoadText(kTextImporting));
        progress.Show();
        imported = ImportTopics(
            SourceDataFile(completed), source, chosen, ownDataFileName, catalogue,
            [&](int, int) {
                // Lets the progress window repaint; the other windows stay
                // disabled.
                QCoreApplication::processEvents();
                progress.Step();
            },
            &damaged);
    } catch (const EDamagedPicture& error) {
        throw Exception(QStringLiteral("%1 in %2 cannot be read (%3); the import stopped there.")
                            .arg(PictureInTopicText(source, error.Picture, codePage), completed,
                                 QString::fromStdString(error.Picture.reason))
                            .toStdString());
    }
    ReportDamagedPictures(catalogue, damaged, codePage, nullptr);
    return imported;
}

} // namespace tavik
