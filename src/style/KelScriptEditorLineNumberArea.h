#pragma once

#include <QWidget>

class KelScriptEditor;

// The line-number gutter of a KelScriptEditor. It paints nothing itself: the editor paints it
// through its event filter.
class KelScriptEditorLineNumberArea : public QWidget
{
    Q_OBJECT

public:
    explicit KelScriptEditorLineNumberArea(KelScriptEditor* editor);

    // The gutter width by a height of 0.
    QSize sizeHint() const override;

private:
    KelScriptEditor* m_editor;
};
