#pragma once

#include "help/HelpViewer.h"

#include <QList>
#include <QString>
#include <QUrl>

class KelHelpBrowser;
namespace Ui {
class KelHelp;
}

// A help window with back and forward over the last 20 followed links.
class KelHelp : public HelpViewer
{
    Q_OBJECT

public:
    static constexpr int maxHistory = 20;

    // collectionFileName is looked for in the resources folder; an absolute path is taken as is.
    KelHelp(QWidget* parent, QString title, QLatin1String collectionFileName, QString identifier);
    ~KelHelp() override;

    QList<QUrl> const& history() const { return m_history; }
    int backSteps() const { return m_backSteps; }
    KelHelpBrowser* browser() const;
    Ui::KelHelp* ui() const { return m_ui; }

    using HelpViewer::linkActivated;

public slots:
    // Shows the page and makes it the newest history entry.
    void linkActivated(QUrl const& link) override;
    void on_backButton_clicked();
    void on_forwardButton_clicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    Ui::KelHelp* m_ui;
    QList<QUrl> m_history;
    int m_backSteps = 0;
};
