#pragma once

#include <QByteArray>
#include <QTextBrowser>
#include <QUrl>

class QHelpEngine;

// The help page view: follows no link itself (every click becomes linkClicked) and loads
// "qthelp" resources from the help engine, so that relative images, style sheets and links
// resolve against the page shown.
class TwHelpBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    TwHelpBrowser(QWidget* parent, QHelpEngine* engine);

    QVariant loadResource(int type, QUrl const& name) override;

    // The style key of the colour links are drawn in.
    static QString linkColorKey();

signals:
    void linkClicked(QUrl url);

protected:
    QHelpEngine* m_engine;
};
