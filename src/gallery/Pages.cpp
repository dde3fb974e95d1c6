#include "gallery/Gallery.h"
#include "gallery/Glyphs.h"

#include "controls/About.h"
#include "controls/BmpLV.h"
#include "controls/BrowseDr.h"
#include "controls/CheckLB.h"
#include "controls/GFill.h"
#include "controls/MarkLB.h"
#include "controls/MessDlgs.h"
#include "controls/UrlLabel.h"
#include "controls/aSplit.h"
#include "controls/explbtn.h"
#include "controls/nfPanel.h"
#include "mainwin/Progress.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tavik::gallery {

namespace {

enum class State { Up, Hot, Pressed, Down, Disabled, DisabledDown };

const char* StateName(State state) {
    switch (state) {
    case State::Up:
        return "up";
    case State::Hot:
        return "hot";
    case State::Pressed:
        return "pressed";
    case State::Down:
        return "down";
    case State::Disabled:
        return "disabled";
    case State::DisabledDown:
        return "disabled, down";
    }
    return "";
}

// A group of its own, so that a latched sample raises no other.
int NextGroup() {
    static int group = 1000;
    return ++group;
}

// Puts a button into a state the mouse would give it, so that all states can
// be seen at once.
void ApplyState(TOfficeButton* button, State state) {
    const QPointF centre(button->width() / 2.0, button->height() / 2.0);
    switch (state) {
    case State::Up:
        break;
    case State::Hot: {
        QEnterEvent enter(centre, centre, centre);
        QApplication::sendEvent(button, &enter);
        break;
    }
    case State::Pressed: {
        QEnterEvent enter(centre, centre, centre);
        QApplication::sendEvent(button, &enter);
        QMouseEvent press(QEvent::MouseButtonPress, centre, centre, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        // A press would open the drop-down menu; show the look without it.
        QMenu* menu = button->DropDownMenu();
        button->SetDropDownMenu(nullptr);
        QApplication::sendEvent(button, &press);
        button->SetDropDownMenu(menu);
        break;
    }
    case State::Down:
        button->SetGroupIndex(NextGroup());
        button->SetDown(true);
        break;
    case State::Disabled:
        button->SetEnabled(false);
        break;
    case State::DisabledDown:
        button->SetGroupIndex(NextGroup());
        button->SetDown(true);
        button->SetEnabled(false);
        break;
    }
}

QLabel* Caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QMenu* SampleMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->addAction(QStringLiteral("Large icons"));
    menu->addAction(QStringLiteral("Small icons"));
    menu->addAction(QStringLiteral("List"));
    return menu;
}

} // namespace

