#include "controls/MessDlgs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <array>
#include <bit>

namespace tavik {

namespace {

// Multiplication then division rounded to the nearest integer, halves away
// from zero.
int MulDiv(int number, int numerator, int denominator) {
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

// Dialog units of a font: a quarter of the average letter width across, an
// eighth of the line height down.
struct DialogUnits {
    explicit DialogUnits(const QFontMetrics& metrics) {
        const QString letters =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        cx = metrics.horizontalAdvance(letters) / 52;
        cy = metrics.height();
    }
    int H(int units) const { return MulDiv(units, cx, 4); }
    int V(int units) const { return MulDiv(units, cy, 8); }
    int cx = 0;
    int cy = 0;
};

constexpr int kIconSize = 32;

struct ButtonInfo {
    const char* name;
    const char* english;
    const char16_t* russian;
    const char16_t* portuguese;
    int result;
};

const std::array<ButtonInfo, 9> kButtons = {{
    {"Yes", "&Yes", u"Да", u"Sim", mrYes},
    {"No", "&No", u"Нет", u"Não", mrNo},
    {"OK", "OK", u"OK", u"OK", mrOk},
    {"Cancel", "Cancel", u"Отмена", u"Cancela", mrCancel},
    {"Abort", "&Abort", u"Стоп", u"Aborta", mrAbort},
    {"Retry", "&Retry", u"Повтор", u"Tenta Novamente", mrRetry},
    {"Ignore", "&Ignore", u"Пропустить", u"Ignora", mrIgnore},
    {"All", "&All", u"Все", u"Tudo", mrAll},
    {"Help", "&Help", u"Справка", u"Ajuda", mrNone},
}};

QString ButtonCaption(const ButtonInfo& info, int language) {
    switch (language) {
    case 1:
        return QString::fromUtf16(info.russian);
    case 2:
        return QString::fromUtf16(info.portuguese);
    default:
        return QString::fromLatin1(info.english);
    }
}

QString CancelCaption(int language) {
    return ButtonCaption(kButtons[3], language);
}

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(640, 480);
}

QStyle::StandardPixmap KindIcon(MsgDlgKind kind) {
    switch (kind) {
    case MsgDlgKind::Warning:
        return QStyle::SP_MessageBoxWarning;
    case MsgDlgKind::Error:
        return QStyle::SP_MessageBoxCritical;
    case MsgDlgKind::Information:
        return QStyle::SP_MessageBoxInformation;
    default:
        return QStyle::SP_MessageBoxQuestion;
    }
}

QPushButton* AddButton(QDialog* dialog, const QString& name, const QString& caption, int result,
                       const QRect& geometry) {
    auto* button = new QPushButton(caption, dialog);
    button->setObjectName(name);
    button->setProperty("modalResult", result);
    button->setGeometry(geometry);
    if (result != mrNone)
        QObject::connect(button, &QPushButton::clicked, dialog,
                         [dialog, result] { dialog->done(result); });
    return button;
}

void CentreOnScreen(QWidget* window) {
    const QSize screen = ScreenSize();
    const QSize outer = window->frameGeometry().size();
    window->move(screen.width() / 2 - outer.width() / 2, screen.height() / 2 - outer.height() / 2);
}

} // namespace

TMessageLayout LayoutMessageDialog(const QFontMetrics& metrics, const QString& message,
                                   bool hasIcon, int buttonCount, int screenWidth) {
    const DialogUnits du(metrics);
    const int hMargin = du.H(8);
    const int vMargin = du.V(8);
    const int hSpacing = du.H(10);
    const int vSpacing = du.V(10);
    const int buttonWidth = du.H(50);
    const int buttonHeight = du.V(14);
    const int buttonSpacing = du.H(4);

    const QRect textBounds = metrics.boundingRect(QRect(0, 0, screenWidth / 2, 0),
                                                  Qt::AlignLeft | Qt::TextWordWrap, message);
    const int tw = textBounds.width();
    const int th = textBounds.height();
    int iw = tw;
    int ih = th;
    if (hasIcon) {
        iw = tw + kIconSize + hSpacing;
        ih = std::max(ih, kIconSize);
    }
    const int bw =
        buttonCount > 0 ? buttonCount * buttonWidth + (buttonCount - 1) * buttonSpacing : 0;

    TMessageLayout layout;
    layout.client =
        QSize(std::max(iw, bw) + 2 * hMargin, ih + buttonHeight + vSpacing + 2 * vMargin);
    if (hasIcon)
        layout.icon = QRect(hMargin, vMargin, kIconSize, kIconSize);
    layout.text = QRect(iw - tw + hMargin, vMargin, tw, th);
    layout.firstButton =
        QRect((layout.client.width() - bw) / 2, ih + vMargin + vSpacing, buttonWidth, buttonHeight);
    layout.buttonStep = buttonWidth + buttonSpacing;
    return layout;
}

QString MessageDialogCaption(MsgDlgKind kind, int language) {
    static const std::array<std::array<const char16_t*, 3>, 4> captions = {{
        {u"Warning", u"Предупреждение", u"Aviso"},
        {u"Error", u"Ошибка", u"Erro"},
        {u"Information", u"Информация", u"Informação"},
        {u"Confirm", u"Подтверждение", u"Confirmação"},
    }};
    const auto index = static_cast<std::size_t>(kind);
    if (index >= captions.size())
        return QGuiApplication::applicationDisplayName();
    const std::size_t column = language == 1 ? 1 : language == 2 ? 2 : 0;
    return QString::fromUtf16(captions[index][column]);
}

TMessageForm::TMessageForm(const QString& message, MsgDlgKind kind, MsgDlgButtons buttons,
                           int language, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setFont(QApplication::font("QMessageBox"));
    setWindowTitle(MessageDialogCaption(kind, language));

    const bool hasIcon = kind != MsgDlgKind::Custom;
    const int buttonCount = std::popcount(static_cast<unsigned>(buttons & 0x1FF));
    const TMessageLayout layout = LayoutMessageDialog(QFontMetrics(font()), message, hasIcon,
                                                      buttonCount, ScreenSize().width());
    setFixedSize(layout.client);

    if (hasIcon) {
        auto* image = new QLabel(this);
        image->setObjectName(QStringLiteral("Image"));
        image->setGeometry(layout.icon);
        image->setPixmap(style()->standardIcon(KindIcon(kind)).pixmap(kIconSize, kIconSize));
    }
    auto* text = new QLabel(message, this);
    text->setObjectName(QStringLiteral("Message"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setGeometry(layout.text);

    const MsgDlgButtons defaultBit = buttons & mbOK ? mbOK : buttons & mbYes ? mbYes : mbRetry;
    const MsgDlgButtons cancelBit = buttons & mbCancel ? mbCancel : buttons & mbNo ? mbNo : mbOK;
    QRect place = layout.firstButton;
    for (std::size_t bit = 0; bit < kButtons.size(); ++bit) {
        const MsgDlgButtons flag = static_cast<MsgDlgButtons>(1u << bit);
        if (!(buttons & flag))
            continue;
        const ButtonInfo& info = kButtons[bit];
        QPushButton* button = AddButton(this, QString::fromLatin1(info.name),
                                        ButtonCaption(info, language), info.result, place);
        if (flag == mbHelp)
            connect(button, &QPushButton::clicked, this,
                    [this] { emit HelpRequested(FHelpContext); });
        if (flag == defaultBit) {
            button->setDefault(true);
            button->setFocus();
        }
        if (flag == cancelBit)
            FCancelButton = button;
        place.translate(layout.buttonStep, 0);
    }
    CentreOnScreen(this);
}

void TMessageForm::reject() {
    // Escape answers like the cancel button; without one it does nothing.
    if (FCancelButton)
        FCancelButton->click();
}

void TMessageForm::closeEvent(QCloseEvent* event) {
    event->accept();
    if (result() == mrNone && isVisible())
        done(mrCancel);
}

std::unique_ptr<TMessageForm> CreateMessageDialogLang(const QString& message, MsgDlgKind kind,
                                                      MsgDlgButtons buttons, int language) {
    return std::make_unique<TMessageForm>(message, kind, buttons, language);
}

int MessageDlgPosLang(const QString& message, MsgDlgKind kind, MsgDlgButtons buttons,
                      int helpContext, int left, int top, int language) {
    const std::unique_ptr<TMessageForm> dialog =
        CreateMessageDialogLang(message, kind, buttons, language);
    dialog->SetHelpContext(helpContext);
    QPoint position = dialog->pos();
    if (left >= 0)
        position.setX(left);
    if (top >= 0)
        position.setY(top);
    dialog->move(position);
    return dialog->exec();
}

int MessageDlgLang(const QString& message, MsgDlgKind kind, MsgDlgButtons buttons, int helpContext,
                   int language) {
    return MessageDlgPosLang(message, kind, buttons, helpContext, -1, -1, language);
}

bool InputQueryLang(const QString& caption, const QString& prompt, QString& value, int language) {
    QDialog dialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                                Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    dialog.setWindowTitle(caption);
    const DialogUnits du(QFontMetrics(dialog.font()));
    dialog.setFixedSize(du.H(180), du.V(63));

    auto* label = new QLabel(prompt, &dialog);
    label->setTextFormat(Qt::PlainText);
    label->move(du.H(8), du.V(8));
    label->adjustSize();

    auto* edit = new QLineEdit(&dialog);
    edit->setMaxLength(255);
    edit->setText(value);
    edit->setGeometry(label->x(), du.V(19), du.H(164), edit->sizeHint().height());
    edit->selectAll();
    edit->setFocus();

    QPushButton* ok = AddButton(&dialog, QStringLiteral("OK"), QStringLiteral("OK"), mrOk,
                                QRect(du.H(38), du.V(41), du.H(50), du.V(14)));
    ok->setDefault(true);
    AddButton(&dialog, QStringLiteral("Cancel"), CancelCaption(language), mrCancel,
              QRect(du.H(92), du.V(41), du.H(50), du.V(14)));
    CentreOnScreen(&dialog);

    if (dialog.exec() != mrOk)
        return false;
    value = edit->text();
    return true;
}

QString InputBoxLang(const QString& caption, const QString& prompt, const QString& defaultValue,
                     int language) {
    QString result = defaultValue;
    InputQueryLang(caption, prompt, result, language);
    return result;
}

} // namespace tavik
