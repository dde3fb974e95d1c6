#pragma once

// TUrlLabel: a label that opens a web or mail address when clicked. It is
// blue and underlined, shows ActiveColor while the left button is held down,
// has a hand cursor and a context menu whose one item copies the caption.

#include <QColor>
#include <QLabel>

class QMenu;

namespace tavik {

class TUrlLabel : public QLabel {
    Q_OBJECT
public:
    explicit TUrlLabel(QWidget* parent = nullptr);

    // The address to open; when blank the caption is opened instead.
    QString URL() const { return FURL; }
    void SetURL(const QString& value) { FURL = value; }
    QColor ActiveColor() const { return FActiveColor; }
    void SetActiveColor(const QColor& value) { FActiveColor = value; }

    // Opens the target (URL, else the caption) unless both are blank. A
    // failure to open is not reported.
    void Click();
    // The label's context menu ("Copy").
    QMenu* CopyMenu() const { return FMenu; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetFontColor(const QColor& color);

    QString FURL;
    QColor FActiveColor = QColor(128, 0, 128);
    QColor FSavedColor;
    bool FHeld = false;
    QMenu* FMenu = nullptr;
};

} // namespace tavik
