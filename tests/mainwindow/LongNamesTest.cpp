// A project whose names are far longer than any window opens in the real window: the names
// stay whole in the project, and every place that shows them shows one short line.

#include "MainWindowFixture.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/StoragePaths.h"
#include "app/TemplateStoreTestSupport.h"
#include "app/TwCore.h"
#include "dialogs/TwDebugWindow.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwObjectRows.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/NodeGraph.h"
#include "app/TwTemplateContainer.h"
#include "params/Parameter.h"
#include "params/ParameterContainer.h"
#include "params/ParameterList.h"
#include "nodeui/KelDescriptionLabel.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNodeDescriptionEdit.h"
#include "nodeui/KelNodeDescriptionTitle.h"
#include "nodeui/KelParamCrucial.h"
#include "nodeui/VyxNodeGraphView.h"
#include "ui_KelNodePanel.h"
#include "ui_MainWindow.h"
#include "ui_ObjectEditor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTreeWidget>
#include <QUndoStack>

namespace MainWindowTest {
namespace {

// A short line: a few hundred characters and the "…" that ends a cut.
constexpr int kShownAtMost = 257;
constexpr int kToolTipAtMost = 401;
// A menu entry that names something: its words and a name cut to fit a menu.
constexpr int kMenuEntryAtMost = 100;

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
            // The tool tip is rich text that shows the name as it is.
            EXPECT_LE(QTextDocumentFragment::fromHtml(row->toolTip(1)).toPlainText().size(), kToolTipAtMost);
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

// XDG_DATA_HOME at `path` while it lives: a template store of the test's own.
class DataHomeScope
{
public:
    explicit DataHomeScope(QString const& path) : m_old(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", path.toLocal8Bit());
    }
    ~DataHomeScope() { qputenv("XDG_DATA_HOME", m_old); }
    DataHomeScope(DataHomeScope const&) = delete;
    DataHomeScope& operator=(DataHomeScope const&) = delete;

private:
    QByteArray m_old;
};

// What each place shows of a text is bounded by the place, never by the text: every label,
// button, heading, tab, list row, row tool tip and menu entry of the window holds at most a
// bounded number of characters and lines, and so costs a repaint no more than such a text.
void expectBoundedShownText(QString const& shown, std::string const& where)
{
    EXPECT_LE(shown.size(), kToolTipAtMost + 64) << where;
    EXPECT_LE(shown.count(QLatin1Char('\n')), 5) << where;
}

void expectBoundedItems(QAbstractItemView* view, QModelIndex const& parent, std::string const& where)
{
    QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(parent); ++row) {
        for (int column = 0; column < model->columnCount(parent); ++column) {
            const QModelIndex index = model->index(row, column, parent);
            expectBoundedShownText(index.data(Qt::DisplayRole).toString(), where + " row");
            // A tool tip is rich text that shows the text as it is.
            expectBoundedShownText(QTextDocumentFragment::fromHtml(index.data(Qt::ToolTipRole).toString()).toPlainText(),
                                   where + " tool tip");
        }
        const QModelIndex first = model->index(row, 0, parent);
        if (model->hasChildren(first))
            expectBoundedItems(view, first, where);
    }
}

void expectTextsFitTheirPlaces(QWidget* window, char const* when)
{
    SCOPED_TRACE(when);
    const int screenWidth = window->screen()->geometry().width();
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget->window() != window)
            continue;
        const std::string where = widget->metaObject()->className() + std::string(" ") + widget->objectName().toStdString();
        if (widget->isVisible()) {
            EXPECT_LE(widget->width(), screenWidth) << where;
        }
        if (auto* label = qobject_cast<QLabel*>(widget))
            expectBoundedShownText(label->text(), where);
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            expectBoundedShownText(button->text(), where);
        if (auto* box = qobject_cast<QGroupBox*>(widget))
            expectBoundedShownText(box->title(), where);
        if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i)
                expectBoundedShownText(tabs->tabText(i), where);
        }
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            for (int i = 0; i < combo->count(); ++i)
                expectBoundedShownText(combo->itemText(i), where);
        }
        // The program's rows; the image browser's file models list the disk.
        if (qobject_cast<QTreeWidget*>(widget) || qobject_cast<QListWidget*>(widget))
            expectBoundedItems(static_cast<QAbstractItemView*>(widget), QModelIndex(), where);
        if (auto* box = qobject_cast<QTextEdit*>(widget); box && box->isReadOnly()) {
            for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next())
                EXPECT_LE(block.length(), 4100) << where;
        }
        expectBoundedShownText(widget->toolTip(), where + " tool tip");
    }
    for (QAction* action : window->findChildren<QAction*>()) {
        expectBoundedShownText(action->text(), "action");
        EXPECT_LE(action->text().size(), kMenuEntryAtMost) << "a menu entry";
    }
    EXPECT_LE(window->windowTitle().size(), kShownAtMost + 32);
}

