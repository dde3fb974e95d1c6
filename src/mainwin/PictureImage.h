#pragma once
#include "graphics/Picture.h"
#include <QWidget>

namespace tavik {

// The image control of the preview pane and of the view window: it keeps its
// own copy of a picture and draws it at natural size from its top left corner,
// or scaled to its bounds while Stretch is on. An empty picture draws nothing.
class TPictureImage : public QWidget {
    Q_OBJECT
public:
    explicit TPictureImage(QWidget* parent = nullptr);

    const TPicture& Picture() const { return FPicture; }
    // Takes a copy; the caller's picture may change afterwards.
    void SetPicture(const TPicture& picture);
    void Clear();
    int PictureWidth() const { return FPicture.Width(); }
    int PictureHeight() const { return FPicture.Height(); }

    bool Stretch() const { return FStretch; }
    void SetStretch(bool value);

signals:
    void DblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TPicture FPicture;
    bool FStretch = false;
};

} // namespace tavik
