// Text from outside reaches widgets as text: a label, a message box, a tool tip and a text box
// show markup as the characters it is made of, and none of them opens the file its picture names.
// The program's own text documents load pictures only from Qt's resources and the program's
// resources folder.

#include "AppTestSupport.h"
#include "PipeWatcher.h"

#include "app/PlainTextWidgets.h"
#include "app/ShownText.h"
#include "app/TextDocumentResources.h"
#include "style/ResourcePaths.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolTip>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class OutsideText : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(pipe.isValid());
    }

    QTemporaryDir folder;
    PipeWatcher pipe{folder.filePath(QStringLiteral("pipe"))};
    const QString markup = QStringLiteral("<img src=\"%1\">").arg(pipe.path());
};

TEST_F(OutsideText, EveryWidgetShowsMarkupAsItsCharacters)
{
    QLabel label;
    ::PlainTextWidgets::setText(&label, markup);
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(label.text(), markup);
    label.grab();

    std::unique_ptr<QLabel> name(::PlainTextWidgets::nameLabel(markup + QString(100, QLatin1Char('x')), 30));
    EXPECT_EQ(name->textFormat(), Qt::PlainText);
    EXPECT_EQ(name->text().size(), 31);
    name->grab();

    // The tool tip is rich text that shows the markup as written.
    const QString tip = ShownText::toolTip(markup + QStringLiteral("\n  second line"));
    EXPECT_TRUE(Qt::mightBeRichText(tip));
    QTextDocument document;
    document.setHtml(tip);
    EXPECT_EQ(document.toPlainText(), markup + QStringLiteral("\n  second line"));
    QToolTip::showText(QPoint(10, 10), tip);
    QToolTip::hideText();
    EXPECT_TRUE(ShownText::toolTip(QString()).isEmpty()) << "no name, no tool tip";
    // A text that does not look like markup is shown plain, as Qt shows it.
    EXPECT_EQ(ShownText::toolTip(QStringLiteral("Warm & <glow>")), QStringLiteral("Warm & <glow>"));
    EXPECT_FALSE(Qt::mightBeRichText(QStringLiteral("Warm & <glow>")));

    // An action whose text names something: its tool tip on a tool bar, and its length in a menu.
    QAction action;
    ::PlainTextWidgets::keepTextPlain(&action);
    action.setText(QStringLiteral("Undo &Insert ") + markup + QString(500, QLatin1Char('y')));
    EXPECT_LE(action.text().size(), ShownText::kMenuEntryChars + 1);
    EXPECT_TRUE(action.text().startsWith(QStringLiteral("Undo &Insert <img")));
    document.setHtml(action.toolTip());
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Undo Insert ") + action.text().mid(13));
    QToolTip::showText(QPoint(10, 10), action.toolTip());
    QToolTip::hideText();

    QTextEdit box;
    ::PlainTextWidgets::appendPlain(&box, markup);
    ::PlainTextWidgets::appendPlain(&box, QStringLiteral("next"));
    EXPECT_EQ(box.toPlainText(), markup + QStringLiteral("\nnext"));
    box.grab();

    EXPECT_EQ(pipe.readerOpens(), 0);
}

TEST_F(OutsideText, AMessageBoxShowsItsTextAsPlainText)
{
    AppTest::MessageBoxAnswerer answerer(QMessageBox::No);
    const QMessageBox::StandardButton answer = ::PlainTextWidgets::showMessage(
        QMessageBox::Question, nullptr, markup, markup, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(answer, QMessageBox::No);
    ASSERT_EQ(answerer.answered(), 1);
    EXPECT_EQ(answerer.texts.first(), markup);
    EXPECT_EQ(answerer.formats.first(), Qt::PlainText);
    EXPECT_EQ(pipe.readerOpens(), 0);
}

TEST_F(OutsideText, TheProgramsDocumentsLoadOnlyItsOwnResources)
{
    const QString resources = ResourcePaths::resourcesFolder();
    ASSERT_TRUE(QFileInfo::exists(resources + QStringLiteral("/styles.xml")));
    struct Case
    {
        QUrl url;
        bool allowed;
    };
    const Case cases[] = {
        {QUrl(QStringLiteral("qrc:/qt-project.org/styles/commonstyle/images/file-16.png")), true},
        {QUrl(QStringLiteral(":/qt-project.org/styles/commonstyle/images/file-16.png")), true},
        {QUrl(QStringLiteral("data:image/png;base64,AAAA")), true},
        {QUrl::fromLocalFile(resources + QStringLiteral("/styles.xml")), true},
        {QUrl(resources + QStringLiteral("/styles.xml")), true},
        {QUrl::fromLocalFile(pipe.path()), false},
        {QUrl(pipe.path()), false},
        {QUrl(QStringLiteral("/dev/zero")), false},
        {QUrl(QStringLiteral("file:///dev/zero")), false},
        // Out of the folder again by "..".
        {QUrl::fromLocalFile(resources + QStringLiteral("/../../../../../../dev/zero")), false},
        {QUrl(QStringLiteral("pipe")), false},
        {QUrl(QStringLiteral("https://example.org/a.png")), false},
    };
    for (Case const& c : cases)
        EXPECT_EQ(TextDocumentResources::mayLoad(c.url), c.allowed) << c.url.toString().toStdString();

    // A refused picture stands for a pixel: Qt would read the file itself for an empty answer.
    const QVariant picture = TextDocumentResources::refused(QTextDocument::ImageResource);
    ASSERT_EQ(picture.userType(), QMetaType::QPixmap);
    EXPECT_FALSE(picture.value<QPixmap>().isNull());
    EXPECT_EQ(TextDocumentResources::refused(QTextDocument::StyleSheetResource).userType(), QMetaType::QString);
    EXPECT_EQ(pipe.readerOpens(), 0);
}

} // namespace
