#include "style/KelDocumentEditorTitleBar.h"

#include "style/KelDocumentEditor.h"
#include "style/KelStyleConfig.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>

KelDocumentEditorTitleBar::KelDocumentEditorTitleBar(KelDocumentEditor* editor)
    : QWidget(editor)
    , m_maximizeButton(QStringLiteral("titleBarMaximize"), this)
    , m_restoreButton(QStringLiteral("titleBarMinimize"), this)
    , m_closeButton(QStringLiteral("titleBarClose"), this)
{
    for (KelTitleBarButton* button : {&m_maximizeButton, &m_restoreButton, &m_closeButton})
        button->resize(button->sizeHint());
    m_restoreButton.hide();
    connect(&m_maximizeButton, &QAbstractButton::clicked, this,
            &KelDocumentEditorTitleBar::maximizeRequested);
    connect(&m_restoreButton, &QAbstractButton::clicked, this,
            &KelDocumentEditorTitleBar::maximizeRequested);
    connect(&m_closeButton, &QAbstractButton::clicked, this,
            &KelDocumentEditorTitleBar::closeRequested);

    m_typeSelector = new QComboBox;
    m_typeSelector->addItem(QStringLiteral("Pixmap"));
    m_typeSelector->addItem(QStringLiteral("Widget"));
    connect(m_typeSelector, &QComboBox::activated, this,
            &KelDocumentEditorTitleBar::comboBoxChanged);

    auto* layout = new QHBoxLayout(this);
    setFixedHeight(27);
    m_typeSelector->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addWidget(m_typeSelector);
    layout->setContentsMargins(0, 0, 0, 0);

    placeButtons();
    // -1 keeps the style's left margin; the right margin keeps the selector clear of the buttons.
    layout->setContentsMargins(-1, 1, 16 + m_maximizeButton.width() + m_closeButton.width(), 2);
}

void KelDocumentEditorTitleBar::setType(KelDocument::Type)
{
}

void KelDocumentEditorTitleBar::setMaximized(bool maximized)
{
    m_maximized = maximized;
    m_maximizeButton.setVisible(!maximized);
    m_restoreButton.setVisible(maximized);
    maximizeButton()->update();
}

bool KelDocumentEditorTitleBar::isMaximized() const
{
    return m_maximized;
}

QFrame* KelDocumentEditorTitleBar::addSeparator()
{
    auto* separator = new QFrame(this);
    separator->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    layout()->addWidget(separator);
    return separator;
}

QComboBox* KelDocumentEditorTitleBar::typeSelector() const
{
    return m_typeSelector;
}

KelTitleBarButton* KelDocumentEditorTitleBar::maximizeButton()
{
    return m_maximized ? &m_restoreButton : &m_maximizeButton;
}

KelTitleBarButton* KelDocumentEditorTitleBar::closeButton()
{
    return &m_closeButton;
}

QSize KelDocumentEditorTitleBar::sizeHint() const
{
    return KelStyleConfig::instance()->value<QSize>(
        QStringLiteral("KelDocumentEditorTitleBar.sizeHint"));
}

QSize KelDocumentEditorTitleBar::minimumSizeHint() const
{
    return sizeHint();
}

void KelDocumentEditorTitleBar::comboBoxChanged()
{
    const QString text = m_typeSelector->currentText();
    if (text == QLatin1String("Pixmap"))
        emit typeChangeRequested(KelDocument::Pixmap);
    else if (text == QLatin1String("Widget"))
        emit typeChangeRequested(KelDocument::Widget);
}

void KelDocumentEditorTitleBar::placeButtons()
{
    const int w = width();
    const int h = height();
    const QSize close = m_closeButton.size();
    m_closeButton.move(w - 4 - close.width(), (h - close.height()) / 2);
    for (KelTitleBarButton* button : {&m_maximizeButton, &m_restoreButton})
        button->move(w - 10 - button->width() - close.width(), (h - button->height()) / 2);
}

void KelDocumentEditorTitleBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeButtons();
}

void KelDocumentEditorTitleBar::paintEvent(QPaintEvent*)
{
    const KelStyleConfig* config = KelStyleConfig::instance();
    const int w = width();
    const int h = height();
    QPainter painter(this);
    painter.setPen(config->value<QPen>(QStringLiteral("KelDocumentEditorTitleBar.borderTopPen")));
    painter.drawLine(0, 0, w - 1, 0);

    QLinearGradient gradient = config->value<QLinearGradient>(
        QStringLiteral("KelDocumentEditorTitleBar.backgroundGradient"));
    gradient.setStart(0, 1);
    gradient.setFinalStop(0, h - 3);
    painter.fillRect(QRect(0, 1, w, h - 3), gradient);

    painter.setPen(
        config->value<QPen>(QStringLiteral("KelDocumentEditorTitleBar.borderBottomPen")));
    painter.drawLine(0, h - 2, w - 1, h - 2);
    painter.drawLine(0, h - 1, w - 1, h - 1);
}
