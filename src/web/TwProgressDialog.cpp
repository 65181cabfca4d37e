#include "web/TwProgressDialog.h"

#include "ui_TwProgressDialog.h"

#include "app/PlainTextWidgets.h"

TwProgressDialog::TwProgressDialog(QWidget* parent, bool showProgressBar)
    : QDialog(parent), ui(std::make_unique<Ui::ProgressDialog>())
{
    ui->setupUi(this);
    if (!showProgressBar)
        ui->progressBar->hide();
}

TwProgressDialog::~TwProgressDialog() = default;

void TwProgressDialog::started()
{
    ui->progressBar->setRange(0, 100);
    ui->progressBar->reset();
    show();
}

void TwProgressDialog::statusChanged(QString const& text)
{
    PlainTextWidgets::setText(ui->statusLabel, text);
}

void TwProgressDialog::operationStarted(double) {}

void TwProgressDialog::completePercentChanged(double, double fraction)
{
    ui->progressBar->setValue(int(fraction * 100.0));
    repaint();
}

void TwProgressDialog::completed()
{
    ui->progressBar->setValue(100);
}

bool TwProgressDialog::cancelationRequested()
{
    return false;
}

void TwProgressDialog::showStatus(QString const& text)
{
    PlainTextWidgets::setText(ui->statusLabel, text);
    repaint();
}

QString TwProgressDialog::statusText() const
{
    return ui->statusLabel->text();
}

int TwProgressDialog::progressValue() const
{
    return ui->progressBar->value();
}

bool TwProgressDialog::progressBarShown() const
{
    return !ui->progressBar->isHidden();
}
