#pragma once

#include "mainwindow/VyxApplication.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class TwMainWindow;

// The application as start-up builds it and shows it, offscreen unless a platform is set, with
// the settings and the template store in temporary folders of their own (never the real home)
// and without the Welcome screen.
class BenchWindow
{
public:
    explicit BenchWindow(char const* program);
    ~BenchWindow();

    // Null when start-up failed; `errorText` says why.
    TwMainWindow* window() const { return m_window; }
    QString const& errorText() const { return m_errorText; }

private:
    QTemporaryDir m_data;
    QTemporaryDir m_config;
    int m_argc = 2;
    char m_program[256] = {};
    char m_noSplash[16] = "--nosplash";
    char* m_argv[3] = {m_program, m_noSplash, nullptr};
    std::unique_ptr<VyxApplication> m_application;
    TwMainWindow* m_window = nullptr;
    QString m_errorText;
};
