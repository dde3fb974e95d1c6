#pragma once
// A main window on a catalogue folder of its own, and ways to build that
// catalogue before the window opens.
#include "mainwin/MainForm.h"
#include "support/ModalDialogs.h"

#include "storage/Exceptions.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class QWidget;

// Readable QStrings in the messages of failed expectations.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace tavik {

class TTopicList;

namespace testing {

// A picture file written into dir: a BMP of w x h in one colour.
QString WriteBmpFile(const QString& dir, const QString& name, int w, int h,
                     QColor colour = QColor(200, 40, 40));
// An ICO file with one 32-bit image of size x size.
QString WriteIcoFile(const QString& dir, const QString& name, int size, QColor colour);

struct TopicSpec {
    std::string name;
    int pictures; // BMPs of 8 + i x 6 + i pixels, named "p<i>.bmp"
};

// The text of a message dialog of the program.
QString MessageOf(QWidget* dialog);

// The whole contents of a file ("" when it does not exist).
QByteArray ReadFile(const QString& path);

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString Folder() const { return FDir.path(); }
    QString FilePath(const QString& name) const { return FDir.filePath(name); }
    std::string DataFile() const { return FilePath("tavik.dat").toStdString(); }

    // Writes "tavik.lst" and "tavik.dat" for the topics.
    void MakeCatalog(const std::vector<TopicSpec>& topics);
    // Writes "tavik.ini" with the given text.
    void WriteSettings(const QString& text);
    // Reads the list file as the program would.
    std::unique_ptr<TTopicList> ReadCatalog() const;

    // Opens the main window on the folder; dialogs that start-up shows must
    // be armed before.
    TMainForm& Open();
    // Waits until the fill in progress has delivered every thumbnail.
    void WaitForFill();
    // Destroys the window (saving as on exit).
    void Close();

    // A child of the window by object name.
    template <class T = QWidget> T* Child(const char* name) const {
        return FForm->findChild<T*>(QString::fromLatin1(name));
    }
    // Clicks a toolbar button or list header button by name.
    void ClickButton(const char* name);
    // Names of the topics in the topic list / captions of the image list.
    QStringList TopicNames() const;
    QStringList ImageNames() const;
    // Selects exactly these image items (the first becomes current).
    void SelectImages(const std::vector<int>& rows);

    QTemporaryDir FDir;
    std::unique_ptr<TMainForm> FForm;
};

// Arms an answer for the next modal (5 s timeout); a test that relies on it
// checks Answered() itself.
std::shared_ptr<ModalAnswer> Answer(ModalAction action);

// In the folder browser: goes to the folder's parent, names the folder and
// accepts; next, when given, is armed for the dialog after it.
ModalAction ChooseFolder(const QString& folder, ModalAction next = {});
// The import chooser: ticks every topic and confirms.
ModalAction TickAll();

} // namespace testing
} // namespace tavik
