#include "nodeui/KelNodeDescriptionEdit.h"

#include "app/TextDocumentResources.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

KelNodeDescriptionEdit::KelNodeDescriptionEdit(QWidget* parent)
    : QTextEdit(parent)
{
}

bool KelNodeDescriptionEdit::isOpenableLink(QUrl const& url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https")
           || scheme == QLatin1String("mailto");
}

QVariant KelNodeDescriptionEdit::loadResource(int type, QUrl const& name)
{
    const QVariant own = TextDocumentResources::load(type, name);
    return own.isValid() ? own : QTextEdit::loadResource(type, name);
}

void KelNodeDescriptionEdit::mouseMoveEvent(QMouseEvent* event)
{
    QWidget* port = viewport();
    if (!anchorAt(event->position().toPoint()).isEmpty())
        port->setCursor(Qt::PointingHandCursor);
    else
        port->unsetCursor();
}

void KelNodeDescriptionEdit::mousePressEvent(QMouseEvent* event)
{
    const QString anchor = anchorAt(event->position().toPoint());
    if (anchor.isEmpty())
        return;
    const QUrl url(anchor);
    if (isOpenableLink(url))
        QDesktopServices::openUrl(url);
}