QWidget* TGallery::ButtonsPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    const State states[] = {State::Up,   State::Hot,      State::Pressed,
                            State::Down, State::Disabled, State::DisabledDown};
    for (int c = 0; c < 6; ++c)
        grid->addWidget(Caption(QString::fromLatin1(StateName(states[c])), page), 0, c + 1);

    struct Row {
        const char* name;
        TNewButtonStyle style;
        TExplorerButtonOptions options;
        bool menu;
        QString caption;
        TExplorerButtonLayout layout;
        QSize size;
    };
    using L = TExplorerButtonLayout;
    const Row rows[] = {
        {"flat, picture",
         TNewButtonStyle::bsFlat,
         boIconOnly | boShowBevel,
         false,
         "&Add",
         L::blBitmapTop,
         {25, 25}},
        {"soft, picture",
         TNewButtonStyle::bsSoft,
         boIconOnly | boShowBevel,
         false,
         "&Add",
         L::blBitmapTop,
         {25, 25}},
        {"normal, picture",
         TNewButtonStyle::bsNormal,
         boIconOnly | boShowBevel,
         false,
         "&Add",
         L::blBitmapTop,
         {25, 25}},
        {"flat, drop-down",
         TNewButtonStyle::bsFlat,
         boIconOnly | boShowBevel | boPopupMark,
         true,
         "View",
         L::blBitmapTop,
         {36, 25}},
        {"mono display",
         TNewButtonStyle::bsFlat,
         boIconOnly | boShowBevel | boMonoDisplay,
         false,
         "Picture",
         L::blBitmapTop,
         {25, 25}},
        {"caption, left",
         TNewButtonStyle::bsSoft,
         boShowBevel,
         false,
         "&Topics",
         L::blBitmapLeft,
         {90, 25}},
        {"caption, top",
         TNewButtonStyle::bsFlat,
         boShowBevel,
         false,
         "&Delete",
         L::blBitmapTop,
         {60, 44}},
        {"header",
         TNewButtonStyle::bsSoft,
         boShowBevel,
         false,
         "Images (40):",
         L::blBitmapTop,
         {110, 21}},
    };
    const Glyph glyphs[] = {Glyph::Plus,    Glyph::Plus,  Glyph::Plus,  Glyph::Folder,
                            Glyph::Picture, Glyph::Arrow, Glyph::Cross, Glyph::Plus};
    int r = 1;
    for (const Row& row : rows) {
        grid->addWidget(new QLabel(QString::fromLatin1(row.name), page), r, 0);
        for (int c = 0; c < 6; ++c) {
            auto* holder = new QWidget(page);
            holder->setFixedSize(row.size + QSize(8, 8));
            auto* button = new TOfficeButton(holder);
            button->setGeometry(4, 4, row.size.width(), row.size.height());
            button->SetButtonStyle(row.style);
            button->SetOptions(row.options);
            button->SetLayout(row.layout);
            button->SetCaption(row.caption);
            if (r != 8)
                button->SetBitmap(MakeGlyph(glyphs[r - 1]));
            else
                button->SetAlignment(Qt::AlignLeft);
            if (row.menu)
                button->SetDropDownMenu(SampleMenu(button));
            // Hot and pressed need a visible button: set the states once shown.
            QTimer::singleShot(0, button,
                               [button, state = states[c]] { ApplyState(button, state); });
            grid->addWidget(holder, r, c + 1, Qt::AlignCenter);
        }
        ++r;
    }

    // A live group to try: radio-style latching of the three view buttons.
    auto* live = new QGroupBox(QStringLiteral("Try them: a latching group and a toggle"), page);
    const Glyph liveGlyphs[] = {Glyph::Picture, Glyph::Folder, Glyph::Arrow, Glyph::Plus};
    for (int i = 0; i < 4; ++i) {
        auto* button = new TOfficeButton(live);
        button->setGeometry(10 + 30 * i, 24, 25, 25);
        button->SetBitmap(MakeGlyph(liveGlyphs[i]));
        button->SetGroupIndex(i < 3 ? 1 : 2);
        button->SetCaption(i < 3 ? QStringLiteral("View %1").arg(i + 1) : QStringLiteral("Toggle"));
        if (i == 3)
            button->SetAllowAllUp(true);
    }
    live->setMinimumHeight(60);
    grid->addWidget(live, r, 0, 1, 7);
    grid->setRowStretch(r + 1, 1);
    return page;
}

