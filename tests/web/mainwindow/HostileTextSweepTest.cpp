// Every text a project, the template store and the template web service hold is the markup of a
// picture whose source is a named pipe. Shown as rich text, Qt's text document would open the
// pipe (and block the window for good; /dev/zero would take all memory). The real window shows
// all of it: every panel in both view modes, every row's and every button's tool tip, the
// template descriptions, the template dialog and its status line, the debug window and the
// message boxes of the template and upload roads. The pipe is never opened, and every label and
// box that shows such a text shows it as plain text.

#include "AccountAnswerer.h"
#include "AppTestSupport.h"
#include "PipeWatcher.h"
#include "TemplateStoreTestSupport.h"
#include "WebTestSupport.h"
#include "refserver/ReferenceServer.h"
#include "refserver/SampleTemplates.h"
#include "style/RealStyleFile.h"

#include "app/KelAtomHolder.h"
#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/Renderer.h"
#include "app/StoragePaths.h"
#include "app/TemplateEditor.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "app/TwWebFlows.h"
#include "dialogs/TwDebugWindow.h"
#include "mainwindow/TwMainWindow.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "nodes/Node.h"
#include "nodes/NodeGraph.h"
#include "nodeui/KelDescriptionLabel.h"
#include "nodeui/KelNGNode.h"
#include "nodeui/KelNodeDescriptionEdit.h"
#include "nodeui/KelParamAtomHolder.h"
#include "nodeui/VyxNodeGraphView.h"
#include "web/TwDatabaseDialog.h"
#include "web/TwWebUtilities.h"
#include "ui_MainWindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QUndoStack>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Answers the template dialog: looks at what it lists, installs it, looks at the status line
// that names the template that failed, then closes it.
class DatabaseLooker : public QObject
{
public:
    explicit DatabaseLooker(std::function<void(QWidget*)> look) : m_look(std::move(look))
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    QStringList statuses;
    bool done = false;

private:
    void poll()
    {
        auto* dialog = qobject_cast<TwDatabaseDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog->isBusy())
            return;
        m_look(dialog);
        statuses << dialog->statusText();
        if (!dialog->property("installing").toBool()) {
            dialog->setProperty("installing", true);
            dialog->findChild<QPushButton*>(QStringLiteral("updateButton"))->click();
        } else {
            done = true;
            dialog->accept();
        }
    }

    std::function<void(QWidget*)> m_look;
    QTimer m_timer;
};

