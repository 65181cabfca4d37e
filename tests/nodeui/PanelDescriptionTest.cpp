#include "effects/VyxNodeGraph.h"
#include "nodeui/KelDescriptionLabel.h"
#include "nodeui/KelNodeDescription.h"
#include "nodeui/KelNodeDescriptionEdit.h"
#include "nodeui/KelNodeDescriptionTitle.h"
#include "params/HelpItem.h"
#include "style/KelStyleConfig.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

using KelUtils::HelpItem;
using KelUtils::HelpLink;

namespace {

// Catches every URL the desktop would open, for the schemes a help text might use.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    UrlCatcher()
    {
        for (QString const& scheme : schemes())
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlCatcher() override
    {
        for (QString const& scheme : schemes())
            QDesktopServices::unsetUrlHandler(scheme);
    }
    static QStringList schemes()
    {
        return {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto"),
                QStringLiteral("file"), QStringLiteral("javascript"), QStringLiteral("ftp"),
                QStringLiteral("qthelp")};
    }

    QList<QUrl> opened;

public slots:
    void open(QUrl const& url) { opened << url; }
};

// The viewport point in the middle of the first occurrence of `text`.
QPoint pointOf(QTextEdit* edit, QString const& text)
{
    QTextCursor cursor = edit->document()->find(text);
    EXPECT_FALSE(cursor.isNull()) << text.toStdString();
    QTextCursor middle(edit->document());
    middle.setPosition(cursor.selectionStart() + int(text.size()) / 2);
    return edit->cursorRect(middle).center();
}

} // namespace

TEST(PanelHelpHtml, BuildsHtmlAsDescribedForPlainTexts)
{
    const struct {
        HelpItem item;
        QString html;
    } cases[] = {
        {HelpItem(QStringLiteral("Blur"), QStringLiteral("Softens."),
                  {HelpLink(QStringLiteral("A"), QUrl(QStringLiteral("u1"))),
                   HelpLink(QStringLiteral("B"), QUrl(QStringLiteral("u2")))}),
         QStringLiteral("<h3>Blur</h3>Softens.<h4>Links<p><a href='u1'>A</a>, <a href='u2'>B</a></p></h4>")},
        {HelpItem(QStringLiteral("T"), QStringLiteral("x")), QStringLiteral("<h3>T</h3>x")},
        {HelpItem(QStringLiteral("T"), QString(), {HelpLink(QStringLiteral("Site"), QUrl(QStringLiteral("https://example.org/a")))}),
         QStringLiteral("<h3>T</h3><h4>Links<p><a href='https://example.org/a'>Site</a></p></h4>")},
    };
    for (auto const& c : cases)
        EXPECT_EQ(KelNodeDescription::helpHtml(c.item), c.html);
}

TEST(PanelHelpHtml, EscapesTitleCaptionsAndUrlQuotesButKeepsTextMarkup)
{
    const HelpItem item(QStringLiteral("<i>T</i> & co"), QStringLiteral("<b>bold</b>"),
                        {HelpLink(QStringLiteral("<img src=x>"),
                                  QUrl(QStringLiteral("https://example.org/a?b=1&c=2'onclick='x\"y")))});
    const QString html = KelNodeDescription::helpHtml(item);
    EXPECT_TRUE(html.startsWith(QStringLiteral("<h3>&lt;i&gt;T&lt;/i&gt; &amp; co</h3><b>bold</b>")))
        << html.toStdString();
    EXPECT_FALSE(html.contains(QStringLiteral("<img")));
    EXPECT_FALSE(html.contains(QStringLiteral("a'onclick")));
    EXPECT_FALSE(html.contains(QStringLiteral("x\"y")));

    // Shown, the caption is text and the URL stays one attribute.
    KelNodeDescription description;
    description.displayHelpItem(&item);
    QTextEdit* edit = description.textEdit();
    EXPECT_TRUE(edit->toPlainText().contains(QStringLiteral("<img src=x>")));
    EXPECT_TRUE(edit->toPlainText().contains(QStringLiteral("bold")));
    EXPECT_FALSE(edit->toPlainText().contains(QStringLiteral("<b>")));
    description.show();
    const QString anchor = edit->anchorAt(pointOf(edit, QStringLiteral("img src")));
    // One attribute, the whole URL: nothing broke out of the quotes.
    EXPECT_EQ(anchor, QStringLiteral("https://example.org/a?b=1&c=2%27onclick=%27x%22y"));
}

