#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class KelDocumentEditor;
class QPainter;
class QRect;
class QResizeEvent;

// One document shown in a KelDocumentEditor: either a pixmap, drawn scaled into the editor's
// document area, or a widget laid over that area. Its parent object is the editor.
class KelDocument : public QObject
{
    Q_OBJECT

public:
    enum Type { Widget = 0, Pixmap = 1 };
    Q_ENUM(Type)

    explicit KelDocument(KelDocumentEditor* editor = nullptr);
    KelDocument(Type type, KelDocumentEditor* editor);

    Type type() const;
    QWidget* widget() const;
    QPixmap pixmap() const;

    // The parent object when it is an editor, else null.
    KelDocumentEditor* editor() const;
    void setEditor(KelDocumentEditor* editor);

    // Switches to a widget document. The previous widget is only forgotten, never hidden or
    // deleted: its owner decides what becomes of it.
    void setWidget(QWidget* widget);
    void setPixmap(const QPixmap& pixmap);

    // Called by the editor with the size of its document area. Virtual so that a document of
    // another kind can follow the area too.
    virtual void resizeEvent(QResizeEvent* event);

    virtual void render(QPainter* painter, const QRect& rect);

public slots:
    virtual void setType(KelDocument::Type type);

signals:
    void typeChanged(KelDocument::Type type);

private:
    void repaintEditor() const;

    Type m_type = Pixmap;
    // Guarded: the widget belongs to whoever made it and may go away at any time.
    QPointer<QWidget> m_widget;
    QPixmap m_pixmap;
};
