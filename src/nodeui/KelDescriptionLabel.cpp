#include "nodeui/KelDescriptionLabel.h"

#include "nodeui/KelNodeDescription.h"
#include "ui_KelDescriptionLabel.h"

#include <QImage>
#include <QPixmap>

KelDescriptionLabel::KelDescriptionLabel(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui_KelDescriptionLabel)
{
    ui->setupUi(this);
    ui->titleBar->title = tr("Description");
    ui->titleBar->setFixedHeight(19);
    ui->textEdit->document()->setDefaultStyleSheet(KelNodeDescription::linkStyleSheet());
    ui->textEdit->viewport()->setAttribute(Qt::WA_MouseTracking);
}

KelDescriptionLabel::~KelDescriptionLabel()
{
    delete ui;
}

void KelDescriptionLabel::displayHelpItem(KelUtils::HelpItem const* item)
{
    if (!item)
        return;
    ui->textEdit->setHtml(KelNodeDescription::helpHtml(*item));
}

KelNodeDescriptionTitle* KelDescriptionLabel::titleBar() const
{
    return ui->titleBar;
}

KelNodeDescriptionEdit* KelDescriptionLabel::textEdit() const
{
    return ui->textEdit;
}

QLabel* KelDescriptionLabel::imageLabel() const
{
    return ui->label;
}

void KelDescriptionLabel::clear()
{
    ui->textEdit->clear();
}

void KelDescriptionLabel::setImage(QImage* image)
{
    if (!image)
        return;
    ui->label->setPixmap(QPixmap::fromImage(*image));
}
