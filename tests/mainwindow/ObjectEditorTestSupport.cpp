#include "ObjectEditorTestSupport.h"

#include "CoreSteps.h"

#include "browser/TestHome.h"

#include "app/KelNGObject.h"
#include "app/Renderer.h"
#include "app/TwCore.h"
#include "effects/NodeFilteredImage.h"
#include "effects/NodeOriginalImage.h"
#include "effects/VyxNodeGraph.h"
#include "mainwindow/TwObjectEditor.h"
#include "mainwindow/TwProjectBrowser.h"
#include "mainwindow/VyxApplication.h"
#include "nodes/NodeGraph.h"
#include "style/KelStyleConfig.h"
#include "style/RealStyleFile.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QUndoStack>

#include "ui_ObjectEditor.h"
#include "ui_ProjectBrowser.h"

namespace {

class PanelsEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_data = std::make_unique<QTemporaryDir>();
        m_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", m_data->path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", m_config->path().toLocal8Bit());
        QDir().mkpath(m_data->path() + QStringLiteral("/Vyx-Solenne/templates/lumora/icons"));
        // The program's own application object: the window's widgets are posted and laid out as
        // in the program.
        if (!QApplication::instance())
            m_app = new VyxApplication(m_argc, m_argv);
        KelNodes::NodeGraph::setRenderReadFaultHook(&TestHome::failOnRenderReadFault);
        QString error;
        ASSERT_TRUE(RealStyleFile::load(&error)) << error.toStdString();
    }

    void TearDown() override
    {
        KelStyleConfig::instance()->clear();
        KelNodes::NodeGraph::setRenderReadFaultHook(nullptr);
        delete m_app;
        m_app = nullptr;
    }

private:
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<QTemporaryDir> m_config;
    int m_argc = 1;
    char m_name[16] = "test_mainwindow";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
};

[[maybe_unused]] auto* const g_environment =
    ::testing::AddGlobalTestEnvironment(new PanelsEnvironment);

QStringList rowNames(QTreeWidget* tree)
{
    QStringList names;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        names << tree->topLevelItem(i)->text(1);
    return names;
}

} // namespace

namespace PanelTest {

PanelsWindow::~PanelsWindow()
{
    detach();
}

void PanelsWindow::attach(TwCore* owner)
{
    core = owner;
    browser = new TwProjectBrowser(nullptr, core);
    editor = new TwObjectEditor(nullptr, core);
    browser->setObjectEditor(editor);
    auto settingChanged = [this](KelNGObject* object, bool fromBrowser) {
        settingChanges << fromBrowser;
        core->cancelRender();
        if (fromBrowser)
            editor->updateObject(object);
        else
            browser->updateObject(object);
    };
    QObject::connect(browser, &TwProjectBrowser::vyxGraphSettingChanged, browser, settingChanged);
    QObject::connect(editor, &TwObjectEditor::vyxGraphSettingChanged, editor, settingChanged);
    QObject::connect(browser, &TwProjectBrowser::selectedObjectChanged, core,
                     &TwCore::setSelectedObject);
    QObject::connect(editor, &TwObjectEditor::selectedObjectChanged, core,
                     &TwCore::setSelectedObject);
    QObject::connect(browser, &TwProjectBrowser::objectNameChanged, editor,
                     &TwObjectEditor::setObjectName);
    QObject::connect(editor, &TwObjectEditor::objectNameChanged, browser,
                     &TwProjectBrowser::setObjectName);
    QObject::connect(browser, &TwProjectBrowser::effectsOn, core, &TwCore::effectsOn);
}

void PanelsWindow::detach()
{
    delete browser;
    browser = nullptr;
    delete editor;
    editor = nullptr;
}

void PanelsWindow::initObject(KelNGObject* object)
{
    if (browser)
        browser->addObject(object);
    if (editor)
        editor->addObject(object);
    core->initObject(object);
}

void PanelsWindow::deinitObject(KelNGObject* object)
{
    core->deinitObject(object);
}

void PanelsWindow::selectedObjectChanged(KelNGObject* object)
{
    if (!browser)
        return;
    if (!object) {
        browser->setSelectedObject(nullptr);
        browser->dynamicObjectSettingsFor(nullptr);
    } else if (!object->isTemplateInstance()) {
        browser->dynamicObjectSettingsFor(object);
        browser->setSelectedObject(object);
    }
}

void PanelsWindow::projectBrowserSortFilters()
{
    if (browser)
        browser->sortFilters();
}

void PanelsWindow::projectBrowserDynamicObjectSettingsFor(KelNGObject* object)
{
    if (browser)
        browser->dynamicObjectSettingsFor(object);
}

void PanelsWindow::objectEditorAdjustUI(KelNGObject* object)
{
    if (editor)
        editor->adjustUI(object);
}

void PanelsWindow::objectEditorUpdateObject(KelNGObject* object)
{
    if (editor)
        editor->updateObject(object);
}

void PanelsWindow::objectEditorTemplateHasBeenAddedOrUpdated(KelTemplate* objectTemplate)
{
    if (editor)
        editor->objectTemplateHasBeenAddedOrUpdated(objectTemplate);
}

void PanelsFixture::SetUp()
{
    core = std::make_unique<TwCore>(&window);
    window.attach(core.get());
}

void PanelsFixture::TearDown()
{
    settle();
    core->undoStack()->clear();
    core->clear();
    window.detach();
    core.reset();
}

void PanelsFixture::settle()
{
    CoreSteps::settle(core.get());
}

KelNGObject* PanelsFixture::addObject(QString const& name)
{
    return CoreSteps::addInversion(core.get(), name);
}

QUndoStack* PanelsFixture::stack() const
{
    return core->undoStack();
}

QStringList PanelsFixture::browserNames() const
{
    return rowNames(window.browser->form()->treeWidget);
}

QStringList PanelsFixture::editorNames() const
{
    return rowNames(window.editor->form()->treeWidget);
}

QStringList PanelsFixture::objectNames() const
{
    return CoreSteps::objectNames(core.get());
}

QStringList PanelsFixture::chainNames() const
{
    // Walks the top-level links from the source node; a node linked to anything but its two
    // neighbours in the walk breaks it with "!".
    QStringList names;
    KelVyxNodes::VyxNodeGraph* root = core->rootGraph();
    KelNodes::Node* sink = root->destinationNode();
    KelNodes::Node* previous = nullptr;
    KelNodes::Node* node = root->sourceNode();
    QList<KelNodes::Node*> visited{node};
    while (node && node != sink) {
        KelNodes::Node* next = nullptr;
        for (KelNodes::Node* candidate : root->nodes()) {
            if (!visited.contains(candidate) && node->isConnectedTo(candidate)) {
                next = candidate;
                break;
            }
        }
        for (KelNodes::Node* peer : node->connectedNodes(~0u, ~0u)) {
            if (peer != previous && peer != next && peer->parentGraph() == root)
                return names << QStringLiteral("!");
        }
        if (!next)
            return names << QStringLiteral("!");
        names << (next == sink ? QStringLiteral("out") : next->name());
        visited << next;
        previous = node;
        node = next;
    }
    return names;
}

void answerNextModal(std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start();
}

} // namespace PanelTest
