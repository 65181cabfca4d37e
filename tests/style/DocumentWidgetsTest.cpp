#include "KelStyleTestSupport.h"

#include "style/KelDocument.h"
#include "style/KelDocumentEditor.h"
#include "style/KelDocumentEditorTitleBar.h"
#include "style/KelStyleConfig.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPainter>
#include <QPen>
#include <QResizeEvent>
#include <QSignalSpy>

using KelStyleTest::pixel;
using KelStyleTest::store;

namespace {

// A document that records the sizes its editor hands on.
class RecordingDocument : public KelDocument
{
public:
    using KelDocument::KelDocument;

    void resizeEvent(QResizeEvent* event) override
    {
        lastSize = event->size();
        lastOldSize = event->oldSize();
        KelDocument::resizeEvent(event);
    }

    QSize lastSize;
    QSize lastOldSize;
};

class DocumentWidgetsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KelStyleTest::addPixmap(QStringLiteral("titleBarButtonNormal"), 16, 16);
        store()->add(QStringLiteral("KelDocumentEditor.borderPen"), QPen(QColor(255, 0, 255)));
        store()->add(QStringLiteral("KelDocumentEditor.borderPen2"), QPen(QColor(0, 255, 255)));
        store()->add(QStringLiteral("KelDocumentEditor.sizeHint"), QSize(320, 240));
        store()->add(QStringLiteral("KelDocumentEditor.minimumSizeHint"), QSize(64, 48));
        store()->add(QStringLiteral("KelDocumentEditorTitleBar.sizeHint"), QSize(200, 27));
    }
};

TEST_F(DocumentWidgetsTest, PixmapIsScaledIntoTheRectangleAroundItsIntegerMidpoint)
{
    KelDocument document;
    QPixmap picture(200, 100);
    picture.fill(Qt::red);
    document.setPixmap(picture);

    QImage canvas = KelStyleTest::canvas(140, 160);
    {
        QPainter painter(&canvas);
        document.render(&painter, QRect(2, 29, 100, 100));
    }
    // 100 x 50 at (1, 53): midpoint (51, 78) less half the scaled size.
    EXPECT_EQ(pixel(canvas, 1, 53), QColor(Qt::red));
    EXPECT_EQ(pixel(canvas, 100, 102), QColor(Qt::red));
    EXPECT_EQ(pixel(canvas, 0, 53).alpha(), 0);
    EXPECT_EQ(pixel(canvas, 101, 53).alpha(), 0);
    EXPECT_EQ(pixel(canvas, 1, 52).alpha(), 0);
    EXPECT_EQ(pixel(canvas, 1, 103).alpha(), 0);
}

TEST_F(DocumentWidgetsTest, TypeChangesAreSignalledOnceAndForgetTheWidget)
{
    KelDocumentEditor editor;
    KelDocument* document = editor.document();
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->type(), KelDocument::Pixmap);
    EXPECT_EQ(document->editor(), &editor);

    QSignalSpy spy(document, &KelDocument::typeChanged);
    document->setType(KelDocument::Pixmap);
    EXPECT_EQ(spy.count(), 0);

    auto* field = new QLineEdit;
    document->setWidget(field);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<KelDocument::Type>(), KelDocument::Widget);
    EXPECT_EQ(document->widget(), field);
    EXPECT_EQ(field->parentWidget(), &editor);
    EXPECT_FALSE(field->isHidden());

    // The same widget again changes nothing.
    document->setWidget(field);
    EXPECT_EQ(spy.count(), 1);

    document->setType(KelDocument::Pixmap);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(document->widget(), nullptr);
    // Forgotten, not deleted: it is still the editor's child.
    EXPECT_EQ(field->parentWidget(), &editor);
}

TEST_F(DocumentWidgetsTest, DeletedWidgetIsForgotten)
{
    KelDocumentEditor editor;
    editor.resize(200, 100);
    auto* field = new QLineEdit;
    editor.document()->setWidget(field);
    delete field;
    EXPECT_EQ(editor.document()->widget(), nullptr);
    editor.grab();
    QResizeEvent event(QSize(10, 10), QSize(5, 5));
    editor.document()->resizeEvent(&event);
}

TEST_F(DocumentWidgetsTest, TitleBarPaintsLinesAndGradientFromTheStore)
{
    QLinearGradient gradient;
    gradient.setColorAt(0, QColor(0, 200, 0));
    gradient.setColorAt(1, QColor(0, 200, 0));
    store()->add(QStringLiteral("KelDocumentEditorTitleBar.backgroundGradient"),
                 QVariant::fromValue(gradient));
    store()->add(QStringLiteral("KelDocumentEditorTitleBar.borderTopPen"), QPen(Qt::red));
    store()->add(QStringLiteral("KelDocumentEditorTitleBar.borderBottomPen"), QPen(Qt::blue));

    KelDocumentEditor editor;
    KelDocumentEditorTitleBar* bar = editor.titleBar();
    bar->resize(400, 27);
    const QImage image = bar->grab().toImage();
    // Between the selector and the buttons.
    EXPECT_EQ(pixel(image, 200, 0), QColor(Qt::red));
    EXPECT_EQ(pixel(image, 200, 1), QColor(0, 200, 0));
    EXPECT_EQ(pixel(image, 200, 24), QColor(0, 200, 0));
    EXPECT_EQ(pixel(image, 200, 25), QColor(Qt::blue));
    EXPECT_EQ(pixel(image, 200, 26), QColor(Qt::blue));
}

} // namespace
