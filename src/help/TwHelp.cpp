#include "help/TwHelp.h"

#include "ui_Help.h"

#include "help/TwHelpBrowser.h"
#include "style/ResourcePaths.h"

#include <QDebug>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpLink>
#include <QSplitter>

#include <algorithm>

TwHelp::TwHelp(QWidget* parent, QString identifier)
    : TwHelp(parent, std::move(identifier), defaultCollectionFile())
{
}

TwHelp::TwHelp(QWidget* parent, QString identifier, QString const& collectionFile)
    : QDialog(parent), m_ui(new Ui::Help)
{
    m_ui->setupUi(this);
    init(identifier, collectionFile);
}

TwHelp::~TwHelp()
{
    delete m_browser;
    delete m_engine;
    delete m_ui;
}

QString TwHelp::defaultCollectionFile()
{
    return ResourcePaths::resourcesFolder() + QStringLiteral("/vyx-solenne_en.qhc");
}

void TwHelp::init(QString const& identifier, QString const& collectionFile)
{
    // Given a missing file, the engine would create an empty collection in its place.
    const bool exists = QFileInfo::exists(collectionFile);
    m_engine = new QHelpEngine(exists ? collectionFile : QString());
    m_engine->setReadOnly(true);
    if (!exists)
        qDebug().noquote() << QStringLiteral("Help collection not found: %1").arg(collectionFile);
    else if (!m_engine->setupData())
        qDebug().noquote() << QStringLiteral("Help collection %1 not read: %2").arg(collectionFile, m_engine->error());
    m_browser = new TwHelpBrowser(this, m_engine);

    QList<QHelpLink> links = m_engine->documentsForIdentifier(identifier);
    std::stable_sort(links.begin(), links.end(),
                     [](QHelpLink const& a, QHelpLink const& b) { return a.title < b.title; });
    if (!links.isEmpty())
        linkActivated(links.first().url);

    m_contentWidget = m_engine->contentWidget();
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_contentWidget);
    splitter->addWidget(m_browser);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    policy.setHorizontalStretch(3);
    m_browser->setSizePolicy(policy);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(splitter);

    // The contents model is reset, not filled row by row, once its background build ends.
    connect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, &TwHelp::setupFinished,
            Qt::QueuedConnection);
    connect(m_contentWidget, &QHelpContentWidget::clicked, this,
            qOverload<QModelIndex const&>(&TwHelp::linkActivated));
    connect(m_browser, &TwHelpBrowser::linkClicked, this, qOverload<QUrl const&>(&TwHelp::linkActivated));
}

void TwHelp::setupFinished()
{
    if (m_expanded)
        return;
    m_expanded = true;
    disconnect(m_engine->contentModel(), &QHelpContentModel::contentsCreated, this, &TwHelp::setupFinished);
    m_contentWidget->expandToDepth(1);
}

void TwHelp::linkActivated(QModelIndex const& index)
{
    auto* model = qobject_cast<QHelpContentModel*>(m_contentWidget->model());
    if (!model)
        return;
    QHelpContentItem* item = model->contentItemAt(index);
    if (item && item->url().isValid())
        linkActivated(item->url());
}

void TwHelp::linkActivated(QUrl const& link)
{
    m_pageBytes = m_engine->fileData(link);
    m_browser->setSource(link);
}

void TwHelp::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        m_ui->retranslateUi(this);
}
