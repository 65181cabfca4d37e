#include "help/HelpViewer.h"

#include "help/TwHelpBrowser.h"

#include <QDebug>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpLink>
#include <QItemSelectionModel>
#include <QSplitter>

#include <algorithm>

HelpViewer::~HelpViewer()
{
    delete m_browser;
    delete m_engine;
}

void HelpViewer::openCollection(QString const& collectionFile)
{
    // Given a missing file, the engine would create an empty collection in its place.
    const bool exists = QFileInfo::exists(collectionFile);
    m_engine = new QHelpEngine(exists ? collectionFile : QString());
    m_engine->setReadOnly(true);
    if (!exists)
        qDebug().noquote() << QStringLiteral("Help collection not found: %1").arg(collectionFile);
    else if (!m_engine->setupData())
        qDebug().noquote() << QStringLiteral("Help collection %1 not read: %2").arg(collectionFile, m_engine->error());
}

QHBoxLayout* HelpViewer::setUpViewer(TwHelpBrowser* browser, QString const& identifier, QWidget* host)
{
    m_browser = browser;
    QList<QHelpLink> links = m_engine->documentsForIdentifier(identifier);
    std::stable_sort(links.begin(), links.end(),
                     [](QHelpLink const& a, QHelpLink const& b) { return a.title < b.title; });
    if (!links.isEmpty())
        showPage(links.first().url);

    m_contentWidget = m_engine->contentWidget();
    auto* splitter = new QSplitter(Qt::Horizontal, host);
    splitter->addWidget(m_contentWidget);
    splitter->addWidget(m_browser);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    policy.setHorizontalStretch(3);
    m_browser->setSizePolicy(policy);
    auto* layout = new QHBoxLayout(host);
    layout->addWidget(splitter);

    // The contents model is reset, not filled row by row, once its background build ends.
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, &HelpViewer::setupFinished,
            Qt::QueuedConnection);
    connect(m_contentWidget, &QHelpContentWidget::clicked, this,
            qOverload<QModelIndex const&>(&HelpViewer::linkActivated));
    connect(m_browser, &TwHelpBrowser::linkClicked, this, qOverload<QUrl const&>(&HelpViewer::linkActivated));
    return layout;
}

void HelpViewer::showPage(QUrl const& url)
{
    m_pageBytes = m_engine->fileData(url);
    m_browser->setSource(url);
    selectInContents(url);
}

void HelpViewer::selectInContents(QUrl const& url)
{
    // Before the contents exist there is nothing to select; setupFinished catches up.
    if (!m_contentWidget)
        return;
    const QModelIndex index = m_contentWidget->indexOf(url);
    if (!index.isValid()) {
        if (m_contentWidget->selectionModel())
            m_contentWidget->selectionModel()->clear();
        return;
    }
    m_contentWidget->setCurrentIndex(index);
    m_contentWidget->scrollTo(index);
}

void HelpViewer::setupFinished()
{
    if (m_expanded)
        return;
    m_expanded = true;
    disconnect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, &HelpViewer::setupFinished);
    m_contentWidget->expandToDepth(1);
    selectInContents(m_browser->source());
}

void HelpViewer::linkActivated(QModelIndex const& index)
{
    auto* model = qobject_cast<QHelpContentModel*>(m_contentWidget->model());
    if (!model)
        return;
    QHelpContentItem* item = model->contentItemAt(index);
    if (item && item->url().isValid())
        linkActivated(item->url());
}

void HelpViewer::linkActivated(QUrl const& link)
{
    showPage(link);
}
