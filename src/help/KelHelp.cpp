#include "help/KelHelp.h"

#include "ui_KelHelp.h"

#include "help/KelHelpBrowser.h"
#include "style/KelStyleConfig.h"
#include "style/ResourcePaths.h"

#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpLink>
#include <QSplitter>

#include <algorithm>

KelHelp::KelHelp(QWidget* parent, QString title, QLatin1String collectionFileName, QString identifier)
    : QDialog(parent), m_ui(new Ui::KelHelp)
{
    m_ui->setupUi(this);
    setWindowTitle(title);
    m_ui->backButton->setEnabled(false);
    m_ui->forwardButton->setEnabled(false);
    m_ui->backButton->setIcon(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("backward")));
    m_ui->forwardButton->setIcon(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("forward")));

    const QString name(collectionFileName);
    const QString collectionFile =
        QDir::isAbsolutePath(name) ? name : ResourcePaths::resourcesFolder() + QLatin1Char('/') + name;
    // Given a missing file, the engine would create an empty collection in its place.
    const bool exists = QFileInfo::exists(collectionFile);
    m_engine = new QHelpEngine(exists ? collectionFile : QString());
    m_engine->setReadOnly(true);
    if (!exists)
        qDebug().noquote() << QStringLiteral("Help collection not found: %1").arg(collectionFile);
    else if (!m_engine->setupData())
        qDebug().noquote() << QStringLiteral("Help collection %1 not read: %2").arg(collectionFile, m_engine->error());
    m_browser = new KelHelpBrowser(this, m_engine);

    QList<QHelpLink> links = m_engine->documentsForIdentifier(identifier);
    std::stable_sort(links.begin(), links.end(),
                     [](QHelpLink const& a, QHelpLink const& b) { return a.title < b.title; });
    // The first page is not a history entry.
    if (!links.isEmpty())
        showPage(links.first().url);

    m_contentWidget = m_engine->contentWidget();
    auto* splitter = new QSplitter(Qt::Horizontal, m_ui->helpWidget);
    splitter->addWidget(m_contentWidget);
    splitter->addWidget(m_browser);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    policy.setHorizontalStretch(3);
    m_browser->setSizePolicy(policy);
    auto* layout = new QHBoxLayout(m_ui->helpWidget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, &KelHelp::setupFinished,
            Qt::QueuedConnection);
    connect(m_contentWidget, &QHelpContentWidget::clicked, this,
            qOverload<QModelIndex const&>(&KelHelp::linkActivated));
    connect(m_browser, &TwHelpBrowser::linkClicked, this, qOverload<QUrl const&>(&KelHelp::linkActivated));
}

KelHelp::~KelHelp()
{
    delete m_browser;
    delete m_engine;
    delete m_ui;
}

void KelHelp::showPage(QUrl const& url)
{
    m_pageBytes = m_engine->fileData(url);
    m_browser->setSource(url);
}

void KelHelp::setupFinished()
{
    if (m_expanded)
        return;
    m_expanded = true;
    disconnect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, &KelHelp::setupFinished);
    m_contentWidget->expandToDepth(1);
}

void KelHelp::linkActivated(QModelIndex const& index)
{
    auto* model = qobject_cast<QHelpContentModel*>(m_contentWidget->model());
    if (!model)
        return;
    QHelpContentItem* item = model->contentItemAt(index);
    if (item && item->url().isValid())
        linkActivated(item->url());
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