QWidget* TGallery::SplitterPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* help = new QLabel(
        QStringLiteral("Drag the bars: the left column keeps 60..(width-160) pixels, the preview "
                       "at least 50 and the list above it at least 120. Escape cancels a drag."),
        page);
    help->setWordWrap(true);
    layout->addWidget(help);

    auto* frame = new TnfPanel(page);
    frame->SetBevelOuter(TPanelBevel::bvLowered);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(0);

    auto* column = new TnfPanel(frame);
    column->setFixedWidth(180);
    auto* columnLayout = new QVBoxLayout(column);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(0);
    auto* topics = new TnfPanel(column);
    topics->SetCaption(QStringLiteral("Topic list"));
    auto* vsplit = new TaSplitter(column);
    vsplit->SetAlign(TSplitterAlign::alBottom);
    vsplit->SetTopLeftLimit(120);
    vsplit->SetBottomRightLimit(50);
    auto* preview = new TnfPanel(column);
    preview->SetCaption(QStringLiteral("Preview"));
    preview->SetBevelInner(TPanelBevel::bvLowered);
    preview->setFixedHeight(90);
    columnLayout->addWidget(topics, 1);
    columnLayout->addWidget(vsplit);
    columnLayout->addWidget(preview);

    auto* hsplit = new TaSplitter(frame);
    hsplit->SetAlign(TSplitterAlign::alLeft);
    hsplit->SetTopLeftLimit(60);
    hsplit->SetBottomRightLimit(160);
    hsplit->SetBeveled(false);

    auto* area = new TnfPanel(frame);
    area->SetFullRepaint(false);
    area->SetBorderWidth(3);
    area->SetBevelInner(TPanelBevel::bvLowered);
    auto* sizeLabel = new QLabel(area);
    sizeLabel->move(12, 12);
    connect(area, &TnfPanel::Resize, sizeLabel, [area, sizeLabel] {
        sizeLabel->setText(QStringLiteral("Thumbnail area %1 x %2 (no full repaint)")
                               .arg(area->width())
                               .arg(area->height()));
        sizeLabel->adjustSize();
    });
    row->addWidget(column);
    row->addWidget(hsplit);
    row->addWidget(area, 1);
    layout->addWidget(frame, 1);

    auto* moves = new QLabel(QStringLiteral("Moved: 0"), page);
    int* count = new int(0);
    connect(moves, &QObject::destroyed, [count] { delete count; });
    for (TaSplitter* bar : {vsplit, hsplit})
        connect(bar, &TaSplitter::Moved, moves,
                [moves, count] { moves->setText(QStringLiteral("Moved: %1").arg(++*count)); });
    layout->addWidget(moves);

    // The bevel close up: a thick bevelled bar beside a plain one.
    auto* samples = new QHBoxLayout;
    for (bool beveled : {true, false}) {
        auto* bar = new TaSplitter(page);
        bar->SetAlign(TSplitterAlign::alTop);
        bar->SetBeveled(beveled);
        bar->setFixedHeight(6);
        samples->addWidget(bar);
    }
    layout->addLayout(samples);
    return page;
}

QWidget* TGallery::GradientPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    struct Sample {
        const char* name;
        TFillDirection direction;
        int colours;
        QColor begin, end;
    };
    const Sample samples[] = {
        {"top to bottom, 32", TFillDirection::fdTopToBottom, 32, Qt::blue, Qt::black},
        {"bottom to top, 32", TFillDirection::fdBottomToTop, 32, Qt::blue, Qt::black},
        {"left to right, 8", TFillDirection::fdLeftToRight, 8, QColor(255, 128, 0), Qt::white},
        {"right to left, 255", TFillDirection::fdRightToLeft, 255, Qt::darkGreen, Qt::yellow},
        {"one colour", TFillDirection::fdTopToBottom, 1, Qt::darkRed, Qt::white},
        {"about-box strip", TFillDirection::fdLeftToRight, 255, QColor(128, 128, 128), Qt::white},
    };
    int i = 0;
    for (const Sample& s : samples) {
        auto* fill = new TGradientFill(page);
        fill->SetFillDirection(s.direction);
        fill->SetNumberOfColors(s.colours);
        fill->SetBeginColor(s.begin);
        fill->SetEndColor(s.end);
        fill->setFixedSize(i == 5 ? QSize(282, 17) : QSize(105, 105));
        // The about-box strip is wide: it gets a row of its own.
        const int row = i == 5 ? 2 : 0;
        const int span = i == 5 ? 5 : 1;
        grid->addWidget(fill, row, i == 5 ? 0 : i, 1, span, Qt::AlignCenter);
        grid->addWidget(Caption(QString::fromLatin1(s.name), page), row + 1, i == 5 ? 0 : i, 1,
                        span);
        ++i;
    }
    auto* links = new QVBoxLayout;
    auto* web = new TUrlLabel(page);
    web->setText(QStringLiteral("tavik.example.org (opens the browser)"));
    web->SetURL(QString::fromLatin1(TAboutBox::kWebPage));
    auto* mail = new TUrlLabel(page);
    mail->setText(QStringLiteral("mailto:tavik@example.org"));
    links->addWidget(web);
    links->addWidget(mail);
    links->addWidget(new QLabel(QStringLiteral("Right-click a link for Copy."), page));
    grid->addLayout(links, 4, 0, 1, 5);
    grid->setRowStretch(5, 1);
    return page;
}

