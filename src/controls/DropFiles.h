#pragma once

#include <QMetaObject>
#include <QPoint>
#include <QStringList>

class QDropEvent;

namespace tavik {

// The files dropped on a list from the desktop: which drops are taken, and the
// names and point of the last one, kept for the list's DropFiles signal.
class TFileDrop {
public:
    bool AcceptFiles() const { return FAcceptFiles; }
    void SetAcceptFiles(bool value) { FAcceptFiles = value; }

    // Valid until the next drop.
    QPoint Point() const { return FPoint; }
    const QStringList& Files() const { return FFiles; }

    // A drop from outside the program, while files are accepted, that names at
    // least one local file.
    bool IsFileDrop(const QDropEvent* event) const;

    // Keeps the local files and point of event (a file drop), accepts it and
    // emits owner's DropFiles from the event loop, once the drop has returned,
    // so the handler may open modal dialogs.
    template <class Owner> void Take(QDropEvent* event, Owner* owner) {
        Keep(event);
        QMetaObject::invokeMethod(
            owner, [this, owner] { emit owner->DropFiles(owner, FPoint, FFiles); },
            Qt::QueuedConnection);
    }

private:
    void Keep(QDropEvent* event);

    bool FAcceptFiles = false;
    QPoint FPoint;
    QStringList FFiles;
};

} // namespace tavik
