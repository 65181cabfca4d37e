#include "style/KelDocumentEditor.h"

#include "style/KelDocumentEditorTitleBar.h"
#include "style/KelStyleConfig.h"

#include <QApplication>
#include <QPainter>
#include <QPen>
#include <QResizeEvent>
#include <QVBoxLayout>

KelDocumentEditor::KelDocumentEditor(KelDocument* document, QWidget* parent)
    : QWidget(parent)
{
    m_titleBar = new KelDocumentEditorTitleBar(this);
    if (document)
        document->setParent(this);
    else
        document = new KelDocument(KelDocument::Pixmap, this);
    m_document = document;

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_titleBar);
    layout->addStretch(1);

    connect(m_titleBar, &KelDocumentEditorTitleBar::maximizeRequested, this,
            &KelDocumentEditor::maximizeRequested);
    connect(m_titleBar, &KelDocumentEditorTitleBar::closeRequested, this,
            &KelDocumentEditor::closeRequested);
    connect(m_titleBar, &KelDocumentEditorTitleBar::typeChangeRequested, this,
            &KelDocumentEditor::typeChangeRequested);
    // The focus frame follows keyboard focus anywhere inside.
    connect(qApp, &QApplication::focusChanged, this, qOverload<>(&QWidget::update));
}

KelDocument* KelDocumentEditor::document() const
{
    return m_document;
}

KelDocumentEditorTitleBar* KelDocumentEditor::titleBar() const
{
    return m_titleBar;
}

void KelDocumentEditor::setType(KelDocument::Type type)
{
    if (m_document)
        m_document->setType(type);
}

void KelDocumentEditor::setMaximized(bool maximized)
{
    m_titleBar->setMaximized(maximized);
}

QRect KelDocumentEditor::documentRect() const
{
    const int t = m_titleBar->height();
    return QRect(2, t + 2, width() - 4, height() - t - 4);
}

QSize KelDocumentEditor::sizeHint() const
{
    return KelStyleConfig::instance()->value<QSize>(QStringLiteral("KelDocumentEditor.sizeHint"));
}

QSize KelDocumentEditor::minimumSizeHint() const
{
    return KelStyleConfig::instance()->value<QSize>(
        QStringLiteral("KelDocumentEditor.minimumSizeHint"));
}

bool KelDocumentEditor::hasFocusInside() const
{
    if (QApplication::activeWindow() != window())
        return false;
    QWidget* const focus = QApplication::focusWidget();
    return focus && focus != this && isAncestorOf(focus);
}

void KelDocumentEditor::paintEvent(QPaintEvent*)
{
    const QRect r = documentRect();
    QPainter painter(this);
    if (hasFocusInside()) {
        const KelStyleConfig* config = KelStyleConfig::instance();
        painter.setPen(config->value<QPen>(QStringLiteral("KelDocumentEditor.borderPen")));
        painter.drawRect(QRectF(r.left() - 2, r.top() - 2, r.width() + 3, r.height() + 3));
        painter.setPen(config->value<QPen>(QStringLiteral("KelDocumentEditor.borderPen2")));
        painter.drawRect(QRectF(r.left() - 1, r.top() - 1, r.width() + 1, r.height() + 1));
    }
    if (m_document)
        m_document->render(&painter, r);
}

void KelDocumentEditor::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_document)
        return;
    const int t = m_titleBar->height();
    const QSize margin(4, t + 4);
    const QSize oldSize =
        event->oldSize() == QSize(0, 0) ? QSize(-1, -1) : event->oldSize() - margin;
    QResizeEvent documentEvent(event->size() - margin, oldSize);
    m_document->resizeEvent(&documentEvent);
}
