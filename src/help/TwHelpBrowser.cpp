#include "help/TwHelpBrowser.h"

#include "app/TextDocumentResources.h"
#include "style/KelStyleConfig.h"

#include <QHelpEngine>
#include <QTextDocument>

TwHelpBrowser::TwHelpBrowser(QWidget* parent, QHelpEngine* engine)
    : QTextBrowser(parent), m_engine(engine)
{
    setOpenLinks(false);
    // The rich-text reader colours links from the application palette, whose dark blue is
    // unreadable on the style's dark page; a default style sheet reaches every page loaded.
    const QColor link = KelStyleConfig::instance()->value<QColor>(linkColorKey());
    if (link.isValid())
        document()->setDefaultStyleSheet(QStringLiteral("a { color: %1; }").arg(link.name()));
    connect(this, &QTextBrowser::anchorClicked, this, [this](QUrl const& url) {
        emit linkClicked(url.isRelative() ? source().resolved(url) : url);
    });
}

QVariant TwHelpBrowser::loadResource(int type, QUrl const& name)
{
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (url.scheme() != QLatin1String("qthelp") || !m_engine) {
        const QVariant own = TextDocumentResources::load(type, url);
        return own.isValid() ? own : QTextBrowser::loadResource(type, name);
    }
    const QByteArray data = m_engine->fileData(url);
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(data);
    return data;
}

QString TwHelpBrowser::linkColorKey()
{
    return QStringLiteral("AppPalette.HelpBrowser.linkColor");
}
