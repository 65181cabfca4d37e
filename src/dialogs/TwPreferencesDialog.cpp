#include "dialogs/TwPreferencesDialog.h"

#include "ui_PreferencesDialog.h"

#include <QDialogButtonBox>
#include <QImageWriter>
#include <QSettings>

namespace {

const QString formatKey = QStringLiteral("General::DefaultImageFormat");
const QString qualityKey = QStringLiteral("General::DefaultImageFormatQuality");
const QString welcomeKey = QStringLiteral("DontShowWelcomeScreen");
const QString defaultFormat = QStringLiteral("JPEG");
constexpr int defaultQuality = 100;

} // namespace

TwPreferencesDialog::TwPreferencesDialog(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::PreferencesDialog)
{
    m_ui->setupUi(this);
    m_ui->listWidget->addItem(tr("General"));

    for (QByteArray const& format : QImageWriter::supportedImageFormats())
        m_ui->imageFormatComboBox->addItem(QString::fromLatin1(format).toUpper());

    QSettings settings;
    selectFormat(imageFormat());

    m_ui->showWelcomeDialogCB->setChecked(!settings.contains(welcomeKey)
                                          || !settings.value(welcomeKey).toBool());
}

QString TwPreferencesDialog::imageFormat()
{
    return QSettings().value(formatKey, defaultFormat).toString();
}

int TwPreferencesDialog::imageQuality()
{
    return QSettings().value(qualityKey, defaultQuality).toInt();
}

TwPreferencesDialog::~TwPreferencesDialog()
{
    delete m_ui;
}

void TwPreferencesDialog::selectFormat(QString const& name)
{
    QList<QByteArray> const formats = QImageWriter::supportedImageFormats();
    // Deliberately no early stop: the last matching entry wins.
    for (int i = 0; i < formats.size(); ++i) {
        if (QString::fromLatin1(formats.at(i)).compare(name, Qt::CaseInsensitive) == 0)
            m_ui->imageFormatComboBox->setCurrentIndex(i);
    }
}

void TwPreferencesDialog::on_imageFormatComboBox_currentIndexChanged(int index)
{
    QList<QByteArray> const formats = QImageWriter::supportedImageFormats();
    if (index < 0 || index >= formats.size())
        return;
    QImageWriter writer;
    writer.setFormat(formats.at(index));
    if (writer.supportsOption(QImageIOHandler::Quality)) {
        m_ui->imageFormatQualitySpinBox->setEnabled(true);
        m_ui->imageFormatQualitySpinBox->setValue(imageQuality());
    } else {
        m_ui->imageFormatQualitySpinBox->setEnabled(false);
    }
}

void TwPreferencesDialog::on_listWidget_currentItemChanged(QListWidgetItem* current, QListWidgetItem*)
{
    if (current && current->text() == tr("General"))
        m_ui->stackedWidget->setCurrentWidget(m_ui->generalWidget);
}

void TwPreferencesDialog::on_buttonBox_clicked(QAbstractButton* button)
{
    switch (m_ui->buttonBox->buttonRole(button)) {
    case QDialogButtonBox::AcceptRole:
        apply();
        break;
    case QDialogButtonBox::ResetRole:
        reset();
        apply();
        break;
    default:
        break;
    }
}

void TwPreferencesDialog::apply()
{
    QSettings settings;
    QList<QByteArray> const formats = QImageWriter::supportedImageFormats();
    const int index = m_ui->imageFormatComboBox->currentIndex();
    if (index >= 0 && index < formats.size())
        settings.setValue(formatKey, QString::fromLatin1(formats.at(index)));
    settings.setValue(qualityKey, m_ui->imageFormatQualitySpinBox->value());
    settings.setValue(welcomeKey, !m_ui->showWelcomeDialogCB->isChecked());
}

void TwPreferencesDialog::reset()
{
    selectFormat(defaultFormat);
    m_ui->imageFormatQualitySpinBox->setValue(defaultQuality);
    m_ui->showWelcomeDialogCB->setChecked(true);
}

void TwPreferencesDialog::on_openGLView_EnableAACheckbox_toggled(bool checked)
{
    m_ui->openGLView_AAComboBox->setEnabled(checked);
}