class HostileTextSweep : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(pipe.isValid());
        QString error;
        ASSERT_TRUE(RealStyleFile::load(&error)) << error.toStdString();
        ASSERT_TRUE(home.makeTemplateFolders());
        const struct
        {
            QString uuid;
            QString type;
        } templates[] = {
            {kFilterUuid, QStringLiteral("Filter")},
            {kEffectUuid, QStringLiteral("Special FX")},
            {kOtherUuid, markup},
        };
        for (auto const& t : templates) {
            StoreTest::TemplateContent content{t.uuid, markup, t.type};
            content.everyText = markup;
            ASSERT_TRUE(StoreTest::writeFile(StoragePaths::objectTemplatePath(t.uuid),
                                             StoreTest::templateDocument(content)));
        }

        ASSERT_TRUE(server.start());
        url = std::make_unique<WebTest::ScopedBaseUrl>(server.baseUrl());
        // A new template whose download is no template: the status line names it.
        serve(kServedUuid, markup, markup, "<x/>");
        // One that is skipped: the debug window names it.
        serve(QStringLiteral("no UUID"), markup, QStringLiteral("1"), "<x/>");
        // The filter's own UUID at a higher version: an upload of the filter is refused by name.
        serve(kFilterUuid, markup, QStringLiteral("99"), SampleTemplates::templateFile(kFilterUuid, markup, "99"));

        // As start-up does before it builds the window.
        TwWebUtilities::installAsWebFlows();
        KelAtomHolder::setFactory(KelParamAtomHolder::factory());
        window = std::make_unique<TwMainWindow>(nullptr);
        window->resize(1200, 800);
        window->show();
        settle();
    }

    void TearDown() override
    {
        settle();
        window->core()->setModified(false);
        window.reset();
        TwWebFlows::setFactory({});
        KelAtomHolder::setFactory({});
    }

    void settle()
    {
        for (int i = 0; i < 50 && window; ++i) {
            window->core()->renderer()->wait(10000);
            QCoreApplication::processEvents();
            if (!window->core()->renderer()->isRunning())
                return;
        }
    }

    void serve(QString const& uuid, QString const& name, QString const& version, QByteArray const& xml)
    {
        ReferenceServer::Item item;
        item.uuid = uuid;
        item.name = name;
        item.version = version;
        item.createdBy = name;
        item.xml = xml;
        item.icon = SampleTemplates::pngIcon(Qt::green);
        server.addItem(QStringLiteral("lumora"), item);
    }

    // Lays out and paints every label and text box there is, shown or not, and the window: rich
    // text loads its pictures then.
    void renderEverything(char const* when)
    {
        SCOPED_TRACE(when);
        settle();
        for (QWidget* widget : QApplication::allWidgets()) {
            if (qobject_cast<QLabel*>(widget) || qobject_cast<QTextEdit*>(widget)
                || (widget->isWindow() && widget->isVisible()))
                widget->grab();
        }
        expectPlainLabels();
        showEveryToolTip();
        EXPECT_EQ(pipe.readerOpens(), 0) << "the pipe was opened";
    }

    void expectPlainLabels()
    {
        for (QWidget* widget : QApplication::allWidgets()) {
            auto* label = qobject_cast<QLabel*>(widget);
            if (label && label->text().contains(QLatin1String("<img"))) {
                EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
            }
        }
    }

    // Shows the tool tip as a view, a button or a tool bar shows it, after checking that it
    // does not carry the markup as markup.
    void showToolTip(QString const& tip, QWidget* owner, std::string const& whose)
    {
        if (tip.isEmpty())
            return;
        const bool rich = Qt::mightBeRichText(tip);
        EXPECT_FALSE(rich && tip.contains(QLatin1String("<img"))) << whose;
        if ((rich ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip).contains(markup))
            ++markedToolTips;
        QToolTip::showText(QPoint(40, 40), tip, owner);
        QToolTip::hideText();
    }

    void showItemToolTips(QAbstractItemView* view, QModelIndex const& parent)
    {
        QAbstractItemModel* model = view->model();
        for (int row = 0; row < model->rowCount(parent); ++row) {
            for (int column = 0; column < model->columnCount(parent); ++column) {
                const QModelIndex index = model->index(row, column, parent);
                if (index.data(Qt::DisplayRole).toString().contains(markup.left(8)))
                    ++markedRows;
                showToolTip(index.data(Qt::ToolTipRole).toString(), view->viewport(),
                            "row of " + view->objectName().toStdString());
            }
            const QModelIndex first = model->index(row, 0, parent);
            if (model->hasChildren(first))
                showItemToolTips(view, first);
        }
    }

    void showEveryToolTip()
    {
        for (QWidget* widget : QApplication::allWidgets()) {
            showToolTip(widget->toolTip(), widget, "widget " + widget->objectName().toStdString());
            // The program's rows; the image browser's file models list the disk.
            if (qobject_cast<QTreeWidget*>(widget) || qobject_cast<QListWidget*>(widget))
                showItemToolTips(static_cast<QAbstractItemView*>(widget), QModelIndex());
            for (QAction* action : widget->actions())
                showToolTip(action->toolTip(), widget, "action " + action->text().toStdString());
        }
        for (QAction* action : window->findChildren<QAction*>())
            showToolTip(action->toolTip(), window.get(), "action " + action->text().toStdString());
    }

    static inline const QString kFilterUuid = QStringLiteral("{0a0a0a0a-1111-4111-8111-111111111111}");
    static inline const QString kEffectUuid = QStringLiteral("{0b0b0b0b-2222-4222-8222-222222222222}");
    static inline const QString kOtherUuid = QStringLiteral("{0c0c0c0c-3333-4333-8333-333333333333}");
    static inline const QString kServedUuid = QStringLiteral("{0d0d0d0d-4444-4444-8444-444444444444}");

    QTemporaryDir folder;
    PipeWatcher pipe{folder.filePath(QStringLiteral("pipe"))};
    const QString markup = QStringLiteral("<img src=\"%1\">").arg(pipe.path());
    AppTest::ScopedDataHome home;
    ReferenceServer server;
    std::unique_ptr<WebTest::ScopedBaseUrl> url;
    std::unique_ptr<TwMainWindow> window;
    // Tool tips that showed the markup as its characters.
    int markedToolTips = 0;
    int markedRows = 0;
};

