// The one wait of the window: it ends by end() or by Esc, holds back input to the windows that
// were open when it began, and leaves a dialog that opens inside it answerable.

#include "app/ModalWait.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(ModalWait, EndsByItsThingOrEscHoldsInputBackAndLeavesADialogOpenedInsideAnswerable)
{
    QPushButton command(QStringLiteral("Command"));
    int commands = 0;
    QObject::connect(&command, &QPushButton::clicked, [&] { ++commands; });
    command.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&command));

    {
        ModalWait ended;
        ended.end();
        EXPECT_EQ(ended.exec(), ModalWait::Outcome::Ended);
        EXPECT_FALSE(ModalWait::isWaiting());
    }
    {
        SCOPED_TRACE("Esc");
        ModalWait wait;
        bool busy = false;
        QTimer::singleShot(0, [&] {
            busy = ModalWait::isWaiting() && QApplication::overrideCursor()
                   && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            QTest::mouseClick(&command, Qt::LeftButton);
            QTest::keyClick(&command, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(&command, Qt::Key_Escape);
        });
        EXPECT_EQ(wait.exec(), ModalWait::Outcome::Escaped);
        EXPECT_TRUE(busy);
        QCoreApplication::processEvents();
        EXPECT_EQ(commands, 0);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    {
        SCOPED_TRACE("a dialog opened inside the wait");
        ModalWait wait;
        QString answered;
        QTimer::singleShot(0, [&] {
            QMessageBox box(QMessageBox::Information, QStringLiteral("Reply"), QStringLiteral("Done."),
                            QMessageBox::Ok);
            QTimer::singleShot(0, [&] {
                QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
            });
            if (box.exec() == QMessageBox::Ok)
                answered = box.text();
            wait.end();
        });
        EXPECT_EQ(wait.exec(), ModalWait::Outcome::Ended);
        EXPECT_EQ(answered, QStringLiteral("Done."));
        EXPECT_EQ(commands, 0);
    }
    // After the waits, input reaches the window again.
    QTest::mouseClick(&command, Qt::LeftButton);
    EXPECT_EQ(commands, 1);
}

} // namespace
