#include "dialogs/About.h"

#include "ui_About.h"

#include "style/KelStyleConfig.h"

#include <QCoreApplication>
#include <QEvent>

About::About(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::About)
{
    m_ui->setupUi(this);
    setTexts();
}

About::~About()
{
    delete m_ui;
}

void About::setTexts()
{
    // own text
    m_ui->versionLabel->setText(QCoreApplication::organizationName() + QLatin1Char(' ')
                                + QCoreApplication::applicationName() + QStringLiteral(" v")
                                + QStringLiteral("1.0"));
    m_ui->iconLabel->setPixmap(KelStyleConfig::instance()->value<QPixmap>(QStringLiteral("icon")));
}

void About::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
        setTexts();
    }
}
