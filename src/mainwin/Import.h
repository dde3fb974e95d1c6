#pragma once

#include <QDialog>
#include <QString>
#include <string>

class QFrame;
class QPushButton;

namespace tavik {

class TbCheckListBox;
class TTopicList;

// The chooser of the topics to import: one check line per topic of the other
// catalogue, none ticked; Select all ticks every line. Client area 237 x 227,
// fixed, centred on the screen; OK gives result 1, Cancel (or Escape) 2.
class TImportForm : public QDialog {
    Q_OBJECT
public:
    explicit TImportForm(QWidget* parent = nullptr);

    // Replaces the lines by names, in one batch, none ticked.
    void SetTopicNames(const QStringList& names);
    // Indices of the ticked lines, ascending.
    std::vector<int> CheckedIndices() const;

    TbCheckListBox* NewTopicListBox = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* SelectAllBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SelectAllBtnClick();
};

// The file in folder whose name equals name without regard to case (the exact
// name first); the empty text when there is none. Catalogues copied from
// systems that ignore case may carry "TAVIK.LST".
QString FindFileIgnoringCase(const QString& folder, const QString& name);

// Copies the topics the user ticks from the catalogue in folder to the end of
// catalogue, with all their pictures, whose records are appended to
// ownDataFileName at once. Messages are in language; names are shown decoded
// from codePage. Returns true when at least one topic was ticked and copied.
//
// A folder without a list file gets a warning and returns false; a list file
// of the wrong signature shows "Bad data file" and an empty chooser. Pictures
// whose records are damaged inside are copied as they are and named in one
// warning afterwards. A damaged list file, or a picture that cannot be copied
// (named in the error) or appended, raises its error: the topics and records
// copied before it stay in catalogue and in the data file. A progress window keeps the program's
// other windows disabled while pictures are copied.
bool ImportTopics(const QString& folder, TTopicList& catalogue, const std::string& ownDataFileName,
                  int language, int codePage);

} // namespace tavik
