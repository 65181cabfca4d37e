#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QModelIndex>
#include <QString>
#include <QUrl>

class KelHelpBrowser;
class QHelpContentWidget;
class QHelpEngine;
namespace Ui {
class KelHelp;
}

// A help window with back and forward over the last 20 followed links.
class KelHelp : public QDialog
{
    Q_OBJECT

public:
    static constexpr int maxHistory = 20;

    // collectionFileName is looked for in the resources folder; an absolute path is taken as is.
    KelHelp(QWidget* parent, QString title, QLatin1String collectionFileName, QString identifier);
    ~KelHelp() override;

    QList<QUrl> const& history() const { return m_history; }
    int backSteps() const { return m_backSteps; }
    QByteArray const& pageBytes() const { return m_pageBytes; }
    KelHelpBrowser* browser() const { return m_browser; }
    QHelpEngine* engine() const { return m_engine; }
    QHelpContentWidget* contentWidget() const { return m_contentWidget; }
    Ui::KelHelp* ui() const { return m_ui; }

public slots:
    void linkActivated(QUrl const& link);
    void linkActivated(QModelIndex const& index);
    void setupFinished();
    void on_backButton_clicked();
    void on_forwardButton_clicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    void showPage(QUrl const& url);

    Ui::KelHelp* m_ui;
    QByteArray m_pageBytes;
    QHelpEngine* m_engine = nullptr;
    QHelpContentWidget* m_contentWidget = nullptr;
    KelHelpBrowser* m_browser = nullptr;
    QList<QUrl> m_history;
    int m_backSteps = 0;
    bool m_expanded = false;
};
