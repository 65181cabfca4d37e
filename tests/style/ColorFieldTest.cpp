#include "style/KelColorField.h"

#include "WidgetTestHelpers.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace WidgetTestHelpers;

namespace {

const QColor FOCUS(250, 0, 0);
const QColor ENABLED(0, 250, 0);
const QColor DISABLED(0, 0, 250);

// Records the presses that the field lets through.
class Parent : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

class ColorFieldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        store()->clear();
        store()->add(QStringLiteral("KelColorField.colorHasFocus"), pen(FOCUS));
        store()->add(QStringLiteral("KelColorField.colorEnabled"), pen(ENABLED));
        store()->add(QStringLiteral("KelColorField.colorDisabled"), pen(DISABLED));
        store()->add(QStringLiteral("KelColorField.sizeHint"), QSize(40, 20));
        parent.resize(200, 100);
        field = new KelColorField(&parent);
        field->setGeometry(10, 10, 40, 20);
        parent.show();
    }
    void TearDown() override { store()->clear(); }

    // Clicks the field; `withDialog` runs on the open dialog (null when none opened).
    void clickWithDialog(const std::function<void(QColorDialog*)>& withDialog,
                         Qt::MouseButton button = Qt::LeftButton)
    {
        bool ran = false;
        QTimer::singleShot(0, field, [&] {
            ran = true;
            withDialog(field->findChild<QColorDialog*>());
        });
        QTest::mouseClick(field, button);
        if (!ran) {
            QCoreApplication::processEvents();
        }
    }

    Parent parent;
    KelColorField* field = nullptr;
};

} // namespace

TEST_F(ColorFieldTest, DisabledFieldOpensNoDialog)
{
    field->setEnabled(false);
    bool dialogSeen = false;
    clickWithDialog([&](QColorDialog* dialog) {
        dialogSeen = dialog != nullptr;
        if (dialog)
            dialog->reject();
    });
    EXPECT_FALSE(dialogSeen);
}

TEST_F(ColorFieldTest, AcceptedDialogChangesTheColourWithAlpha)
{
    QSignalSpy spy(field, &KelColorField::colorChanged);
    bool alphaOffered = false;
    bool nonNative = false;
    QColor frame;
    clickWithDialog([&](QColorDialog* dialog) {
        ASSERT_NE(dialog, nullptr);
        alphaOffered = dialog->testOption(QColorDialog::ShowAlphaChannel);
        nonNative = dialog->testOption(QColorDialog::DontUseNativeDialog);
        EXPECT_EQ(dialog->currentColor(), QColor(Qt::black));
        // The field keeps its focus frame while its dialog is open.
        frame = pixel(renderWidget(*field), 0, 0);
        dialog->setCurrentColor(QColor(10, 20, 30, 0));
        dialog->accept();
    });
    EXPECT_TRUE(alphaOffered);
    EXPECT_TRUE(nonNative);
    EXPECT_EQ(frame, FOCUS);
    EXPECT_EQ(field->color(), QColor(10, 20, 30, 0));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<QColor>().alpha(), 0);
    EXPECT_EQ(field->findChild<QColorDialog*>(), nullptr);
    EXPECT_EQ(parent.presses, 0);
}

TEST_F(ColorFieldTest, CancelledOrUnchangedDialogEmitsNothing)
{
    field->setColor(QColor(100, 100, 100));
    QSignalSpy spy(field, &KelColorField::colorChanged);
    clickWithDialog([](QColorDialog* dialog) {
        ASSERT_NE(dialog, nullptr);
        dialog->setCurrentColor(QColor(1, 1, 1));
        dialog->reject();
    });
    clickWithDialog([](QColorDialog* dialog) {
        ASSERT_NE(dialog, nullptr);
        dialog->accept();
    });
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(field->color(), QColor(100, 100, 100));
}

TEST_F(ColorFieldTest, PaintsBorderAndSwatchButNoFocusFrameWhenUnfocused)
{
    field->setColor(QColor(120, 60, 30));
    QImage image = renderWidget(*field);
    EXPECT_EQ(pixel(image, 0, 0).alpha(), 0);
    EXPECT_EQ(pixel(image, 1, 1), ENABLED);
    EXPECT_EQ(pixel(image, 38, 18), ENABLED);
    EXPECT_EQ(pixel(image, 2, 2).alpha(), 0);
    EXPECT_EQ(pixel(image, 3, 3), QColor(120, 60, 30));
    EXPECT_EQ(pixel(image, 36, 16), QColor(120, 60, 30));
    EXPECT_EQ(pixel(image, 37, 17).alpha(), 0);

    field->setEnabled(false);
    image = renderWidget(*field);
    EXPECT_EQ(pixel(image, 1, 1), DISABLED);
}