TEST_F(HostileTextSweep, NoTextFromAProjectATemplateOrTheServiceIsTakenForMarkup)
{
    TwCore* core = window->core();
    Ui::MainWindow* ui = window->form();
    TwTemplateContainer* store = core->templateStore();
    ASSERT_EQ(store->objectTemplateList.size(), 3);

    // A project of the three templates' effects, saved and opened again from its file.
    for (QString const& uuid : {kFilterUuid, kEffectUuid, kOtherUuid})
        ASSERT_NE(core->addTemplateObject(uuid), nullptr);
    settle();
    QString path = folder.filePath(QStringLiteral("hostile.vyxsg"));
    ASSERT_TRUE(window->saveNodeGraph(core->rootGraph(), path));
    core->setModified(false);
    window->openNodeGraph(core->rootGraph(), path);
    settle();
    QList<KelNGObject*> const objects = core->objectList();
    ASSERT_EQ(objects.size(), 3);
    ASSERT_TRUE(objects.first()->graph()->name() == markup);

    // An undo step names the object: the tool bar's Undo and Redo buttons show its name.
    core->setSelectedObject(objects.last());
    window->on_actionDelete_triggered();
    settle();
    renderEverything("after a delete");
    window->undoAction()->trigger();
    settle();
    ASSERT_EQ(core->objectList().size(), 3);

    for (QAction* mode : {ui->actionImageView, ui->actionNodeGraphView}) {
        SCOPED_TRACE(mode->text().toStdString());
        mode->trigger();
        settle();
        for (KelNGObject* object : core->objectList()) {
            core->setSelectedObject(object);
            settle();
            window->projectBrowser()->dynamicObjectSettingsFor(object);
            window->objectEditor()->adjustUI(object);
            for (KelNodes::Node* node : object->graph()->nodes()) {
                if (KelNGNode* item = KelNGNode::itemOf(node))
                    emit window->objectEditor()->graphView()->selectedNodeChanged(item);
            }
            renderEverything("an object selected");
        }
        // The template lists and each template's description.
        auto* tabs = window->imageDockPage()->findChild<QTabWidget*>(QStringLiteral("tabWidget"));
        ASSERT_NE(tabs, nullptr);
        for (int tab : {1, 2}) {
            tabs->setCurrentIndex(tab);
            QTreeWidget* tree = tab == 1 ? window->filtersTree() : window->effectsTree();
            ASSERT_GT(tree->topLevelItemCount(), 0);
            for (int i = 0; i < tree->topLevelItemCount(); ++i)
                tree->setCurrentItem(tree->topLevelItem(i));
            renderEverything("a template's description");
            KelDescriptionLabel* panel = tab == 1 ? window->filtersDescription() : window->effectsDescription();
            EXPECT_TRUE(panel->textEdit()->toPlainText().contains(markup)) << "the description shows the text as it is";
        }
        // The object editor's template page.
        QMetaObject::invokeMethod(window->objectEditor(), "on_templatesRadioButton_clicked");
        renderEverything("the template page");
        QMetaObject::invokeMethod(window->objectEditor(), "on_projectRadioButton_clicked");
    }

    // The debug window's node list.
    window->debugWindow()->refreshNodeGraphDisplay();
    window->debugWindow()->show();
    renderEverything("the debug window");
    window->debugWindow()->hide();

    // Message boxes: what the template store asks.
    {
        AppTest::MessageBoxAnswerer boxes(QMessageBox::Cancel);
        store->deleteTemplate(store->getObjectTemplateFromUuid(kOtherUuid), true);
        EXPECT_TRUE(store->saveTemplate(core->objectList().first(), true) == false);
        ASSERT_EQ(boxes.answered(), 2);
        for (int i = 0; i < boxes.answered(); ++i) {
            EXPECT_TRUE(boxes.texts.at(i).contains(markup)) << boxes.texts.at(i).toStdString();
            EXPECT_EQ(boxes.formats.at(i), Qt::PlainText);
        }
    }
    EXPECT_EQ(pipe.readerOpens(), 0) << "the pipe was opened by a box";

    // The upload road, for effects inserted from the store: the service already holds the
    // filter under its name; another upload is refused with the service's own words.
    auto* web = dynamic_cast<TwWebUtilities*>(core->webFlows());
    ASSERT_NE(web, nullptr);
    server.refuseUploadsWith({{QStringLiteral("name"), {markup}}});
    for (QString const& uuid : {kFilterUuid, kEffectUuid}) {
        SCOPED_TRACE(uuid.toStdString());
        KelNGObject* object = core->addTemplateObject(uuid);
        ASSERT_NE(object, nullptr);
        core->setSelectedObject(object);
        settle();
        TemplateEditor* editor = window->objectEditor()->templateEditor();
        editor->adjustUI(object);
        QSignalSpy ended(web, &TwWebUtilities::uploadEnded);
        AccountAnswerer account(QStringLiteral("devs"), QStringLiteral("key"), false);
        AppTest::MessageBoxAnswerer boxes;
        editor->uploadButton()->click();
        ASSERT_TRUE(WebTest::waitForCount(ended, 1));
        ASSERT_EQ(boxes.answered(), 1);
        EXPECT_TRUE(boxes.texts.first().contains(markup)) << boxes.texts.first().toStdString();
        EXPECT_EQ(boxes.formats.first(), Qt::PlainText);
        EXPECT_EQ(pipe.readerOpens(), 0) << "the pipe was opened by the upload's box";
    }

    // The template dialog: the listed template's row, then the status line naming it after its
    // download failed, and the debug window's line about it.
    {
        DatabaseLooker looker([this](QWidget* dialog) {
            dialog->grab();
            expectPlainLabels();
        });
        ui->actionCheckForTemplates->trigger();
        ASSERT_TRUE(WebTest::waitUntil([&looker] { return looker.done; }));
        ASSERT_TRUE(WebTest::waitUntil([] { return !QApplication::activeModalWidget(); }));
        ASSERT_EQ(looker.statuses.size(), 2);
        EXPECT_TRUE(looker.statuses.last().contains(markup)) << looker.statuses.last().toStdString();
    }
    window->debugWindow()->show();
    renderEverything("after the template dialog");
    EXPECT_TRUE(window->debugWindow()->debugEdit()->toPlainText().contains(markup));

    // The sweep reached the rows and tool tips it was meant to.
    EXPECT_GT(markedRows, 0);
    EXPECT_GT(markedToolTips, 0);
    EXPECT_EQ(pipe.readerOpens(), 0);
}

} // namespace
