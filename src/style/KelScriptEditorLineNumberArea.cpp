#include "style/KelScriptEditorLineNumberArea.h"

#include "style/KelScriptEditor.h"

KelScriptEditorLineNumberArea::KelScriptEditorLineNumberArea(KelScriptEditor* editor)
    : QWidget(editor)
    , m_editor(editor)
{
}

QSize KelScriptEditorLineNumberArea::sizeHint() const
{
    return QSize(m_editor->lineNumberAreaWidth(), 0);
}
