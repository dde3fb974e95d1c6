#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tavik {

class TnfPanel;
class TPicture;
class TPictureImage;

// The dialog that names a picture taken from the clipboard: a preview of the
// picture at natural size (cut off at the frame), its size, and the name to
// give it, proposed as "NewImage." + the default extension of its kind.
// Client area 300 x 148, fixed, centred on the screen. OK (or Enter) accepts
// with result 1, Cancel (or Escape) rejects.
class TPasteForm : public QDialog {
    Q_OBJECT
public:
    explicit TPasteForm(QWidget* parent = nullptr);

    // Shows a copy of picture, its size, and selects the proposed name.
    void SetPicture(const TPicture& picture);
    QString PictureName() const;

    TnfPanel* BackPanel = nullptr;
    TnfPanel* PreviewPanel = nullptr;
    TPictureImage* PreviewImage = nullptr;
    QLabel* SizeLabel = nullptr;
    QLabel* NameLabel = nullptr;
    QLineEdit* BitmapNameEdit = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

signals:
    // A double click on the preview; the picture is the dialog's own copy.
    void PreviewDblClick(const TPicture& picture);

protected:
    void showEvent(QShowEvent* event) override;
};

// "NewImage." followed by the default extension of the picture's kind ("bmp",
// "ico" or "emf"); "NewImage." alone for a picture without a graphic.
QString ProposedPasteName(const TPicture& picture);

// Runs the paste dialog on picture and returns the name typed, unchanged (it
// may be empty); the empty text when the dialog is cancelled. The name field
// starts with name, or with the proposed name when name is empty. A double
// click on the preview calls showView with the picture and waits for it to
// return.
QString AskPasteName(const TPicture& picture,
                     const std::function<void(const TPicture&)>& showView = {},
                     QWidget* parent = nullptr, const QString& name = {});

} // namespace tavik
