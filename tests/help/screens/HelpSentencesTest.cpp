// Sentences of the help pages, read against the started program: what the image browser's Up
// does right after start-up, which layer of a Photoshop file opens, what the Description box
// below a node's parameters shows.

#include "HelpStage.h"
#include "RoadSupport.h"

#include "app/TwCore.h"
#include "browser/ImageBrowser.h"
#include "effects/NodeTypeRegistry.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "nodes/Node.h"
#include "nodes/NodeDescriptor.h"
#include "nodeui/KelNodeDescription.h"
#include "nodeui/KelNodeDescriptionEdit.h"
#include "nodeui/KelParam.h"
#include "params/HelpItem.h"
#include "params/IParameterContainer.h"
#include "params/Parameter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHelpEvent>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::string shown(QString const& path)
{
    return QDir::cleanPath(path).toStdString();
}

// Picks a row of the list of places as a user does: in the open list, with the mouse.
void choosePlace(QComboBox* places, int row)
{
    places->showPopup();
    QAbstractItemView* list = places->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    const QModelIndex index = list->model()->index(row, places->modelColumn(), list->rootIndex());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualRect(index).center());
    for (int i = 0; i < 50 && list->isVisible(); ++i)
        QTest::qWait(20);
    QCoreApplication::processEvents();
}

int rowOfPlace(QComboBox* places, QString const& path)
{
    for (int row = 0; row < places->count(); ++row) {
        if (shown(places->itemData(row, Qt::UserRole).toString()) == shown(path))
            return row;
    }
    return -1;
}

// browser.html: "Right after start-up, the folder the browser starts in counts as the place:
// there Up does nothing, even when the list of places shows a place above it such as Home, until
// you choose a place from the list (choosing the place it already shows changes nothing)."
// Read on a browser built as start-up builds the window's, in the stage's homes: the window's
// own is past its start-up once this has run, and a run again in the process needs one that is
// not. The folder it remembers on closing is forgotten, as the stage keeps the defaults.
class StartedBrowser
{
public:
    StartedBrowser() : m_browser(std::make_unique<ImageBrowser>())
    {
        m_browser->resize(900, 300);
        m_browser->show();
    }
    ~StartedBrowser()
    {
        m_browser.reset();
        QSettings().remove(QStringLiteral("BrowserLocation"));
    }
    ImageBrowser* get() const { return m_browser.get(); }

private:
    std::unique_ptr<ImageBrowser> m_browser;
};

TEST(HelpSentences, UpStaysInTheStartFolderUntilAnotherPlaceIsChosen)
{
    ASSERT_FALSE(QSettings().contains(QStringLiteral("BrowserLocation")));
    const StartedBrowser started;
    ImageBrowser* browser = started.get();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(browser));
    auto* up = browser->findChild<QToolButton*>(QStringLiteral("upButton"));
    auto* places = browser->findChild<QComboBox*>(QStringLiteral("comboBox"));
    ASSERT_NE(up, nullptr);
    ASSERT_NE(places, nullptr);
    const QString start = HelpStage::photoFolder();
    const QString home = QDir::homePath();
    ASSERT_EQ(shown(browser->currentPath()), shown(start));
    // The list shows the home folder, above the start folder.
    ASSERT_EQ(shown(places->currentData(Qt::UserRole).toString()), shown(home));
    ASSERT_TRUE(start.startsWith(home + QLatin1Char('/')));

    up->click();
    EXPECT_EQ(shown(browser->currentPath()), shown(start));
    choosePlace(places, places->currentIndex());
    up->click();
    EXPECT_EQ(shown(browser->currentPath()), shown(start));

    // Another place, then the home folder again: now Up climbs from the start folder.
    const int pictures = rowOfPlace(places, start);
    const int homeRow = rowOfPlace(places, home);
    ASSERT_GE(pictures, 0);
    ASSERT_GE(homeRow, 0);
    choosePlace(places, pictures);
    choosePlace(places, homeRow);
    EXPECT_EQ(shown(browser->currentPath()), shown(home));
    browser->history()->undo();
    EXPECT_EQ(shown(browser->currentPath()), shown(start));
    up->click();
    EXPECT_EQ(shown(browser->currentPath()), shown(home));
    browser->history()->undo();
    EXPECT_EQ(shown(browser->currentPath()), shown(start));
}

