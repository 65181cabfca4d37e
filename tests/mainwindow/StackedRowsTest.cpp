// What opening many stacked objects builds in the project panels (boxes near the view only,
// counted, never timed), and a project of ten thousand empty effects opened, rendered, saved,
// edited, undone and closed in the window.

#include "MainWindowFixture.h"
#include "SanitizedSweep.h"

#include "app/HostileFiles.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectRows.h"
#include "mainwindow/TwProjectBrowser.h"
#include "ui_MainWindow.h"

#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QTreeWidget>
#include <QUndoStack>

namespace MainWindowTest {
namespace {

class StackedRows : public MainWindowFixture
{
protected:
    // A project of `objects` stacked objects of `nodesPerObject` nodes (2: empty effects) in
    // the test folder; empty when it could not be written.
    QString writeStacked(int objects, int nodesPerObject)
    {
        const QString path = dir.filePath(QStringLiteral("rows-%1-%2.vyxsg").arg(objects).arg(nodesPerObject));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(HostileFiles::stackedProject(objects, nodesPerObject)) < 0)
            return {};
        return path;
    }

    void open(QString const& path)
    {
        QString openPath = path;
        window->openNodeGraph(core()->rootGraph(), openPath);
        settle();
    }

    QList<QTreeWidget*> trees() const
    {
        QList<QTreeWidget*> found;
        for (QWidget* panel : {static_cast<QWidget*>(window->projectBrowser()),
                               static_cast<QWidget*>(window->objectEditor())})
            found.append(panel->findChild<QTreeWidget*>(QStringLiteral("treeWidget")));
        return found;
    }
};

int rowsWithBoxes(QTreeWidget* tree)
{
    int rows = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        rows += tree->itemWidget(tree->topLevelItem(i), TwObjectRows::OpacityColumn) != nullptr;
    return rows;
}

bool showsDefaults(QTreeWidget* tree, QTreeWidgetItem* row)
{
    auto* opacity = qobject_cast<QComboBox*>(tree->itemWidget(row, TwObjectRows::OpacityColumn));
    auto* blend = qobject_cast<QComboBox*>(tree->itemWidget(row, TwObjectRows::BlendColumn));
    return opacity && blend && opacity->currentText() == QStringLiteral("100%")
           && blend->currentText() == QStringLiteral("Normal");
}

// Rows get their boxes near the view only: the number of boxes an open makes does not grow with
// the number of rows, and rows scrolled to get theirs, showing the objects' settings.
TEST_F(StackedRows, AnOpenMakesBoxesForTheRowsNearTheViewOnly)
{
    window->show();
    Ui::MainWindow* ui = window->form();
    for (QAction* mode : {ui->actionImageView, ui->actionNodeGraphView}) {
        SCOPED_TRACE(mode->text().toStdString());
        mode->trigger();
        int boxes[2] = {0, 0};
        // Under the sanitizers half as many the second time: still far more rows than the view.
        const int counts[2] = {150, SanitizedSweep::pick(1200, 600)};
        for (int i = 0; i < 2; ++i) {
            const QString path = writeStacked(counts[i], 2);
            ASSERT_FALSE(path.isEmpty());
            discardProject();
            settle();
            open(path);
            ASSERT_EQ(core()->objectList().size(), counts[i]);
            for (QTreeWidget* tree : trees()) {
                if (!tree->isVisible())
                    continue;
                ASSERT_EQ(tree->topLevelItemCount(), counts[i]);
                boxes[i] = rowsWithBoxes(tree);
                EXPECT_TRUE(showsDefaults(tree, tree->topLevelItem(0)));
                EXPECT_LE(rowsWithBoxes(tree), 2 * TwObjectRows::RowsAroundView + tree->viewport()->height());

                // The last rows come into view: theirs are made then.
                tree->scrollToBottom();
                settle();
                EXPECT_TRUE(showsDefaults(tree, tree->topLevelItem(counts[i] - 1)));
                EXPECT_EQ(tree->itemWidget(tree->topLevelItem(counts[i] / 2), TwObjectRows::OpacityColumn), nullptr);
                tree->scrollToTop();
                settle();
            }
        }
        ASSERT_GT(boxes[0], 0);
        EXPECT_EQ(boxes[1], boxes[0]) << "the rows with boxes grew with the rows";
    }
}

// Ten thousand empty effects, as the program writes them: opened, rendered (the result is the
// source), saved, one deleted and the deletion undone, and closed. Under the sanitizers a
// quarter as many.
TEST_F(StackedRows, TenThousandEmptyEffectsOpenRenderSaveUndoAndClose)
{
    window->show();
    const int objects = SanitizedSweep::pick(10000, 2500);
    const QString path = writeStacked(objects, 2);
    ASSERT_FALSE(path.isEmpty());
    discardProject();
    settle();
    open(path);
    ASSERT_EQ(core()->objectList().size(), objects);
    ASSERT_TRUE(core()->waitForRender());
    EXPECT_TRUE(core()->renderer()->completedSucceeded());
    EXPECT_EQ(core()->resultImage()->convertToFormat(QImage::Format_RGB32),
              core()->sourceImage()->convertToFormat(QImage::Format_RGB32));

    QString savedPath = dir.filePath(QStringLiteral("saved.vyxsg"));
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), savedPath));
    EXPECT_GT(QFile(savedPath).size(), 0);

    KelNGObject* middle = core()->objectList().at(objects / 2);
    core()->setSelectedObject(middle);
    core()->deleteSelectedObjects();
    settle();
    EXPECT_EQ(core()->objectList().size(), objects - 1);
    core()->undoStack()->undo();
    settle();
    ASSERT_EQ(core()->objectList().size(), objects);
    ASSERT_TRUE(core()->waitForRender());
    EXPECT_TRUE(core()->renderer()->completedSucceeded());

    discardProject();
    settle();
    EXPECT_TRUE(core()->objectList().isEmpty());
}

} // namespace
} // namespace MainWindowTest
