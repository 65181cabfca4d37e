#include "dialogs/WelcomeScreen.h"

#include "ui_WelcomeScreen.h"

#include "style/KelStyleConfig.h"

#include <QCloseEvent>
#include <QSettings>

WelcomeScreen::WelcomeScreen(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::WelcomeScreen)
{
    m_ui->setupUi(this);
    const QPixmap picture = KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("welcome_screen"));
    // An empty pixmap would hide the placeholder text.
    if (!picture.isNull())
        m_ui->lbImage->setPixmap(picture);
}

WelcomeScreen::~WelcomeScreen()
{
    delete m_ui;
}

void WelcomeScreen::closeEvent(QCloseEvent* event)
{
    if (m_ui->cbCheckTemplates->isChecked())
        emit checkTemplatesRequested();
    QSettings settings;
    settings.setValue(QStringLiteral("DontShowWelcomeScreen"), !m_ui->cbShowDialog->isChecked());
    event->accept();
}
