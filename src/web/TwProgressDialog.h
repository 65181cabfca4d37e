#pragma once

#include "params/StatusObserver.h"

#include <QDialog>

#include <memory>

namespace Ui {
class ProgressDialog;
}

// A small non-modal dialog that tells what a running web-service flow is doing, optionally with
// a progress bar; any long operation may report to it as a status observer.
class TwProgressDialog : public QDialog, public KelUtils::StatusObserver
{
    Q_OBJECT

public:
    TwProgressDialog(QWidget* parent, bool showProgressBar);
    ~TwProgressDialog() override;

    void started() override;
    void statusChanged(QString const& text) override;
    void operationStarted(double weight) override;
    // The bar shows the fraction (second argument) times 100, truncated.
    void completePercentChanged(double a, double fraction) override;
    void completed() override;
    bool cancelationRequested() override;

    // Sets the status text and repaints. No event is let through: no command runs inside the
    // flow that reports.
    void showStatus(QString const& text);
    QString statusText() const;
    int progressValue() const;
    bool progressBarShown() const;

private:
    std::unique_ptr<Ui::ProgressDialog> ui;
};
