#pragma once

#include "help/HelpViewer.h"

#include <QString>

class TwHelpBrowser;
namespace Ui {
class Help;
}

// The help window: the collection's contents tree beside the page view, opened at the page
// registered under an identifier.
class TwHelp : public HelpViewer
{
    Q_OBJECT

public:
    // The program's collection "vyx-solenne_en.qhc" in the resources folder.
    TwHelp(QWidget* parent, QString identifier);
    TwHelp(QWidget* parent, QString identifier, QString const& collectionFile);
    ~TwHelp() override;

    static QString defaultCollectionFile();

    TwHelpBrowser* browser() const { return m_browser; }

protected:
    void changeEvent(QEvent* event) override;

private:
    Ui::Help* m_ui;
};
