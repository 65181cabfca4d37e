#include "KelStyleTestSupport.h"

#include "style/KelSplitterSynchronizer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QSplitter>
#include <QTest>

using KelStyleTest::store;

namespace {

// Exposes the user's way of moving a handle, which is what the synchroniser listens to.
class TestSplitter : public QSplitter
{
public:
    explicit TestSplitter(Qt::Orientation orientation, QWidget* parent = nullptr)
        : QSplitter(orientation, parent)
    {
        addWidget(new QLabel(QStringLiteral("top")));
        addWidget(new QLabel(QStringLiteral("bottom")));
        setHandleWidth(5);
    }

    using QSplitter::moveSplitter;
};

void deliverDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Two vertical splitters side by side in a horizontal splitter, 155 pixels high, the left one
// split 100 / 50: its handle crosses the parent's handle at heights 100 to 104.
class CrossingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KelStyleTest::addPixmap(QStringLiteral("cursorSizeAll"), 16, 16);
        parent = new QSplitter(Qt::Horizontal);
        parent->setHandleWidth(5);
        left = new TestSplitter(Qt::Vertical, parent);
        right = new TestSplitter(Qt::Vertical, parent);
        parent->resize(305, 155);
        parent->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(parent));
        synchronizer = new KelSplitterSynchronizer(left, right);
        QApplication::processEvents();
        left->setSizes({100, 50});
        right->setSizes({100, 50});
        ASSERT_EQ(left->sizes(), QList<int>({100, 50}));
        ASSERT_EQ(left->height(), 155);
    }

    void TearDown() override
    {
        delete parent;
        deliverDeferredDeletes();
        EXPECT_TRUE(synchronizer.isNull());
    }

    // A mouse event on the parent's handle at the given height.
    void mouse(QEvent::Type type, int y, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QSplitterHandle* handle = parent->handle(1);
        const QPoint local(2, y);
        QMouseEvent event(type, QPointF(local), QPointF(handle->mapToGlobal(local)), button,
                          buttons, Qt::NoModifier);
        QApplication::sendEvent(handle, &event);
    }

    QSplitter* parent = nullptr;
    TestSplitter* left = nullptr;
    TestSplitter* right = nullptr;
    QPointer<KelSplitterSynchronizer> synchronizer;
};

TEST(SplitterSynchronizerTest, SizesAreCopiedOnceTheEventLoopRuns)
{
    QWidget window;
    auto* first = new TestSplitter(Qt::Vertical, &window);
    auto* second = new TestSplitter(Qt::Vertical, &window);
    auto* third = new TestSplitter(Qt::Vertical, &window);
    for (TestSplitter* splitter : {first, second, third})
        splitter->resize(100, 205);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    first->setSizes({150, 50});
    second->setSizes({50, 150});
    third->setSizes({100, 100});

    new KelSplitterSynchronizer(QList<QSplitter*>{first, second, third});
    EXPECT_EQ(second->sizes(), QList<int>({50, 150}));
    QApplication::processEvents();
    EXPECT_EQ(second->sizes(), QList<int>({150, 50}));
    EXPECT_EQ(third->sizes(), QList<int>({150, 50}));

    // A handle moved by the user in any of them moves all of them.
    second->moveSplitter(80, 1);
    EXPECT_EQ(second->sizes(), QList<int>({80, 120}));
    EXPECT_EQ(first->sizes(), QList<int>({80, 120}));
    EXPECT_EQ(third->sizes(), QList<int>({80, 120}));
}

TEST(SplitterSynchronizerTest, DeletesItselfWithTheLastSplitter)
{
    auto* first = new TestSplitter(Qt::Vertical);
    auto* second = new TestSplitter(Qt::Vertical);
    QPointer<KelSplitterSynchronizer> synchronizer = new KelSplitterSynchronizer(first, second);
    QApplication::processEvents();

    delete first;
    deliverDeferredDeletes();
    ASSERT_FALSE(synchronizer.isNull());
    // The survivor still works alone.
    second->moveSplitter(30, 1);

    delete second;
    deliverDeferredDeletes();
    EXPECT_TRUE(synchronizer.isNull());
}

TEST_F(CrossingTest, DragAtTheCrossingMovesTheChildrensHandle)
{
    mouse(QEvent::MouseButtonPress, 102, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, 120, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 120, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(left->sizes(), QList<int>({118, 32}));
    EXPECT_EQ(right->sizes(), QList<int>({118, 32}));

    // Released: moves are no longer forwarded.
    mouse(QEvent::MouseMove, 60, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(left->sizes(), QList<int>({118, 32}));
}

TEST_F(CrossingTest, PressPastTheLastSectionPressesNothing)
{
    mouse(QEvent::MouseButtonPress, 157, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, 120, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(left->sizes(), QList<int>({100, 50}));
    mouse(QEvent::MouseButtonRelease, 120, Qt::LeftButton, Qt::NoButton);
    mouse(QEvent::MouseMove, 157, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(parent->handle(1)->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(CrossingTest, HandleDestroyedMidDragEndsTheDrag)
{
    mouse(QEvent::MouseButtonPress, 102, Qt::LeftButton, Qt::LeftButton);
    // Replacing the left splitter's widgets destroys its pressed handle.
    delete left->widget(1);
    delete left->widget(0);
    mouse(QEvent::MouseMove, 120, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 120, Qt::LeftButton, Qt::NoButton);
}

} // namespace
