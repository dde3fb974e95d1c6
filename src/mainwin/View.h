#pragma once
#include <QDialog>
#include <string>

class QScrollArea;

namespace tavik {

class TPicture;
class TPictureImage;

// The view window: one for the whole run, shown modally on a copy of a picture
// at natural size, centred when it is smaller than the window and scrollable
// when it is larger. Escape closes it. Its place, size and state are read from
// the settings file's "ViewPlacement" when it is created and written there
// when it is destroyed.
class TViewForm : public QDialog {
    Q_OBJECT
public:
    // dataFolder ends in "/" and holds "tavik.ini".
    explicit TViewForm(const std::string& dataFolder, QWidget* parent = nullptr);
    ~TViewForm() override;

    // Opens the window modally on a copy of picture (an empty picture shows
    // nothing); returns when the window is closed.
    void ShowPicture(const TPicture& picture);

    const TPictureImage& ViewImage() const { return *FViewImage; }
    QScrollArea& ViewScrollBox() const { return *FViewScrollBox; }
    // Places the image in the scroll box for the current window size.
    void LayoutViewImage();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::string FSettingsFileName;
    QScrollArea* FViewScrollBox = nullptr;
    QWidget* FContents = nullptr;
    TPictureImage* FViewImage = nullptr;
};

} // namespace tavik