// browser.html: "Of a Photoshop file with layers only the first layer opens (...), at that
// layer's own size; a Photoshop file without layers opens whole."
TEST(HelpSentences, APhotoshopFileOpensAsItsFirstLayer)
{
    ImageBrowser* browser = HelpStage::window()->imageBrowser();
    TwCore* core = HelpStage::window()->core();
    const QString data = QStringLiteral(VYX_TEST_DATA_DIR);
    // The test file's canvas is 16 x 12; its first layer, 6 x 4 and red, lies at (2, 1).
    ASSERT_TRUE(Road::waitForRender([&] { emit browser->currentImageChanged(data + QStringLiteral("/layered.psd")); }));
    EXPECT_EQ(core->sourceImage()->size(), QSize(6, 4));
    EXPECT_EQ(core->sourceImage()->pixel(5, 3), qRgba(255, 0, 0, 255));
    ASSERT_TRUE(Road::waitForRender([&] { emit browser->currentImageChanged(data + QStringLiteral("/flat.psd")); }));
    EXPECT_EQ(core->sourceImage()->size(), QSize(8, 6));
    ASSERT_TRUE(Road::waitForRender([&] { emit browser->currentImageChanged(HelpStage::photoPath()); }));
}

QString shownTitle(KelParam const& panel)
{
    return panel.description()->textEdit()->toPlainText().section(QLatin1Char('\n'), 0, 0);
}

// parameters.html: "Below the parameters, the Description box shows the help of the node as soon
// as you select it: its name and what it does. The parameters have no help of their own; while
// the mouse rests on one, the box keeps the node's help."
TEST(HelpSentences, TheDescriptionBoxShowsTheNodesHelpAlsoOverItsParameters)
{
    KelVyxNodes::VyxNodeGraph graph(nullptr);
    int checked = 0;
    for (KelNodes::NodeDescriptor const* type : *KelVyxNodes::NodeTypeRegistry::list()) {
        if (!type)
            continue;
        SCOPED_TRACE(type->typeId.toStdString());
        KelNodes::Node* node = graph.addNode(type->typeId, -1);
        ASSERT_NE(node, nullptr);
        KelUtils::IParameterContainer* container = node->paramContainer();
        EXPECT_FALSE(container->helpItem()->title.isEmpty());
        EXPECT_FALSE(container->helpItem()->text.isEmpty());
        for (auto const& list : container->paramLists()) {
            for (KelUtils::Parameter* parameter : list.parameters) {
                if (parameter) {
                    EXPECT_TRUE(parameter->helpItem()->text.isEmpty()) << parameter->name().toStdString();
                }
            }
        }
        ++checked;
    }
    EXPECT_GT(checked, 20);

    // The node's panel, as the Current Node page shows it, with the mouse resting on a field.
    KelNodes::Node* node = graph.addNode(QStringLiteral("operator.hsv"), -1);
    ASSERT_NE(node, nullptr);
    KelParam panel(node->paramContainer(), 0, -1);
    panel.resize(400, 600);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    panel.raise();
    QCoreApplication::processEvents();
    const QString title = node->paramContainer()->helpItem()->title;
    EXPECT_EQ(shownTitle(panel), title);
    KelUtils::Parameter* hue = node->paramContainer()->getParamByName(QStringLiteral("Hue"));
    ASSERT_NE(hue, nullptr);
    QWidget* field = panel.editorFor(hue);
    ASSERT_NE(field, nullptr);
    panel.description()->clear();
    const QPoint local = field->rect().center();
    QWidget* under = QApplication::widgetAt(field->mapToGlobal(local));
    ASSERT_TRUE(under == field || field->isAncestorOf(under));
    QHelpEvent rest(QEvent::ToolTip, local, field->mapToGlobal(local));
    QApplication::sendEvent(field, &rest);
    EXPECT_EQ(shownTitle(panel), title);
}

} // namespace
