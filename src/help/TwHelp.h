#pragma once

#include <QByteArray>
#include <QDialog>
#include <QModelIndex>
#include <QString>
#include <QUrl>

class QHelpContentWidget;
class QHelpEngine;
class QSplitter;
class TwHelpBrowser;
namespace Ui {
class Help;
}

// The help window: the collection's contents tree beside the page view, opened at the page
// registered under an identifier.
class TwHelp : public QDialog
{
    Q_OBJECT

public:
    // The program's collection "vyx-solenne_en.qhc" in the resources folder.
    TwHelp(QWidget* parent, QString identifier);
    TwHelp(QWidget* parent, QString identifier, QString const& collectionFile);
    ~TwHelp() override;

    static QString defaultCollectionFile();

    QByteArray const& pageBytes() const { return m_pageBytes; }
    QHelpEngine* engine() const { return m_engine; }
    QHelpContentWidget* contentWidget() const { return m_contentWidget; }
    TwHelpBrowser* browser() const { return m_browser; }

public slots:
    void linkActivated(QUrl const& link);
    void linkActivated(QModelIndex const& index);
    void setupFinished();

protected:
    void changeEvent(QEvent* event) override;

private:
    void init(QString const& identifier, QString const& collectionFile);

    Ui::Help* m_ui;
    QByteArray m_pageBytes;
    QHelpEngine* m_engine = nullptr;
    QHelpContentWidget* m_contentWidget = nullptr;
    TwHelpBrowser* m_browser = nullptr;
    bool m_expanded = false;
};
