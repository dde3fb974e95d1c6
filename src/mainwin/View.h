#pragma once
#include <QDialog>
#include <functional>
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
//
// While it is open, + and - (or Ctrl and the mouse wheel) zoom in and out in
// steps, 0 fits the picture into the window and 1 gives the natural size
// again; the zoom holds for the next picture, and every opening starts at the
// natural size. Opened on a row of pictures, the arrow keys and Page Up/Down
// step to the previous or next one, Home and End to the first and last.
class TViewForm : public QDialog {
    Q_OBJECT
public:
    // Gives picture index of a row; may throw, the window then shows nothing
    // for that index and reports the error.
    using TPictureLoader = std::function<TPicture(int index)>;

    // dataFolder ends in "/" and holds "tavik.ini".
    explicit TViewForm(const std::string& dataFolder, QWidget* parent = nullptr);
    ~TViewForm() override;

    // Opens the window modally on a copy of picture (an empty picture shows
    // nothing); returns when the window is closed.
    void ShowPicture(const TPicture& picture);
    // Opens the window modally on picture index of a row of count pictures;
    // returns the index shown last, when the window is closed.
    int ShowPictures(int count, int index, const TPictureLoader& load);

    const TPictureImage& ViewImage() const { return *FViewImage; }
    QScrollArea& ViewScrollBox() const { return *FViewScrollBox; }
    // Places the image in the scroll box for the current window size and zoom.
    void LayoutViewImage();

    // The scale the picture is drawn at (1: natural size) and whether it
    // follows the window's size.
    double Zoom() const { return FZoom; }
    bool Fitted() const { return FFitted; }
    int ShownIndex() const { return FIndex; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key is used up.
    bool ViewKeyDown(const QKeyEvent& key);
    void StepZoom(bool in);
    void SetZoom(double zoom, bool fitted);
    void ShowIndex(int index);
    // A side of the picture at the current zoom.
    int ScaledSide(int side) const;

    std::string FSettingsFileName;
    QScrollArea* FViewScrollBox = nullptr;
    QWidget* FContents = nullptr;
    TPictureImage* FViewImage = nullptr;
    TPictureLoader FLoad;
    int FCount = 0;
    int FIndex = 0;
    double FZoom = 1.0;
    bool FFitted = false;
};

} // namespace tavik
