#include "nodeui/KelNodeDescription.h"

#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "params/HelpItem.h"
#include "params/ParameterContainer.h"
#include "ui_KelNodeDescription.h"

namespace {

// The attribute is double-quoted: the rich-text reader decodes entities there, so the address
// needs only its ampersands and double quotes escaped to arrive as it was.
QString quotedUrl(QUrl const& url)
{
    QString text = url.toString();
    text.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    text.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

KelNodeDescription::KelNodeDescription(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui_KelNodeDescription)
{
    ui->setupUi(this);
    ui->titleBar->title = tr("Description");
    ui->titleBar->setFixedHeight(19);
    ui->textEdit->document()->setDefaultStyleSheet(linkStyleSheet());
    ui->textEdit->viewport()->setAttribute(Qt::WA_MouseTracking);
}

KelNodeDescription::~KelNodeDescription()
{
    delete ui;
}

QString const& KelNodeDescription::linkStyleSheet()
{
    static const QString sheet =
        QStringLiteral("a:link { text-decoration: underline; color: rgb(150,150,150); }");
    return sheet;
}

QString KelNodeDescription::helpHtml(KelUtils::HelpItem const& item)
{
    QString html = QLatin1String("<h3>") + item.title.toHtmlEscaped() + QLatin1String("</h3>")
                   + item.text;
    if (!item.links.isEmpty()) {
        html += QLatin1String("<h4>Links<p>");
        for (int i = 0; i < item.links.size(); ++i) {
            if (i > 0)
                html += QLatin1String(", ");
            KelUtils::HelpLink const& link = item.links.at(i);
            html += QLatin1String("<a href=") + quotedUrl(link.url) + QLatin1String(">")
                    + link.caption.toHtmlEscaped() + QLatin1String("</a>");
        }
        html += QLatin1String("</p></h4>");
    }
    return html;
}

void KelNodeDescription::displayHelpItem(KelUtils::HelpItem const* item)
{
    if (!item)
        return;
    ui->textEdit->setHtml(helpHtml(*item));
}

KelNodeDescriptionTitle* KelNodeDescription::titleBar() const
{
    return ui->titleBar;
}

KelNodeDescriptionEdit* KelNodeDescription::textEdit() const
{
    return ui->textEdit;
}

void KelNodeDescription::clear()
{
    ui->textEdit->clear();
}

void KelNodeDescription::displayHelpForNodeName(QString typeName, KelNodes::NodeGraph* graph)
{
    if (!graph)
        return;
    KelNodes::Node* node = graph->addNode(typeName, -1);
    if (!node)
        return;
    const KelUtils::HelpItem help = *node->paramContainer()->helpItem();
    displayHelpItem(&help);
    graph->removeNode(node);
}
