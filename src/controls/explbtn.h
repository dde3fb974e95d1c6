#pragma once

// TOfficeButton: the flat toolbar button. It is flat until the mouse is over
// it, carries a picture and a caption in four layouts, can latch down within
// a group of sibling buttons (radio-style, or toggle with AllowAllUp), can
// drop down a menu, and paints everything into an off-screen image first.

#include <QColor>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QWidget>

class QPainter;

namespace tavik {

enum class TExplorerButtonLayout { blBitmapTop, blBitmapBottom, blBitmapLeft, blBitmapRight };
enum class TExplorerButtonShadingType { stLight, stMedium, stDark };
enum class TNewButtonStyle { bsFlat, bsSoft, bsNormal };
enum class TButtonBevelStyle { bsLowered, bsRaised };

enum TExplorerButtonOption {
    boMonoDisplay = 0x1,
    boIconOnly = 0x2,
    boPopupMark = 0x4,
    boShowBevel = 0x8,
};
Q_DECLARE_FLAGS(TExplorerButtonOptions, TExplorerButtonOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TExplorerButtonOptions)

// Returns the caption without accelerator marks: a single "&" is dropped and
// "&&" becomes "&".
QString StripAccelerator(const QString& caption);

// Returns a copy of bitmap in four tones for the "mouse away" look. The colour
// of pixel (0, 0) is the transparent colour and becomes fully transparent
// (alpha 0), so pixel (0, 0) still marks it, as does every pixel with alpha 0;
// every other
// pixel becomes white, highlight, shadow or black by the sum of its red, green
// and blue against the thresholds of the shading type. A null bitmap gives a
// null image.
QImage ShadeBitmap(const QImage& bitmap, TExplorerButtonShadingType shading,
                   const QColor& highlight, const QColor& shadow);

class TOfficeButton : public QWidget {
    Q_OBJECT
public:
    explicit TOfficeButton(QWidget* parent = nullptr);
    ~TOfficeButton() override;

    Qt::Alignment Alignment() const { return FAlignment; } // left, right or center
    void SetAlignment(Qt::Alignment value);
    bool AllowAllUp() const { return FAllowAllUp; }
    // With a non-zero group the value is copied to every sibling of the group.
    void SetAllowAllUp(bool value);
    TButtonBevelStyle BevelStyle() const { return FBevelStyle; }
    void SetBevelStyle(TButtonBevelStyle value);

    // Pictures: pixel (0, 0) of each gives its transparent colour.
    const QImage& Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage& value);
    const QImage& NoFocusBitmap() const { return FNoFocusBitmap; }
    void SetNoFocusBitmap(const QImage& value);
    // When empty, a disabled button shows Bitmap embossed.
    const QImage& DisabledBitmap() const { return FDisabledBitmap; }
    void SetDisabledBitmap(const QImage& value);
    // The shaded picture derived from Bitmap (null without a Bitmap).
    const QImage& ShadedBitmap() const { return FShadedBitmap; }

    QString Caption() const { return FCaption; }
    // "&" marks the accelerator letter (Alt + letter clicks the button). With
    // boIconOnly the hint becomes the caption without the marks.
    void SetCaption(const QString& value);
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& value) { setToolTip(value); }

    int GroupIndex() const { return FGroupIndex; }
    // A button moved to group 0 while down goes up.
    void SetGroupIndex(int value);
    bool Down() const { return FDown; }
    // Ignored in group 0. Going down raises every other down sibling of the group.
    void SetDown(bool value);

    // Shown below the button when it is pressed; no click is fired then. The
    // button does not own the menu; a destroyed menu is forgotten.
    QMenu* DropDownMenu() const { return FDropDownMenu; }
    void SetDropDownMenu(QMenu* value);

    bool Enabled() const { return isEnabled(); }
    // A change raises a button of group 0 and clears the hot and pressed states.
    void SetEnabled(bool value);

    TExplorerButtonLayout Layout() const { return FLayout; }
    void SetLayout(TExplorerButtonLayout value);
    TExplorerButtonOptions Options() const { return FOptions; }
    void SetOptions(TExplorerButtonOptions value);
    TExplorerButtonShadingType ShadingType() const { return FShadingType; }
    void SetShadingType(TExplorerButtonShadingType value);
    bool ShowDownPattern() const { return FShowDownPattern; }
    void SetShowDownPattern(bool value);
    QColor UnselectedFontColor() const; // window text unless set
    void SetUnselectedFontColor(const QColor& value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    TNewButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TNewButtonStyle value);

    // Run-time state: the mouse is over the button / the left button went
    // down on it and has not been released.
    bool Hot() const { return FHot; }
    bool Pressed() const { return FPressed; }

    // Paints the button as it looks now into an image of its size, at the
    // widget's device pixel ratio.
    QImage Render() const;

    QSize sizeHint() const override { return {25, 25}; }

