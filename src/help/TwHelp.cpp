#include "help/TwHelp.h"

#include "ui_Help.h"

#include "help/TwHelpBrowser.h"
#include "style/ResourcePaths.h"

#include <QEvent>

TwHelp::TwHelp(QWidget* parent, QString identifier)
    : TwHelp(parent, std::move(identifier), defaultCollectionFile())
{
}

TwHelp::TwHelp(QWidget* parent, QString identifier, QString const& collectionFile)
    : HelpViewer(parent), m_ui(new Ui::Help)
{
    m_ui->setupUi(this);
    openCollection(collectionFile);
    setUpViewer(new TwHelpBrowser(this, engine()), identifier, this);
}

TwHelp::~TwHelp()
{
    delete m_ui;
}

QString TwHelp::defaultCollectionFile()
{
    return ResourcePaths::resourcesFolder() + QStringLiteral("/vyx-solenne_en.qhc");
}

void TwHelp::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        m_ui->retranslateUi(this);
}
