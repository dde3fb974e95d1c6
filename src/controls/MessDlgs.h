#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>

class QFontMetrics;
class QPushButton;

namespace tavik {

// Kind of a message dialog: chooses the caption and the stock icon.
enum class MsgDlgKind : std::uint8_t {
    Warning = 0,
    Error = 1,
    Information = 2,
    Confirmation = 3,
    Custom = 4, // application title, no icon
};

// Set of buttons; laid out left to right in bit order.
using MsgDlgButtons = std::uint16_t;
constexpr MsgDlgButtons mbYes = 1 << 0;
constexpr MsgDlgButtons mbNo = 1 << 1;
constexpr MsgDlgButtons mbOK = 1 << 2;
constexpr MsgDlgButtons mbCancel = 1 << 3;
constexpr MsgDlgButtons mbAbort = 1 << 4;
constexpr MsgDlgButtons mbRetry = 1 << 5;
constexpr MsgDlgButtons mbIgnore = 1 << 6;
constexpr MsgDlgButtons mbAll = 1 << 7;
constexpr MsgDlgButtons mbHelp = 1 << 8;
constexpr MsgDlgButtons mbYesNo = mbYes | mbNo;
constexpr MsgDlgButtons mbYesCancel = mbYes | mbCancel;
constexpr MsgDlgButtons mbOKCancel = mbOK | mbCancel;

// Results of the modal dialogs; closing by the close box gives mrCancel.
enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
};

// Geometry of a message dialog in pixels, from the dialog-unit rules.
struct TMessageLayout {
    QSize client;       // client area
    QRect icon;         // empty when the kind has no icon
    QRect text;         // the word-wrapped message
    QRect firstButton;  // the others follow at buttonStep to the right
    int buttonStep = 0; // button width + button spacing
};

// Lays out a message dialog: text wrapped at screenWidth / 2, dialog units
// taken from metrics (average width of "A".."Z","a".."z", line height).
TMessageLayout LayoutMessageDialog(const QFontMetrics& metrics, const QString& message,
                                   bool hasIcon, int buttonCount, int screenWidth);

// The caption of a kind in a language (1 Russian, 2 Portuguese, else English);
// the application display name for MsgDlgKind::Custom.
QString MessageDialogCaption(MsgDlgKind kind, int language);

// A message dialog: icon label "Image", label "Message", and one push button
// per set bit named "Yes", "No", "OK", ... Each button carries the dynamic
// property "modalResult". Escape presses the cancel button (Cancel, else No,
// else OK, when in the set); the close box gives mrCancel.
class TMessageForm : public QDialog {
    Q_OBJECT
public:
    TMessageForm(const QString& message, MsgDlgKind kind, MsgDlgButtons buttons, int language,
                 QWidget* parent = nullptr);

    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int context) { FHelpContext = context; }

signals:
    // The Help button; it does not close the dialog.
    void HelpRequested(int helpContext);

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    int FHelpContext = 0;
    QPushButton* FCancelButton = nullptr;
};

// A new, not yet shown message dialog centred on the screen; the caller owns it.
std::unique_ptr<TMessageForm> CreateMessageDialogLang(const QString& message, MsgDlgKind kind,
                                                      MsgDlgButtons buttons, int language);

// Shows the message modally and returns the ModalResult. left and top move the
// dialog when they are 0 or more; a negative value keeps it centred.
int MessageDlgPosLang(const QString& message, MsgDlgKind kind, MsgDlgButtons buttons,
                      int helpContext, int left, int top, int language);

// MessageDlgPosLang centred on the screen.
int MessageDlgLang(const QString& message, MsgDlgKind kind, MsgDlgButtons buttons, int helpContext,
                   int language);

// A one-line input dialog (at most 255 characters). Returns true and stores
// the edited text in value on OK; otherwise returns false, value unchanged.
bool InputQueryLang(const QString& caption, const QString& prompt, QString& value, int language);

// InputQueryLang on defaultValue: the edited text on OK, defaultValue otherwise.
QString InputBoxLang(const QString& caption, const QString& prompt, const QString& defaultValue,
                     int language);

} // namespace tavik
