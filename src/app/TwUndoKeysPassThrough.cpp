#include "app/TwUndoKeysPassThrough.h"

#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>

TwUndoKeysPassThrough::TwUndoKeysPassThrough(QObject* parent) : QObject(parent) {}

bool TwUndoKeysPassThrough::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)) {
            // Not accepted: the key goes on to the window's shortcuts.
            key->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
