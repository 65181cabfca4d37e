#include "app/HostilePictures.h"
#include "app/PipeWatcher.h"
#include "effects/VyxNodeGraph.h"
#include "nodeui/KelNodeDescription.h"
#include "nodeui/KelNodeDescriptionEdit.h"
#include "nodeui/KelNodeDescriptionTitle.h"
#include "params/HelpItem.h"
#include "style/KelStyleConfig.h"
#include "style/ResourcePaths.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>

using KelUtils::HelpItem;
using KelUtils::HelpLink;

namespace {

// Catches what the desktop would open, for the schemes a help text might use.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    const QStringList schemes{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto"),
                              QStringLiteral("file"), QStringLiteral("javascript"), QStringLiteral("ftp")};
    UrlCatcher()
    {
        for (QString const& scheme : schemes)
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlCatcher() override
    {
        for (QString const& scheme : schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;

public slots:
    void open(QUrl const& url) { opened << url; }
};

// The viewport point in the middle of the first occurrence of `text`.
QPoint pointOf(QTextEdit* edit, QString const& text)
{
    const QTextCursor found = edit->document()->find(text);
    QTextCursor middle(edit->document());
    middle.setPosition(found.selectionStart() + int(text.size()) / 2);
    return edit->cursorRect(middle).center();
}

// A title bar's picture, in a main window with or without a tool bar right above it.
QImage titleBarPicture(bool withToolBar)
{
    QMainWindow window;
    if (withToolBar)
        window.addToolBar(QStringLiteral("tools"))->addAction(QStringLiteral("Action"));
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
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

} // namespace

TEST(PanelHelpHtml, BuiltAsDescribedWithTitleAndCaptionsEscaped)
{
    const QList<HelpLink> twoLinks{HelpLink(QStringLiteral("A"), QUrl(QStringLiteral("u1"))),
                                   HelpLink(QStringLiteral("B"), QUrl(QStringLiteral("u2")))};
    const struct {
        HelpItem item;
        QString html;
    } cases[] = {
        {HelpItem(QStringLiteral("Blur"), QStringLiteral("Softens."), twoLinks),
         QStringLiteral("<h3>Blur</h3>Softens.<h4>Links<p><a href=\"u1\">A</a>, <a href=\"u2\">B</a></p></h4>")},
        {HelpItem(QStringLiteral("T"), QStringLiteral("<b>x</b>")), QStringLiteral("<h3>T</h3><b>x</b>")},
        {HelpItem(QStringLiteral("<i>T</i> & co"), QString(),
                  {HelpLink(QStringLiteral("<img src=x>"), QUrl(QStringLiteral("https://e.org/a?b=1&c=2'on='x\"y")))}),
         QStringLiteral("<h3>&lt;i&gt;T&lt;/i&gt; &amp; co</h3><h4>Links<p><a href=\"https://e.org/a?b=1&amp;c=2'on='x%22y\">"
                        "&lt;img src=x&gt;</a></p></h4>")},
    };
    for (auto const& c : cases)
        EXPECT_EQ(KelNodeDescription::helpHtml(c.item), c.html);

    // Shown, markup of the text renders and an escaped caption reads as text.
    KelNodeDescription description;
    description.displayHelpItem(&cases[2].item);
    EXPECT_TRUE(description.textEdit()->toPlainText().contains(QStringLiteral("<img src=x>")));
    description.displayHelpItem(&cases[1].item);
    description.displayHelpItem(nullptr);
    EXPECT_EQ(description.textEdit()->toPlainText(), QStringLiteral("T\nx"));
}

TEST(PanelHelpHtml, ClickedLinksOpenTheirAddressUnchanged)
{
    // Quotes, ampersands, text that reads as an entity, a backslash before a quote, and
    // characters the address itself percent-encodes.
    const QStringList addresses{
        QStringLiteral("http://example.org/x'y"),
        QStringLiteral("https://example.org/it's?q='a'#'frag'"),
        QStringLiteral("https://example.org/a?b=1&c=2"),
        QStringLiteral("https://example.org/a?t=&amp;&lt;&#39;"),
        QStringLiteral("https://example.org/x\\'y"),
        QStringLiteral("https://example.org/x%27y%22z"),
        QStringLiteral("https://example.org/a\"b<c>d e"),
        QStringLiteral("https://example.org/caf\u00e9?n=\u00fc"),
    };
    for (QString const& address : addresses) {
        const QUrl url(address);
        UrlCatcher catcher;
        KelNodeDescription description;
        description.resize(500, 300);
        HelpItem item(QStringLiteral("T"), QString(), {HelpLink(QStringLiteral("Follow"), url)});
        description.displayHelpItem(&item);
        description.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&description));
        QTextEdit* edit = description.textEdit();
        const std::string expected = url.toString(QUrl::FullyEncoded).toStdString();
        EXPECT_EQ(QUrl(edit->anchorAt(pointOf(edit, QStringLiteral("Follow")))).toString(QUrl::FullyEncoded).toStdString(),
                  expected);
        QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, pointOf(edit, QStringLiteral("Follow")));
        ASSERT_EQ(catcher.opened.size(), 1) << expected;
        EXPECT_EQ(catcher.opened.first().toString(QUrl::FullyEncoded).toStdString(), expected);
        EXPECT_TRUE(catcher.opened.first() == url) << expected;
    }
}

