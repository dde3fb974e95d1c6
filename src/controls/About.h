#pragma once

// TAboutBox: the modal about box. It shows the program's icon, name and
// version on a gradient strip, a link to the program's web page and the
// numbers of topics and pictures of the open catalogue.
//
// Its texts come from the caller's text lookup (text +N of the current
// language); without one the English texts are shown.

#include <QDialog>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace tavik {

class TGradientFill;
class TUrlLabel;

// Looks up text +offset in the current language.
using TTextLookup = std::function<QString(int offset)>;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kVersion = "2.5";
    static constexpr const char* kWebPage = "https://tavik.example.org/";

    explicit TAboutBox(QWidget* parent = nullptr, TTextLookup texts = {});

    // The numbers shown; both 0 until set. Negative values count as 0.
    void SetCounts(int topics, int images);
    int TopicCount() const { return FTopicCount; }
    int ImageCount() const { return FImageCount; }

    // The parts, by the names they carry (also their object names).
    QLabel* ProgramIcon = nullptr;
    TGradientFill* GF1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* VersionLabel = nullptr;
    TUrlLabel* UrlLabel = nullptr;
    QLabel* TopicsLabel = nullptr;
    QLabel* TopicsNumLabel = nullptr;
    QLabel* BitmapsLabel = nullptr;
    QLabel* BitmapsNumLabel = nullptr;
    QFrame* Bevel1 = nullptr;
    QFrame* Bevel2 = nullptr;
    QPushButton* OKButton = nullptr;

public slots:
    // OK is also the cancel button: Escape and the close box give 1 too.
    void reject() override { done(1); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString Text(int offset) const;

    TTextLookup FTexts;
    int FTopicCount = 0;
    int FImageCount = 0;
};

// The program's icon, 32 by 32: the application's window icon when it has
// one, otherwise a drawn picture-frame icon.
QPixmap TavikIcon();

} // namespace tavik
