// A project whose names are far longer than any window opens in the real window: the names
// stay whole in the project, and every place that shows them shows one short line.

#include "MainWindowFixture.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectRows.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/NodeGraph.h"
#include "app/TwTemplateContainer.h"
#include "nodeui/KelDescriptionLabel.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNodeDescriptionEdit.h"
#include "nodeui/KelNodeDescriptionTitle.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/VyxNodeGraphView.h"
#include "ui_KelNodePanel.h"
#include "ui_ObjectEditor.h"

#include <QFile>
#include <QLineEdit>
#include <QTreeWidget>
#include <QUndoStack>

namespace MainWindowTest {
namespace {

// A short line: a few hundred characters and the "…" that ends a cut.
constexpr int kShownAtMost = 257;
constexpr int kToolTipAtMost = 401;

class LongNames : public MainWindowFixture
{
protected:
    // Saves a project with one object, then writes into the file `objectName` as the object's
    // name and `nodeName` as the name of its inversion node.
    void writeProject(QString const& path, QString const& objectName, QString const& nodeName)
    {
        KelNGObject* object = addInversion(QStringLiteral("OBJECTMARK"));
        auto* graph = dynamic_cast<KelVyxNodes::VyxNodeGraph*>(object->graph());
        ASSERT_NE(graph, nullptr);
        for (KelNodes::Node* node : graph->nodes()) {
            if (node != graph->sourceNode() && node != graph->destinationNode())
                node->setName(QStringLiteral("NODEMARK"));
        }
        QString savePath = path;
        ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), savePath));
        discardProject();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray text = file.readAll();
        file.close();
        // Names are stored as base64 of little-endian UTF-16 after a byte-order mark.
        auto stored = [](QString const& name) {
            QByteArray bytes("\xff\xfe", 2);
            for (QChar c : name)
                bytes.append(char(c.unicode() & 0xff)).append(char(c.unicode() >> 8));
            return bytes.toBase64();
        };
        ASSERT_TRUE(text.contains(stored(QStringLiteral("OBJECTMARK"))));
        ASSERT_TRUE(text.contains(stored(QStringLiteral("NODEMARK"))));
        text.replace(stored(QStringLiteral("OBJECTMARK")), stored(objectName));
        text.replace(stored(QStringLiteral("NODEMARK")), stored(nodeName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
};

void expectShortLine(QString const& shown, char const* where)
{
    SCOPED_TRACE(where);
    EXPECT_LE(shown.size(), kShownAtMost);
    EXPECT_FALSE(shown.contains(QLatin1Char('\n')));
    EXPECT_FALSE(shown.contains(QChar::LineSeparator));
    EXPECT_FALSE(shown.contains(QChar::ParagraphSeparator));
    // A right-to-left override of the name ends with it (the names here close none).
    EXPECT_EQ(shown.count(QChar(0x202E)), shown.count(QChar(0x202C)));
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << "a cut name says so";
}

TEST_F(LongNames, AProjectWithNamesOfHalfAMillionCharactersOpensWithShortTitlesAndKeepsTheNames)
{
    // With a title fitted one character at a time, each measuring the rest, the first of these
    // would take hours to open; the second showed its line breaks in one-line titles.
    struct Case
    {
        const char* file;
        QString objectName;
        QString nodeName;
    };
    const Case cases[] = {
        {"wide.vyxsg", QString(500000, QLatin1Char('W')), QString(500000, QLatin1Char('M'))},
        {"lines.vyxsg", QStringLiteral("object\n").repeated(70000), QStringLiteral("node\tline\n").repeated(50000)},
        // Unicode line separators, right-to-left marks, combining marks and emoji.
        {"separators.vyxsg", QStringLiteral("object\u2028\u200f\u202e\u05e2\u0301\u0301").repeated(10000),
         QStringLiteral("node\u2029\U0001F600\u0301").repeated(10000)},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = dir.filePath(QString::fromLatin1(c.file));
        writeProject(path, c.objectName, c.nodeName);
        if (HasFatalFailure())
            return;

        QString openPath = path;
        window->openNodeGraph(core()->rootGraph(), openPath);
        settle();
        ASSERT_EQ(core()->objectList().size(), 1);
        KelNGObject* object = core()->objectList().first();
        EXPECT_TRUE(object->graph()->name() == c.objectName) << "the project keeps the whole name";

        // Both panels' rows, and the whole name behind them.
        QTreeWidgetItem* const rows[] = {object->projectBrowserItem, object->objectEditorItem};
        for (QTreeWidgetItem* row : rows) {
            ASSERT_NE(row, nullptr);
            expectShortLine(row->text(1), "object row");
            EXPECT_LE(row->toolTip(1).size(), kToolTipAtMost);
            EXPECT_TRUE(TwObjectRows::nameIn(row, 1) == c.objectName);
        }

        // The node graph of the selected object, and the parameter panel's title.
        window->objectEditor()->form()->treeWidget->setCurrentItem(object->objectEditorItem);
        settle();
        KelNGNode* named = nullptr;
        for (KelNodes::Node* node : object->graph()->nodes()) {
            if (node->name() != c.nodeName)
                continue;
            EXPECT_EQ(named, nullptr);
            named = KelNGNode::itemOf(node);
            ASSERT_NE(named, nullptr) << "the node graph shows the object";
            expectShortLine(named->shownTitle(), "node title");
        }
        ASSERT_NE(named, nullptr) << "the project keeps the whole node name";
        window->projectBrowser()->dynamicObjectSettingsFor(object);
        KelParamCrucial* crucial = window->projectBrowser()->crucialPanel();
        ASSERT_NE(crucial, nullptr);
        ASSERT_NE(crucial->titleBar(), nullptr);
        expectShortLine(crucial->titleBar()->shownTitle(), "parameter panel title");

        // The panels tell each other of the name they show, and the name fields, which hold
        // fewer characters, are left as they show the names: none of that is a rename.
        emit window->projectBrowser()->objectNameChanged(object);
        emit window->objectEditor()->graphView()->selectedNodeChanged(named);
        QLineEdit* nodeNameField = window->objectEditor()->nodePanelForm()->nodeNameEdit;
        EXPECT_LT(nodeNameField->text().size(), c.nodeName.size());
        emit nodeNameField->editingFinished();
        // A template's name (a store template's comes from its file) in the template editor.
        object->getValidTemplate()->setName(c.objectName);
        window->objectEditor()->adjustUI(object);
        auto* templateNameField = window->objectEditor()->findChild<QLineEdit*>(QStringLiteral("descriptionNameEdit"));
        ASSERT_NE(templateNameField, nullptr);
        EXPECT_LT(templateNameField->text().size(), c.objectName.size());
        emit templateNameField->editingFinished();
        settle();
        EXPECT_TRUE(named->node()->name() == c.nodeName);
        EXPECT_TRUE(object->graph()->name() == c.objectName);
        EXPECT_EQ(core()->undoStack()->count(), 0);
        EXPECT_FALSE(core()->isModified());
        discardProject();
    }
}

TEST_F(LongNames, ATemplateDescriptionIsHeadedByItsNameCutToOneLine)
{
    // A store template's name comes from its file; its description is shown whole, in a
    // scrolled box, but the heading above it is a name.
    KelTemplate* objectTemplate = core()->templateStore()->createObjectTemplate();
    ASSERT_NE(objectTemplate, nullptr);
    objectTemplate->setName(QStringLiteral("name\u2028").repeated(100000));
    objectTemplate->setDescription(QStringLiteral("About it."));
    window->displayTemplateDescription(objectTemplate->uuid(), window->filtersDescription());
    const QString shown = window->filtersDescription()->textEdit()->toPlainText();
    EXPECT_LT(shown.size(), 300);
    EXPECT_TRUE(shown.contains(QStringLiteral("About it.")));
}

} // namespace
} // namespace MainWindowTest
