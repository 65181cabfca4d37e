#pragma once

#include <QApplication>
#include <QString>

class TwMainWindow;

// The process's application object: a project file opened with the program (the platform's
// file-open event) goes to the main window, or waits for it while there is none yet.
class VyxApplication : public QApplication
{
    Q_OBJECT

public:
    VyxApplication(int& argc, char** argv);

    QString pendingProjectPath() const { return m_pendingProjectPath; }
    void setPendingProjectPath(QString const& path) { m_pendingProjectPath = path; }
    TwMainWindow* mainWindow() const { return m_mainWindow; }
    void setMainWindow(TwMainWindow* window) { m_mainWindow = window; }

    // Layout requests for which Qt searched the events posted since the loop last ran for an
    // earlier one of the same widget: what building many widgets in one go costs, for the tests.
    static quint64 searchedLayoutRequestCount();

protected:
    bool event(QEvent* event) override;
    bool compressEvent(QEvent* event, QObject* receiver, QPostEventList* posted) override;

private:
    QString m_pendingProjectPath;
    TwMainWindow* m_mainWindow = nullptr;
};
