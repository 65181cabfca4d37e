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
    if (!target) {
        // Left open, the box would hold the test until the run's time-out.
        ADD_FAILURE() << "the box has no button to answer: " << box->text().toStdString();
        box->reject();
        return;
    }
    titles << box->windowTitle();
    texts << box->text();
    formats << box->textFormat();
    target->click();
}

} // namespace AppTest
