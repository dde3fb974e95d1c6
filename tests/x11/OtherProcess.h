#pragma once
// A second program on the same X display, run while this process keeps
// serving its own clipboard and drags from the event loop.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tavik::testing {

// Runs program to its end, the event loop turning meanwhile; its standard
// output. Fails the test when it does not finish within 10 seconds or exits
// with an error.
QByteArray RunOther(const QString& program, const QStringList& arguments);

// What xclip sees on the clipboard: the offered types, and the bytes of one.
QStringList ClipboardTargets();
QByteArray ClipboardBytes(const QString& type);

// xclip takes the clipboard and offers bytes under type only; returns when
// this process's clipboard shows the offer.
void OfferOnClipboard(const QString& type, const QByteArray& bytes);

} // namespace tavik::testing
