#include "help/KelHelp.h"

#include "ui_KelHelp.h"

#include "help/KelHelpBrowser.h"
#include "style/KelStyleConfig.h"
#include "style/ResourcePaths.h"

#include <QDir>
#include <QEvent>
#include <QHBoxLayout>

KelHelp::KelHelp(QWidget* parent, QString title, QLatin1String collectionFileName, QString identifier)
    : HelpViewer(parent), m_ui(new Ui::KelHelp)
{
    m_ui->setupUi(this);
    setWindowTitle(title); // own text
    m_ui->backButton->setEnabled(false);
    m_ui->forwardButton->setEnabled(false);
    m_ui->backButton->setIcon(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("backward")));
    m_ui->forwardButton->setIcon(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("forward")));

    const QString name(collectionFileName);
    openCollection(QDir::isAbsolutePath(name) ? name : ResourcePaths::resourcesFolder() + QLatin1Char('/') + name);
    // The first page is not a history entry.
    setUpViewer(new KelHelpBrowser(this, engine()), identifier, m_ui->helpWidget)->setContentsMargins(0, 0, 0, 0);
}

KelHelp::~KelHelp()
{
    delete m_ui;
}

KelHelpBrowser* KelHelp::browser() const
{
    return static_cast<KelHelpBrowser*>(m_browser);
}

void KelHelp::linkActivated(QUrl const& link)
{
    showPage(link);
    m_history.append(link);
    if (m_history.size() > maxHistory)
        m_history.removeFirst();
    if (m_backSteps != 0) {
        m_backSteps = 0;
        m_ui->forwardButton->setEnabled(false);
    }
    m_ui->backButton->setEnabled(true);
}

void KelHelp::on_backButton_clicked()
{
    if (m_backSteps < maxHistory)
        ++m_backSteps;
    const int i = int(m_history.size()) - 1 - m_backSteps;
    if (i >= 0)
        showPage(m_history.at(i));
    if (m_backSteps >= int(m_history.size()) - 1)
        m_ui->backButton->setEnabled(false);
    m_ui->forwardButton->setEnabled(true);
}

void KelHelp::on_forwardButton_clicked()
{
    if (m_backSteps > 0)
        --m_backSteps;
    const int i = int(m_history.size()) - 1 - m_backSteps;
    if (i >= 0)
        showPage(m_history.at(i));
    if (i == int(m_history.size()) - 1)
        m_ui->forwardButton->setEnabled(false);
    m_ui->backButton->setEnabled(true);
}

void KelHelp::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        m_ui->retranslateUi(this);
}
