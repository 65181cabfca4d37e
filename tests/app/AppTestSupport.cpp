#include "AppTestSupport.h"

#include "app/TwCore.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QDir>

#include <gtest/gtest.h>

namespace AppTest {

namespace {

QTemporaryDir* g_dataHome = nullptr;
QTemporaryDir* g_configHome = nullptr;
QApplication* g_application = nullptr;

class AppEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        g_dataHome = new QTemporaryDir;
        g_configHome = new QTemporaryDir;
        qputenv("XDG_DATA_HOME", g_dataHome->path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", g_configHome->path().toLocal8Bit());
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "test_app";
            static char* argv[] = {name, nullptr};
            g_application = new QApplication(argc, argv);
        }
    }

    void TearDown() override
    {
        delete g_application;
        g_application = nullptr;
        delete g_configHome;
        delete g_dataHome;
        g_configHome = nullptr;
        g_dataHome = nullptr;
    }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new AppEnvironment);

} // namespace

QString testDataDir()
{
    return QStringLiteral(VYX_TEST_DATA_DIR);
}

QString runDataHome()
{
    return g_dataHome ? g_dataHome->path() : QString();
}

ScopedDataHome::ScopedDataHome() : m_old(qgetenv("XDG_DATA_HOME"))
{
    qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
}

ScopedDataHome::~ScopedDataHome()
{
    qputenv("XDG_DATA_HOME", m_old);
}

QString ScopedDataHome::storageRoot() const
{
    return path() + QStringLiteral("/Vyx-Solenne");
}

bool ScopedDataHome::makeTemplateFolders() const
{
    return QDir().mkpath(storageRoot() + QStringLiteral("/templates/lumora/icons"));
}

int RecordingMainWindow::count(QString const& call) const
{
    int n = 0;
    for (QString const& line : calls) {
        if (line == call || line.startsWith(call + QLatin1Char(' ')))
            ++n;
    }
    return n;
}

void RecordingMainWindow::renderingFinished()
{
    ++renderingFinishedCount;
    calls << QStringLiteral("renderingFinished");
}

void RecordingMainWindow::modifiedStateChanged()
{
    calls << QStringLiteral("modifiedStateChanged");
}

void RecordingMainWindow::initObject(KelNGObject* object)
{
    calls << QStringLiteral("initObject");
    if (m_core)
        m_core->initObject(object);
}

void RecordingMainWindow::deinitObject(KelNGObject* object)
{
    calls << QStringLiteral("deinitObject");
    if (m_core)
        m_core->deinitObject(object);
}

void RecordingMainWindow::selectedObjectChanged(KelNGObject*)
{
    calls << QStringLiteral("selectedObjectChanged");
}

void RecordingMainWindow::templateHasBeenAddedOrUpdated(bool added, KelTemplate*)
{
    calls << QStringLiteral("templateHasBeenAddedOrUpdated %1").arg(added ? 1 : 0);
}

void RecordingMainWindow::nodeAboutToBeDeleted(KelNodes::Node*)
{
    calls << QStringLiteral("nodeAboutToBeDeleted");
}

void RecordingMainWindow::adjustUI(KelNGObject*)
{
    calls << QStringLiteral("adjustUI");
}

void RecordingMainWindow::statusBarShowMessage(QString const& text)
{
    calls << QStringLiteral("statusBarShowMessage ") + text;
}

void RecordingMainWindow::imageViewSetMessage(QString const& text)
{
    lastImageViewMessage = text;
    calls << QStringLiteral("imageViewSetMessage ") + text;
}

void RecordingMainWindow::debugWindowAppend(QString const& text)
{
    calls << QStringLiteral("debugWindowAppend ") + text;
}

void RecordingMainWindow::nodeGraphViewSetObject(KelNodes::NodeGraph* graph)
{
    calls << (graph ? QStringLiteral("nodeGraphViewSetObject graph")
                    : QStringLiteral("nodeGraphViewSetObject null"));
}

void RecordingMainWindow::nodeGraphViewUpdateGraph()
{
    calls << QStringLiteral("nodeGraphViewUpdateGraph");
}

void RecordingMainWindow::nodeGraphViewRedrawNodes()
{
    calls << QStringLiteral("nodeGraphViewRedrawNodes");
}

bool RecordingMainWindow::nodeDockObjectPanelEditsNode(KelNodes::Node*)
{
    calls << QStringLiteral("nodeDockObjectPanelEditsNode");
    return objectPanelEditsNodes;
}

void RecordingMainWindow::nodeDockCrucialObjectSettingsFor(KelNGObject* object)
{
    calls << (object ? QStringLiteral("nodeDockCrucialObjectSettingsFor object")
                     : QStringLiteral("nodeDockCrucialObjectSettingsFor null"));
}

bool RecordingMainWindow::nodeDockSubGraphPanelEditsNode(KelNodes::Node*)
{
    calls << QStringLiteral("nodeDockSubGraphPanelEditsNode");
    return subGraphPanelEditsNodes;
}

void RecordingMainWindow::nodeDockDeleteSubGraphPanel()
{
    calls << QStringLiteral("nodeDockDeleteSubGraphPanel");
}

void RecordingMainWindow::projectBrowserSortFilters()
{
    calls << QStringLiteral("projectBrowserSortFilters");
}

void RecordingMainWindow::projectBrowserDynamicObjectSettingsFor(KelNGObject* object)
{
    calls << (object ? QStringLiteral("projectBrowserDynamicObjectSettingsFor object")
                     : QStringLiteral("projectBrowserDynamicObjectSettingsFor null"));
}

void RecordingMainWindow::projectBrowserNodeAboutToBeDeleted(KelNodes::Node*)
{
    calls << QStringLiteral("projectBrowserNodeAboutToBeDeleted");
}

void RecordingMainWindow::objectEditorAdjustUI(KelNGObject*)
{
    calls << QStringLiteral("objectEditorAdjustUI");
}

void RecordingMainWindow::objectEditorUpdateObject(KelNGObject*)
{
    calls << QStringLiteral("objectEditorUpdateObject");
}

void RecordingMainWindow::objectEditorTemplateHasBeenAddedOrUpdated(KelTemplate*)
{
    calls << QStringLiteral("objectEditorTemplateHasBeenAddedOrUpdated");
}

MessageBoxAnswerer::MessageBoxAnswerer(QMessageBox::StandardButton button) : m_button(button)
{
    m_timer.setInterval(0);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
    m_timer.start();
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    m_timer.stop();
}

void MessageBoxAnswerer::poll()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    QAbstractButton* target = box->button(m_button);
    if (!target)
        target = box->escapeButton();
    if (!target)
        target = box->defaultButton();
    if (!target && !box->buttons().isEmpty())
        target = box->buttons().first();
    if (!target)
        return;
    titles << box->windowTitle();
    texts << box->text();
    target->click();
}

} // namespace AppTest
