#pragma once

#include "style/KelDocument.h"

#include <QPointer>
#include <QWidget>

class KelDocumentEditorTitleBar;

// A framed view of one document under a title bar with a type selector and maximise and close
// buttons. It only requests maximising, closing and type changes: whoever uses it connects them.
class KelDocumentEditor : public QWidget
{
    Q_OBJECT

public:
    // Without a document the editor makes an empty pixmap document of its own.
    explicit KelDocumentEditor(KelDocument* document = nullptr, QWidget* parent = nullptr);

    KelDocument* document() const;
    KelDocumentEditorTitleBar* titleBar() const;

    void setType(KelDocument::Type type);
    void setMaximized(bool maximized);

    // The document's area inside the frame, below the title bar.
    QRect documentRect() const;

    // "KelDocumentEditor.sizeHint" and "KelDocumentEditor.minimumSizeHint".
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void maximizeRequested();
    void closeRequested();
    void typeChangeRequested(KelDocument::Type type);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool hasFocusInside() const;

    KelDocumentEditorTitleBar* m_titleBar = nullptr;
    // Guarded: a document may be handed to another editor and die with it.
    QPointer<KelDocument> m_document;
};
