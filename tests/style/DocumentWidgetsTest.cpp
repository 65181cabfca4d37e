#include "KelStyleTestSupport.h"

#include "style/KelDocument.h"
#include "style/KelDocumentEditor.h"
#include "style/KelDocumentEditorTitleBar.h"
#include "style/KelStyleConfig.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPen>
#include <QPointer>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QTest>

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

TEST_F(DocumentWidgetsTest, WidgetDocumentFollowsTheDocumentArea)
{
    KelDocumentEditor editor;
    editor.resize(300, 200);
    auto* field = new QLineEdit;
    editor.document()->setWidget(field);
    EXPECT_EQ(editor.documentRect(), QRect(2, 29, 296, 169));
    EXPECT_EQ(field->geometry(), editor.documentRect());

    // Every repaint places the widget again.
    field->setGeometry(0, 0, 10, 10);
    editor.grab();
    EXPECT_EQ(field->geometry(), editor.documentRect());
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

TEST_F(DocumentWidgetsTest, DocumentMovedToAnotherEditorTakesItsWidgetAlong)
{
    KelDocumentEditor first;
    KelDocumentEditor second;
    second.resize(400, 300);
    auto* document = new KelDocument(KelDocument::Widget, &first);
    auto* field = new QLineEdit;
    document->setWidget(field);
    EXPECT_EQ(field->parentWidget(), &first);

    document->setEditor(&second);
    EXPECT_EQ(document->editor(), &second);
    EXPECT_EQ(field->parentWidget(), &second);
    EXPECT_FALSE(field->isHidden());
    EXPECT_EQ(field->geometry(), second.documentRect());
}

TEST_F(DocumentWidgetsTest, TitleBarOnlyRequestsTypeChanges)
{
    KelDocumentEditor editor;
    QSignalSpy requested(&editor, &KelDocumentEditor::typeChangeRequested);
    QSignalSpy changed(editor.document(), &KelDocument::typeChanged);
    QComboBox* selector = editor.titleBar()->typeSelector();
    ASSERT_EQ(selector->count(), 2);
    EXPECT_EQ(selector->itemText(0), QStringLiteral("Pixmap"));
    EXPECT_EQ(selector->itemText(1), QStringLiteral("Widget"));

    selector->setCurrentIndex(1);
    emit selector->activated(1);
    ASSERT_EQ(requested.count(), 1);
    EXPECT_EQ(requested.at(0).at(0).value<KelDocument::Type>(), KelDocument::Widget);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(editor.document()->type(), KelDocument::Pixmap);

    selector->setCurrentIndex(0);
    emit selector->activated(0);
    ASSERT_EQ(requested.count(), 2);
    EXPECT_EQ(requested.at(1).at(0).value<KelDocument::Type>(), KelDocument::Pixmap);
}

TEST_F(DocumentWidgetsTest, TitleBarButtonsSitOutsideTheLayoutAtTheRightEnd)
{
    KelDocumentEditor editor;
    KelDocumentEditorTitleBar* bar = editor.titleBar();
    EXPECT_EQ(bar->height(), 27);
    EXPECT_EQ(bar->sizeHint(), QSize(200, 27));
    EXPECT_EQ(bar->minimumSizeHint(), QSize(200, 27));
    editor.resize(300, 100);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    ASSERT_EQ(bar->width(), 300);
    EXPECT_EQ(bar->closeButton()->geometry(), QRect(280, 5, 16, 16));
    EXPECT_EQ(bar->maximizeButton()->geometry(), QRect(258, 5, 16, 16));
    EXPECT_EQ(bar->maximizeButton()->pixmapName(), QStringLiteral("titleBarMaximize"));
    EXPECT_EQ(bar->closeButton()->pixmapName(), QStringLiteral("titleBarClose"));

    const QMargins margins = bar->layout()->contentsMargins();
    EXPECT_EQ(margins.top(), 1);
    EXPECT_EQ(margins.right(), 16 + 16 + 16);
    EXPECT_EQ(margins.bottom(), 2);

    QSignalSpy maximize(&editor, &KelDocumentEditor::maximizeRequested);
    QSignalSpy close(&editor, &KelDocumentEditor::closeRequested);
    bar->maximizeButton()->click();
    bar->closeButton()->click();
    EXPECT_EQ(maximize.count(), 1);
    EXPECT_EQ(close.count(), 1);

    editor.setMaximized(true);
    EXPECT_EQ(bar->maximizeButton()->pixmapName(), QStringLiteral("titleBarMinimize"));
    EXPECT_EQ(bar->maximizeButton()->geometry(), QRect(258, 5, 16, 16));
    bar->maximizeButton()->click();
    EXPECT_EQ(maximize.count(), 2);
    editor.setMaximized(false);
    EXPECT_EQ(bar->maximizeButton()->pixmapName(), QStringLiteral("titleBarMaximize"));

    QFrame* separator = bar->addSeparator();
    EXPECT_EQ(separator->frameStyle(), 0x35);
    EXPECT_GE(bar->layout()->indexOf(separator), 0);
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

TEST_F(DocumentWidgetsTest, ResizeHandsTheDocumentItsAreaAndMarksAFirstSize)
{
    auto* document = new RecordingDocument(KelDocument::Pixmap, nullptr);
    KelDocumentEditor editor(document);
    EXPECT_EQ(document->editor(), &editor);

    QResizeEvent fromNothing(QSize(200, 100), QSize(0, 0));
    QApplication::sendEvent(&editor, &fromNothing);
    EXPECT_EQ(document->lastSize, QSize(196, 69));
    EXPECT_EQ(document->lastOldSize, QSize(-1, -1));

    QResizeEvent grown(QSize(300, 150), QSize(200, 100));
    QApplication::sendEvent(&editor, &grown);
    EXPECT_EQ(document->lastSize, QSize(296, 119));
    EXPECT_EQ(document->lastOldSize, QSize(196, 69));
}

TEST_F(DocumentWidgetsTest, FocusFrameOnlyWhileFocusIsInsideAnActiveEditor)
{
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* editor = new KelDocumentEditor;
    auto* outside = new QLineEdit;
    layout->addWidget(editor);
    layout->addWidget(outside);
    auto* field = new QLineEdit;
    editor->document()->setWidget(field);
    window.resize(500, 200);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    const auto frameAt = [editor](int x) {
        const QImage image = editor->grab().toImage();
        return pixel(image, x, editor->documentRect().center().y());
    };

    outside->setFocus();
    QApplication::processEvents();
    EXPECT_NE(frameAt(0), QColor(255, 0, 255));

    field->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(frameAt(0), QColor(255, 0, 255));
    EXPECT_EQ(frameAt(1), QColor(0, 255, 255));

    // Focus on the editor itself does not count.
    editor->setFocusPolicy(Qt::StrongFocus);
    editor->setFocus();
    QApplication::processEvents();
    EXPECT_NE(frameAt(0), QColor(255, 0, 255));
}

} // namespace
