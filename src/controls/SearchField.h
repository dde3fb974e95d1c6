#pragma once

#include <QLineEdit>

namespace tavik {

// A one-line field for typing what to look for. Besides QLineEdit's own
// signals it reports the keys that end or leave the typing, which a line
// edit would otherwise swallow or pass on to its window.
class TSearchField : public QLineEdit {
    Q_OBJECT
public:
    explicit TSearchField(QWidget* parent = nullptr);

signals:
    // Return or Enter: go to what was found.
    void Accepted();
    // Escape: stop looking.
    void Cancelled();
    // Down arrow or Page Down: move into the results.
    void Leaving();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tavik
