// The keys that ask the Project tab's list for the bin: Delete everywhere, and Backspace only on
// a Mac keyboard, where it is the key labelled delete. Elsewhere Backspace removes nothing.

#include "mainwindow/ProjectBrowserTreeWidget.h"

#include <QSignalSpy>
#include <QTest>
#include <QTreeWidgetItem>

#include <gtest/gtest.h>

namespace MainWindowTest {
namespace {

bool asksForTheBin(int key)
{
#ifdef Q_OS_MACOS
    if (key == Qt::Key_Backspace)
        return true;
#endif
    return key == Qt::Key_Delete;
}

TEST(ProjectBrowserTreeWidget, OnlyThePlatformsDeleteKeysAskForTheBin)
{
    ProjectBrowserTreeWidget tree;
    tree.addTopLevelItem(new QTreeWidgetItem(QStringList({QStringLiteral("Effect")})));
    tree.setCurrentItem(tree.topLevelItem(0));
    QSignalSpy asked(&tree, &ProjectBrowserTreeWidget::deletePressed);

    QList<int> keys = {Qt::Key_Escape, Qt::Key_Tab,  Qt::Key_Backspace, Qt::Key_Return, Qt::Key_Enter,
                       Qt::Key_Insert, Qt::Key_Delete, Qt::Key_Home,   Qt::Key_End,    Qt::Key_Left,
                       Qt::Key_Up,     Qt::Key_Right, Qt::Key_Down,   Qt::Key_PageUp, Qt::Key_PageDown,
                       Qt::Key_Space,  Qt::Key_Minus, Qt::Key_Period};
    for (int key = Qt::Key_0; key <= Qt::Key_9; ++key)
        keys << key;
    for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key)
        keys << key;
    for (Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ShiftModifier)}) {
        for (int key : std::as_const(keys)) {
            asked.clear();
            QTest::keyClick(&tree, Qt::Key(key), modifiers);
            EXPECT_EQ(asked.count(), asksForTheBin(key) ? 1 : 0) << QKeySequence(key | modifiers).toString().toStdString();
        }
    }
}

} // namespace
} // namespace MainWindowTest