QWidget* TGallery::ListsPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* checks = new TbCheckListBox(page);
    checks->SetAllowGrayed(true);
    const char* names[] = {"Animals", "Buildings", "Cars", "Flowers", "Icons", "Maps"};
    for (const char* name : names)
        checks->addItem(QString::fromLatin1(name));
    checks->SetState(0, cbChecked);
    checks->SetState(1, cbGrayed);
    checks->SetState(4, cbChecked);
    checks->setCurrentRow(2);
    grid->addWidget(Caption(QStringLiteral("Check list box"), page), 0, 0);
    grid->addWidget(checks, 1, 0);

    auto* marks = new TMarkListBox(page);
    for (const char* name : names)
        marks->addItem(QString::fromLatin1(name));
    marks->ToggleMark(1);
    marks->ToggleMark(3);
    marks->setCurrentRow(0);
    grid->addWidget(Caption(QStringLiteral("Mark list box (Space, Insert, +, -)"), page), 0, 1);
    grid->addWidget(marks, 1, 1);

    const Glyph glyphs[] = {Glyph::Picture, Glyph::Folder, Glyph::Plus, Glyph::Arrow, Glyph::Cross};
    const char* styles[] = {"large icons", "small icons", "list"};
    for (int style = 0; style < 3; ++style) {
        auto* view = new TBmpListView(page);
        for (int i = 0; i < 12; ++i)
            view->AddBitmapItem(QStringLiteral("picture %1").arg(i + 1),
                                MakeGlyph(glyphs[i % 5], 32));
        view->SetViewStyle(style);
        // Large and small side by side, the list below across both columns.
        const int row = style < 2 ? 2 : 4;
        const int column = style < 2 ? style : 0;
        const int span = style < 2 ? 1 : 2;
        const QString title = QStringLiteral("Thumbnails: %1").arg(QLatin1String(styles[style]));
        grid->addWidget(Caption(title, page), row, column, 1, span);
        grid->addWidget(view, row + 1, column, 1, span);
    }
    return page;
}

QWidget* TGallery::DialogsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto add = [&](const QString& text, auto action) {
        auto* button = new QPushButton(text, page);
        connect(button, &QPushButton::clicked, page, action);
        layout->addWidget(button);
    };
    add(QStringLiteral("About box"), [page] {
        TAboutBox box(page->window(), LoadText);
        box.setWindowTitle(QStringLiteral("About Tavik"));
        box.SetCounts(12, 345);
        box.exec();
    });
    add(QStringLiteral("Folder browser (SelectFolder)"), [page] {
        QString folder;
        SelectFolder(QStringLiteral("Select folder for saving group images."), QString(), folder);
        MessageDlgLang(folder.isEmpty() ? QStringLiteral("Nothing chosen.") : folder,
                       MsgDlgKind::Information, mbOK, 0, 0);
    });
    add(QStringLiteral("Folder browser with status line"), [] {
        TBrowseDirectoryDlg dialog;
        dialog.SetTitle(QStringLiteral("The status line follows the selection."));
        dialog.SetStatusText(QDir::homePath());
        dialog.SetShowSelectionInStatus(true);
        dialog.Execute();
    });
    const char* languages[] = {"English", "Russian", "Portuguese"};
    for (int language = 0; language < 3; ++language) {
        add(QStringLiteral("Question, Yes and No (%1)").arg(QLatin1String(languages[language])),
            [language] {
                MessageDlgLang(QStringLiteral("Do you really want to delete the selected image?"),
                               MsgDlgKind::Confirmation, mbYesNo, 0, language);
            });
    }
    add(QStringLiteral("Warning, Yes and Cancel"), [] {
        MessageDlgLang(QStringLiteral("Error loading image file: 'x.bmp'.\n\nContinue loading?"),
                       MsgDlgKind::Warning, mbYesCancel, 0, 0);
    });
    add(QStringLiteral("Input box"),
        [] { InputBoxLang(QStringLiteral("Add topic"), QStringLiteral("Name:"), QString(), 0); });
    add(QStringLiteral("Progress window (the gallery is disabled meanwhile)"), [] {
        TProgressManager progress(LoadText(kTextUpdating), 100, 0, LoadText(kTextUpdating));
        progress.Show();
        QElapsedTimer clock;
        for (int i = 0; i < 100; ++i) {
            clock.start();
            while (clock.elapsed() < 30)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
            progress.Step();
        }
    });
    layout->addStretch(1);
    return page;
}

} // namespace tavik::gallery
