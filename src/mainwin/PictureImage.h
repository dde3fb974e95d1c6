#pragma once
#include "graphics/Picture.h"
#include <QImage>
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
    // What is painted beneath this control over area (in its coordinates):
    // the parent's own painting without its children, or for a window its
    // background.
    QImage Beneath(const QRect& area) const;
    // Paints the picture over what lies beneath the whole control into FFace.
    void RenderFace();

    TPicture FPicture;
    bool FStretch = false;
    // A metafile's control as painted last, and what lay beneath it then:
    // playing a metafile costs far more than copying, and it is played over
    // the pixels beneath it (it may combine with them). Null once the
    // picture or the stretch changed.
    QImage FFace;
    QImage FBeneath;
};

} // namespace tavik
