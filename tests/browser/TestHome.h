#pragma once

// One application object per test run, in a home folder of its own: HOME, XDG_CONFIG_HOME and
// XDG_DATA_HOME point into a temporary folder with Pictures, Desktop and Documents, so that
// settings and standard folders never touch a real home. The real "styles.xml" is loaded.
// Each test executable registers it once with VYX_TEST_HOME_ENVIRONMENT(name).

#include "io/picture/PictureFile.h"
#include "nodes/NodeGraph.h"
#include "style/RealStyleFile.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>

namespace TestHome {

// A graph changed while a render reads it fails the test that changed it.
inline void failOnRenderReadFault(char const* what)
{
    ADD_FAILURE() << what << " changed a graph while a render read it";
}

inline QTemporaryDir*& folder()
{
    static QTemporaryDir* dir = nullptr;
    return dir;
}

inline QString homeFolder()
{
    return folder() ? folder()->path() : QString();
}

inline QString picturesFolder()
{
    return homeFolder() + QStringLiteral("/Pictures");
}

class Environment : public ::testing::Environment
{
public:
    explicit Environment(char const* name) : m_name(name) {}

    void SetUp() override
    {
        folder() = new QTemporaryDir;
        ASSERT_TRUE(folder()->isValid());
        const QString home = folder()->path();
        for (char const* sub : {"Pictures", "Desktop", "Documents", ".config", ".local/share"})
            ASSERT_TRUE(QDir(home).mkpath(QString::fromLatin1(sub)));
        qputenv("HOME", home.toUtf8());
        qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
        qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toUtf8());
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_argv[0] = const_cast<char*>(m_name.constData());
        m_app = new QApplication(m_argc, m_argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Marrowind"));
        QCoreApplication::setApplicationName(QStringLiteral("Vyx-Solenne"));
        // Large photographs exceed Qt's default reader limit: the program's own.
        QImageReader::setAllocationLimit(PictureFile::readerAllocationLimit());
        KelNodes::NodeGraph::setRenderReadFaultHook(&failOnRenderReadFault);
        QString error;
        ASSERT_TRUE(RealStyleFile::load(&error)) << error.toStdString();
    }

    void TearDown() override
    {
        // Pixmaps must not outlive the application object.
        KelStyleConfig::instance()->clear();
        KelNodes::NodeGraph::setRenderReadFaultHook(nullptr);
        delete m_app;
        m_app = nullptr;
        delete folder();
        folder() = nullptr;
    }

private:
    QByteArray m_name;
    int m_argc = 1;
    char* m_argv[2] = {nullptr, nullptr};
    QApplication* m_app = nullptr;
};

} // namespace TestHome

#define VYX_TEST_HOME_ENVIRONMENT(name)                                                            \
    namespace {                                                                                    \
    const auto* const testHomeEnvironment =                                                        \
        ::testing::AddGlobalTestEnvironment(new TestHome::Environment(name));                      \
    }