TEST(PanelDescriptionPanels, TitleBarBorderMovesOutOfAToolBarAbove)
{
    // Alone, row 0 is the border; under a tool bar the border moves up out of the bar.
    const QColor border = KelStyleConfig::instance()->value<QColor>(QStringLiteral("KelParamTitle.borderColor"));
    const QImage alone = titleBarPicture(false);
    ASSERT_EQ(alone.height(), 19);
    EXPECT_EQ(QColor(alone.pixel(5, 0)).rgb(), border.rgb());
    EXPECT_NE(QColor(titleBarPicture(true).pixel(5, 0)).rgb(), border.rgb());
}

TEST(PanelDescriptionPanels, OpensOnlyWebAndMailLinks)
{
    UrlCatcher catcher;
    KelNodeDescription description;
    description.resize(500, 300);
    const QStringList urls{QStringLiteral("https://example.org/x"), QStringLiteral("http://example.org/y"),
                           QStringLiteral("mailto:a@example.org"), QStringLiteral("file:///etc/passwd"),
                           QStringLiteral("javascript:alert(1)"), QStringLiteral("ftp://example.org/z")};
    HelpItem item(QStringLiteral("Links"), QStringLiteral("Plain words here."));
    for (int i = 0; i < urls.size(); ++i)
        item.links << HelpLink(QStringLiteral("Link%1").arg(i), QUrl(urls.at(i)));
    description.displayHelpItem(&item);
    description.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&description));
    QTextEdit* edit = description.textEdit();

    for (int i = 0; i < urls.size(); ++i)
        QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, pointOf(edit, QStringLiteral("Link%1").arg(i)));
    QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, pointOf(edit, QStringLiteral("words")));
    EXPECT_EQ(catcher.opened, (QList<QUrl>{QUrl(urls.at(0)), QUrl(urls.at(1)), QUrl(urls.at(2))}));

    QTest::mouseMove(edit->viewport(), pointOf(edit, QStringLiteral("Link0")));
    EXPECT_EQ(edit->viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(edit->viewport(), pointOf(edit, QStringLiteral("words")));
    EXPECT_NE(edit->viewport()->cursor().shape(), Qt::PointingHandCursor);
}

TEST(PanelDescriptionPanels, HelpForNodeTypeUsesAScratchNode)
{
    KelVyxNodes::VyxNodeGraph graph(nullptr);
    KelNodeDescription description;
    const auto before = graph.nodes().size();
    description.displayHelpForNodeName(QStringLiteral("operator.blur"), &graph);
    EXPECT_EQ(graph.nodes().size(), before);
    const QString shown = description.textEdit()->toPlainText();
    EXPECT_FALSE(shown.isEmpty());
    description.displayHelpForNodeName(QStringLiteral("no.such.type"), &graph);
    EXPECT_EQ(description.textEdit()->toPlainText(), shown);
}

TEST(PanelDescriptionPanels, LoadOnlyTheProgramsOwnPictures)
{
    // A name or a description that reaches the panel as markup names a file; the panel reads
    // none but the program's own (a named pipe would block it for good).
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    PipeWatcher pipe(folder.filePath(QStringLiteral("pipe")));
    ASSERT_TRUE(pipe.isValid());
    const QString own = ResourcePaths::resourcesFolder() + QStringLiteral("/images/add.png");
    ASSERT_FALSE(QImage(own).isNull());
    KelNodeDescriptionEdit edit;
    edit.resize(300, 200);
    edit.setHtml(QStringLiteral("<p><img src=\"%1\"><img src=\"%2\"><img src=\"file://%1\"></p>"
                                "<link rel=\"stylesheet\" href=\"%1\">")
                     .arg(pipe.path(), own));
    edit.show();
    // The layout asks for the pictures' sizes.
    edit.document()->size();
    edit.grab();
    EXPECT_EQ(pipe.readerOpens(), 0);
    const QVariant loaded = edit.document()->resource(QTextDocument::ImageResource, QUrl(own));
    EXPECT_FALSE(loaded.value<QPixmap>().isNull()) << "the program's own picture loads";
    EXPECT_EQ(loaded.value<QPixmap>().size(), QImage(own).size());
}

TEST(PanelDescriptionPanels, DataUrlPicturesAreReadAsRasterPicturesOnly)
{
    // A picture inside the markup as a data: URL: an SVG document there would open what its
    // <image> names. Only raster pictures are read.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    PipeWatcher pipe(folder.filePath(QStringLiteral("pipe")));
    ASSERT_TRUE(pipe.isValid());
    QString html;
    for (HostilePictures::Sample const& sample : HostilePictures::svgNaming(pipe.path())) {
        for (char const* type : {"image/svg+xml", "image/png", ""})
            html += QStringLiteral("<img src=\"data:%1;base64,%2\">")
                        .arg(QLatin1String(type), QString::fromLatin1(sample.bytes.toBase64()));
    }
    const QImage picture = HostilePictures::pattern(QSize(9, 7)).convertToFormat(QImage::Format_RGB32);
    const QString png = QStringLiteral("data:image/png;base64,")
                        + QString::fromLatin1(HostilePictures::written(picture, "png").toBase64());
    html += QStringLiteral("<img src=\"%1\">").arg(png);
    KelNodeDescriptionEdit edit;
    edit.resize(300, 200);
    edit.setHtml(html);
    edit.show();
    edit.document()->size();
    edit.grab();
    EXPECT_EQ(pipe.readerOpens(), 0);
    const QVariant loaded = edit.document()->resource(QTextDocument::ImageResource, QUrl(png));
    EXPECT_EQ(loaded.value<QPixmap>().toImage().convertToFormat(QImage::Format_RGB32), picture);
}

#include "PanelDescriptionTest.moc"
