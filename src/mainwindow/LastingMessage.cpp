#include "mainwindow/LastingMessage.h"

#include "app/PlainTextWidgets.h"
#include "app/ShownText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

LastingMessage::LastingMessage(QWidget* parent)
    : QWidget(parent), m_label(new QLabel(this)), m_dismiss(new QToolButton(this))
{
    setObjectName(QStringLiteral("lastingMessage"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_label->setObjectName(QStringLiteral("lastingMessageText"));
    m_dismiss->setObjectName(QStringLiteral("lastingMessageDismiss"));
    m_dismiss->setText(tr("Dismiss"));
    m_dismiss->setToolTip(tr("Hide this message"));
    m_dismiss->setAutoRaise(true);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_dismiss);
    connect(m_dismiss, &QToolButton::clicked, this, &LastingMessage::dismiss);
    setVisible(false);
}

void LastingMessage::show(QString const& text)
{
    m_text = text;
    PlainTextWidgets::setText(m_label, ShownText::name(text));
    m_label->setToolTip(ShownText::toolTip(text));
    setVisible(true);
}

QString LastingMessage::text() const
{
    return m_text;
}

void LastingMessage::dismiss()
{
    m_text.clear();
    m_label->clear();
    m_label->setToolTip(QString());
    setVisible(false);
}
