#pragma once

// The gallery window: one tab per group of controls, each control shown in
// its states side by side.

#include <QTabWidget>

namespace tavik::gallery {

class TGallery : public QTabWidget {
    Q_OBJECT
public:
    explicit TGallery(QWidget* parent = nullptr);

    // Saves a PNG of every tab and of every dialog into folder. Returns the
    // names of the files written.
    QStringList SaveScreenshots(const QString& folder);

private:
    QWidget* ButtonsPage();
    QWidget* SplitterPage();
    QWidget* GradientPage();
    QWidget* ListsPage();
    QWidget* DialogsPage();
};

} // namespace tavik::gallery
