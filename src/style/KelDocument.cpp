#include "style/KelDocument.h"

#include "params/Rounding.h"
#include "style/KelDocumentEditor.h"

#include <QPainter>
#include <QRect>
#include <QResizeEvent>

KelDocument::KelDocument(KelDocumentEditor* editor)
    : KelDocument(Pixmap, editor)
{
}

KelDocument::KelDocument(Type type, KelDocumentEditor* editor)
    : QObject(editor)
    , m_type(type)
{
}

KelDocument::Type KelDocument::type() const
{
    return m_type;
}

QWidget* KelDocument::widget() const
{
    return m_widget;
}

QPixmap KelDocument::pixmap() const
{
    return m_pixmap;
}

KelDocumentEditor* KelDocument::editor() const
{
    return qobject_cast<KelDocumentEditor*>(parent());
}

void KelDocument::setEditor(KelDocumentEditor* editor)
{
    setParent(editor);
    if (m_widget) {
        // Reparenting hides a widget; a widget that was shown stays shown in its new editor.
        const bool wasHidden = m_widget->isHidden();
        m_widget->setParent(editor);
        if (editor && !wasHidden)
            m_widget->show();
    }
    if (!editor)
        return;
    editor->update();
    if (m_widget)
        m_widget->setGeometry(editor->documentRect());
}

void KelDocument::setWidget(QWidget* widget)
{
    if (widget == m_widget)
        return;
    m_widget = nullptr;
    setType(Widget);
    m_widget = widget;
    if (!widget)
        return;
    KelDocumentEditor* const owner = editor();
    widget->setParent(owner);
    widget->setVisible(true);
    if (owner) {
        owner->update();
        widget->setGeometry(owner->documentRect());
    }
}

void KelDocument::setPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    setType(Pixmap);
    repaintEditor();
}

void KelDocument::setType(KelDocument::Type type)
{
    if (type == m_type)
        return;
    m_widget = nullptr;
    m_type = type;
    emit typeChanged(type);
    repaintEditor();
}

void KelDocument::resizeEvent(QResizeEvent* event)
{
    if (m_widget)
        m_widget->resize(event->size());
    repaintEditor();
}

void KelDocument::render(QPainter* painter, const QRect& rect)
{
    if (m_type == Widget) {
        if (m_widget)
            m_widget->setGeometry(rect);
        return;
    }
    if (m_pixmap.isNull())
        return;
    QSize scaled = m_pixmap.size();
    scaled.scale(rect.size(), Qt::KeepAspectRatio);
    // The integer midpoint, then half the scaled size rounded (sizes are never negative, so
    // rounding half up is rounding half away from zero).
    const int cx = (rect.left() + rect.right()) / 2;
    const int cy = (rect.top() + rect.bottom()) / 2;
    const QRect target(cx - KelUtils::roundHalfUpToInt(scaled.width() / 2.0),
                       cy - KelUtils::roundHalfUpToInt(scaled.height() / 2.0), scaled.width(),
                       scaled.height());
    painter->drawPixmap(target, m_pixmap);
}

void KelDocument::repaintEditor() const
{
    if (KelDocumentEditor* const owner = editor())
        owner->update();
}
