#pragma once

#include <QObject>

// An event filter for editors whose edits are the window's undo steps (the opacity boxes, every
// parameter editor): they would claim the undo and redo keys for their own text, so that the
// window's Undo and Redo never saw them while they have the focus. The filter declines those
// keys for them.
class TwUndoKeysPassThrough : public QObject
{
    Q_OBJECT

public:
    explicit TwUndoKeysPassThrough(QObject* parent = nullptr);

    bool eventFilter(QObject* watched, QEvent* event) override;
};