signals:
    void Enter();
    void Exit();
    void Click();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QList<TOfficeButton*> GroupSiblings() const;
    void LatchOnClick();
    void ShowDropDown();
    void ResetAfterPopup();
    void UpdateHotFromCursor();
    void RefreshShadedBitmap();
    void UpdateAccelerator();
    void UpdateHintFromCaption();

    // Everything the face is rendered from: the face painted last is kept and
    // copied while this stays the same.
    struct FaceKey {
        QSize size;
        qint64 palette = 0;
        QFont font;
        bool enabled = false;
        bool down = false;
        bool hot = false;
        bool pressed = false;
        QString caption;
        qint64 bitmaps[4] = {0, 0, 0, 0};
        const QMenu* menu = nullptr;
        Qt::Alignment alignment;
        TButtonBevelStyle bevelStyle = TButtonBevelStyle::bsRaised;
        TExplorerButtonLayout layout = TExplorerButtonLayout::blBitmapTop;
        TExplorerButtonOptions options;
        bool showDownPattern = false;
        QColor unselectedFontColor;
        bool wordWrap = false;
        TNewButtonStyle buttonStyle = TNewButtonStyle::bsFlat;
        bool operator==(const FaceKey&) const = default;
    };
    FaceKey CurrentFaceKey() const;

    // Where the picture, the caption and the drop-down mark go.
    struct FaceLayout;
    FaceLayout ArrangeFace(const QFontMetrics& metrics) const;
    void DrawEdge(QPainter& p, const QRect& r, bool down) const;
    void DrawCaption(QPainter& p, const FaceLayout& face, int dx, const QColor& color) const;
    void DrawContent(QPainter& p, const QRect& r, const FaceLayout& face) const;

    Qt::Alignment FAlignment = Qt::AlignHCenter;
    bool FAllowAllUp = false;
    TButtonBevelStyle FBevelStyle = TButtonBevelStyle::bsRaised;
    QImage FBitmap;
    QImage FNoFocusBitmap;
    QImage FDisabledBitmap;
    QImage FShadedBitmap;
    QString FCaption;
    int FGroupIndex = 0;
    bool FDown = false;
    QPointer<QMenu> FDropDownMenu;
    TExplorerButtonLayout FLayout = TExplorerButtonLayout::blBitmapTop;
    TExplorerButtonOptions FOptions = boIconOnly | boPopupMark | boShowBevel;
    TExplorerButtonShadingType FShadingType = TExplorerButtonShadingType::stMedium;
    bool FShowDownPattern = true;
    QColor FUnselectedFontColor; // invalid: the palette's window text
    bool FWordWrap = false;
    TNewButtonStyle FButtonStyle = TNewButtonStyle::bsFlat;
    bool FHot = false;
    bool FPressed = false;
    bool FInPopup = false;
    QImage FFace; // the face painted last, rendered from FFaceKey
    FaceKey FFaceKey;
    int FShortcutId = 0;
};

} // namespace tavik