TEST_F(LongNames, AProjectAndAStoreWhoseEveryTextIsThirtyThousandCharactersFitTheWindow)
{
    // One run of the widest letter, then many short lines.
    const QString text = QString(20000, QLatin1Char('W')) + QStringLiteral("\nline").repeated(2000);
    ASSERT_EQ(text.size(), 30000);
    DataHomeScope home(dir.filePath(QStringLiteral("data")));
    const QString uuids[] = {QStringLiteral("{1a1a1a1a-1111-4111-8111-111111111111}"),
                             QStringLiteral("{2b2b2b2b-2222-4222-8222-222222222222}"),
                             QStringLiteral("{3c3c3c3c-3333-4333-8333-333333333333}")};
    const QString types[] = {QStringLiteral("Filter"), QStringLiteral("Special FX"), text};
    for (int i = 0; i < 3; ++i) {
        StoreTest::TemplateContent content{uuids[i], text, types[i]};
        content.everyText = text;
        ASSERT_TRUE(QDir().mkpath(StoragePaths::objectTemplatesFolder()));
        ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(uuids[i]), StoreTest::templateDocument(content)));
    }
    window.reset();
    window = std::make_unique<TwMainWindow>(nullptr);
    window->show();
    settle();
    ASSERT_EQ(core()->templateStore()->objectTemplateList.size(), 3);

    // The project: the three effects, each with a node whose parameters are its important ones.
    for (QString const& uuid : uuids) {
        KelNGObject* object = core()->addTemplateObject(uuid);
        ASSERT_NE(object, nullptr);
        // The effect's render reads the graph the node joins: stopped first, as the editors do.
        core()->cancelRender();
        KelNodes::Node* blur = object->graph()->addNode(QStringLiteral("operator.blur"), -1);
        ASSERT_NE(blur, nullptr);
        blur->setName(text);
        for (KelUtils::ParameterList const& list : blur->paramContainer()->paramLists()) {
            for (KelUtils::Parameter* parameter : list.parameters)
                parameter->setDisplayFlags(parameter->displayFlags() | KelUtils::Parameter::DisplayImportant);
        }
    }
    settle();
    QString path = dir.filePath(QStringLiteral("long.vyxsg"));
    ASSERT_TRUE(window->saveNodeGraph(core()->rootGraph(), path));
    discardProject();
    window->openNodeGraph(core()->rootGraph(), path);
    settle();
    ASSERT_EQ(core()->objectList().size(), 3);

    Ui::MainWindow* ui = window->form();
    for (QAction* mode : {ui->actionImageView, ui->actionNodeGraphView}) {
        SCOPED_TRACE(mode->text().toStdString());
        mode->trigger();
        settle();
        for (KelNGObject* object : core()->objectList()) {
            core()->setSelectedObject(object);
            settle();
            window->projectBrowser()->dynamicObjectSettingsFor(object);
            window->objectEditor()->adjustUI(object);
            for (KelNodes::Node* node : object->graph()->nodes()) {
                if (KelNGNode* item = KelNGNode::itemOf(node))
                    emit window->objectEditor()->graphView()->selectedNodeChanged(item);
            }
            settle();
            expectTextsFitTheirPlaces(window.get(), "an object selected");
        }
        auto* tabs = window->imageDockPage()->findChild<QTabWidget*>(QStringLiteral("tabWidget"));
        ASSERT_NE(tabs, nullptr);
        for (int tab : {1, 2}) {
            tabs->setCurrentIndex(tab);
            QTreeWidget* tree = tab == 1 ? window->filtersTree() : window->effectsTree();
            ASSERT_GT(tree->topLevelItemCount(), 0);
            tree->setCurrentItem(tree->topLevelItem(0));
            settle();
            expectTextsFitTheirPlaces(window.get(), "a template's description");
        }
        QMetaObject::invokeMethod(window->objectEditor(), "on_templatesRadioButton_clicked");
        settle();
        expectTextsFitTheirPlaces(window.get(), "the template page");
        QMetaObject::invokeMethod(window->objectEditor(), "on_projectRadioButton_clicked");
    }
    // An undo step that names an object: the Edit menu's entries.
    core()->setSelectedObject(core()->objectList().first());
    window->on_actionDelete_triggered();
    settle();
    expectTextsFitTheirPlaces(window.get(), "after a delete");
    window->debugWindow()->refreshNodeGraphDisplay();
    auto* debugRows = window->debugWindow()->findChild<QTreeWidget*>(QStringLiteral("nodeGraphTreeWidget"));
    ASSERT_NE(debugRows, nullptr);
    expectBoundedItems(debugRows, QModelIndex(), "debug window");

    discardProject();
    window.reset();
}

} // namespace
} // namespace MainWindowTest
