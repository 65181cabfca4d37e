#pragma once

#include <QByteArray>
#include <QDialog>
#include <QModelIndex>
#include <QString>
#include <QUrl>

class QHBoxLayout;
class QHelpContentWidget;
class QHelpEngine;
class TwHelpBrowser;

// What both help windows share: a read-only help engine over a collection file, its contents
// tree beside a page browser, and following links from either.
class HelpViewer : public QDialog
{
    Q_OBJECT

public:
    ~HelpViewer() override;

    QByteArray const& pageBytes() const { return m_pageBytes; }
    QHelpEngine* engine() const { return m_engine; }
    QHelpContentWidget* contentWidget() const { return m_contentWidget; }

public slots:
    // Shows the linked page.
    virtual void linkActivated(QUrl const& link);
    void linkActivated(QModelIndex const& index);
    // Opens the contents tree one level, once.
    void setupFinished();

protected:
    using QDialog::QDialog;

    // Opens the collection (a missing or unreadable one is logged and leaves the viewer empty).
    void openCollection(QString const& collectionFile);
    // With the engine open: takes the browser, shows the first of the identifier's pages by
    // title, and lays out contents and browser in `host`.
    QHBoxLayout* setUpViewer(TwHelpBrowser* browser, QString const& identifier, QWidget* host);
    // Shows the page and selects its entry in the contents.
    void showPage(QUrl const& url);

    TwHelpBrowser* m_browser = nullptr;

private:
    void selectInContents(QUrl const& url);

    QByteArray m_pageBytes;
    QHelpEngine* m_engine = nullptr;
    QHelpContentWidget* m_contentWidget = nullptr;
    bool m_expanded = false;
};