TEST(PanelDescriptionPanels, FormsAndTitleBar)
{
    KelNodeDescription description;
    EXPECT_EQ(description.objectName(), QStringLiteral("KelNodeDescription"));
    EXPECT_EQ(description.titleBar()->title, QStringLiteral("Description"));
    EXPECT_EQ(description.titleBar()->maximumHeight(), 19);
    EXPECT_TRUE(description.textEdit()->isReadOnly());
    EXPECT_TRUE(description.textEdit()->viewport()->testAttribute(Qt::WA_MouseTracking));

    KelDescriptionLabel label;
    EXPECT_EQ(label.objectName(), QStringLiteral("KelDescriptionLabel"));
    EXPECT_EQ(label.minimumHeight(), 200);
    EXPECT_EQ(label.imageLabel()->maximumSize(), QSize(120, 80));
    QImage icon(30, 20, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    label.setImage(&icon);
    EXPECT_EQ(label.imageLabel()->pixmap().size(), QSize(30, 20));

    // Null items change nothing; clear empties.
    const HelpItem item(QStringLiteral("Title"), QStringLiteral("Text"));
    label.displayHelpItem(&item);
    label.displayHelpItem(nullptr);
    EXPECT_TRUE(label.textEdit()->toPlainText().contains(QStringLiteral("Text")));
    label.clear();
    EXPECT_TRUE(label.textEdit()->toPlainText().isEmpty());
}

// Row 0 of a title bar, in a main window with or without a tool bar right above it.
QImage titleBarPicture(bool withToolBar)
{
    QMainWindow window;
    if (withToolBar) {
        auto* toolBar = new QToolBar;
        toolBar->addAction(QStringLiteral("Action"));
        window.addToolBar(toolBar);
    }
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* title = new KelNodeDescriptionTitle;
    title->title = QString(200, QLatin1Char('W'));
    title->setFixedHeight(19);
    layout->addWidget(title);
    layout->addStretch();
    window.setCentralWidget(central);
    window.resize(200, 120);
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    return title->grab().toImage();
}

TEST(PanelDescriptionPanels, TitleBarMeetsAToolBarAbove)
{
    const QColor border = KelStyleConfig::instance()->value<QColor>(QStringLiteral("KelParamTitle.borderColor"));
    const QImage alone = titleBarPicture(false);
    const QImage underToolBar = titleBarPicture(true);
    ASSERT_EQ(alone.height(), 19);
    // Alone, row 0 is the border; under a tool bar the border moves up out of the bar.
    EXPECT_EQ(QColor(alone.pixel(5, 0)).rgb(), border.rgb());
    EXPECT_NE(QColor(underToolBar.pixel(5, 0)).rgb(), border.rgb());
    EXPECT_EQ(QColor(alone.pixel(alone.width() - 1, 10)).rgb(), border.rgb());
}

TEST(PanelDescriptionLinks, OpensOnlyWebAndMailLinks)
{
    UrlCatcher catcher;
    KelNodeDescription description;
    description.resize(500, 300);
    const HelpItem item(QStringLiteral("Links"), QStringLiteral("Plain words here."),
                        {HelpLink(QStringLiteral("Web"), QUrl(QStringLiteral("https://example.org/x"))),
                         HelpLink(QStringLiteral("Unsecured"), QUrl(QStringLiteral("http://example.org/y"))),
                         HelpLink(QStringLiteral("Mail"), QUrl(QStringLiteral("mailto:a@example.org"))),
                         HelpLink(QStringLiteral("Local"), QUrl(QStringLiteral("file:///etc/passwd"))),
                         HelpLink(QStringLiteral("Script"), QUrl(QStringLiteral("javascript:alert(1)"))),
                         HelpLink(QStringLiteral("Ftp"), QUrl(QStringLiteral("ftp://example.org/z")))});
    description.displayHelpItem(&item);
    description.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&description));
    QTextEdit* edit = description.textEdit();

    for (QString const& caption : {QStringLiteral("Web"), QStringLiteral("Unsecured"), QStringLiteral("Mail"),
                                   QStringLiteral("Local"), QStringLiteral("Script"), QStringLiteral("Ftp"),
                                   QStringLiteral("words")})
        QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, pointOf(edit, caption));

    const QList<QUrl> expected{QUrl(QStringLiteral("https://example.org/x")),
                               QUrl(QStringLiteral("http://example.org/y")),
                               QUrl(QStringLiteral("mailto:a@example.org"))};
    EXPECT_EQ(catcher.opened, expected);

    // The pointing hand only over links.
    QTest::mouseMove(edit->viewport(), pointOf(edit, QStringLiteral("Web")));
    EXPECT_EQ(edit->viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(edit->viewport(), pointOf(edit, QStringLiteral("words")));
    EXPECT_NE(edit->viewport()->cursor().shape(), Qt::PointingHandCursor);
}

TEST(PanelDescriptionPanels, HelpForNodeTypeUsesAScratchNode)
{
    KelVyxNodes::VyxNodeGraph graph(nullptr);
    KelNodeDescription description;
    const int before = int(graph.nodes().size());
    description.displayHelpForNodeName(QStringLiteral("operator.blur"), &graph);
    EXPECT_EQ(int(graph.nodes().size()), before);
    const QString shown = description.textEdit()->toPlainText();
    EXPECT_FALSE(shown.isEmpty());

    description.displayHelpForNodeName(QStringLiteral("no.such.type"), &graph);
    EXPECT_EQ(description.textEdit()->toPlainText(), shown);
}

#include "PanelDescriptionTest.moc"
