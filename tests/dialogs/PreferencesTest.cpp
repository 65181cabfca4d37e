#include "ui_PreferencesDialog.h"

#include "dialogs/TwPreferencesDialog.h"

#include <QDialogButtonBox>
#include <QImageWriter>
#include <QPushButton>
#include <QSettings>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString formatKey = QStringLiteral("General::DefaultImageFormat");
const QString qualityKey = QStringLiteral("General::DefaultImageFormatQuality");
const QString preferencesWelcomeKey = QStringLiteral("DontShowWelcomeScreen");

int writerIndex(QByteArray const& format)
{
    return int(QImageWriter::supportedImageFormats().indexOf(format));
}

class PreferencesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clearSettings();
        ASSERT_GE(writerIndex("jpeg"), 0);
        ASSERT_GE(writerIndex("png"), 0);
        ASSERT_GE(writerIndex("bmp"), 0);
    }
    void TearDown() override
    {
        dialog.reset();
        clearSettings();
    }
    static void clearSettings()
    {
        QSettings settings;
        for (QString const& key : {formatKey, qualityKey, preferencesWelcomeKey})
            settings.remove(key);
    }
    void open() { dialog = std::make_unique<TwPreferencesDialog>(); }
    Ui::PreferencesDialog* ui() const { return dialog->ui(); }
    QAbstractButton* button(QDialogButtonBox::StandardButton which) const { return ui()->buttonBox->button(which); }

    std::unique_ptr<TwPreferencesDialog> dialog;
};

TEST_F(PreferencesTest, EmptySettingsShowTheDefaults)
{
    open();
    EXPECT_EQ(ui()->stackedWidget->currentWidget(), ui()->generalWidget);
    EXPECT_EQ(ui()->imageFormatComboBox->currentIndex(), writerIndex("jpeg"));
    EXPECT_EQ(ui()->imageFormatComboBox->currentText(), "JPEG");
    EXPECT_TRUE(ui()->imageFormatQualitySpinBox->isEnabled());
    EXPECT_EQ(ui()->imageFormatQualitySpinBox->value(), 100);
    EXPECT_TRUE(ui()->showWelcomeDialogCB->isChecked());

    // OK stores the values as the writer names the format.
    button(QDialogButtonBox::Ok)->click();
    QSettings settings;
    EXPECT_EQ(settings.value(formatKey).toString(), "jpeg");
    EXPECT_EQ(settings.value(qualityKey).toInt(), 100);
    EXPECT_FALSE(settings.value(preferencesWelcomeKey).toBool());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(PreferencesTest, StoredValuesAreShown)
{
    QSettings settings;
    settings.setValue(formatKey, QStringLiteral("PNG"));
    settings.setValue(qualityKey, 42);
    settings.setValue(preferencesWelcomeKey, true);
    open();
    EXPECT_EQ(ui()->imageFormatComboBox->currentIndex(), writerIndex("png"));
    EXPECT_EQ(ui()->imageFormatQualitySpinBox->value(), 42);
    EXPECT_FALSE(ui()->showWelcomeDialogCB->isChecked());

    // A format the writer does not offer leaves the first one selected.
    settings.setValue(formatKey, QStringLiteral("no-such-format"));
    open();
    EXPECT_EQ(ui()->imageFormatComboBox->currentIndex(), 0);
}

TEST_F(PreferencesTest, FormatWithoutQualityStillStoresTheOneQuality)
{
    QSettings().setValue(qualityKey, 70);
    open();
    ui()->imageFormatQualitySpinBox->setValue(55);
    ui()->imageFormatComboBox->setCurrentIndex(writerIndex("bmp"));
    EXPECT_FALSE(ui()->imageFormatQualitySpinBox->isEnabled());
    EXPECT_EQ(ui()->imageFormatQualitySpinBox->value(), 55);
    button(QDialogButtonBox::Ok)->click();
    QSettings settings;
    EXPECT_EQ(settings.value(formatKey).toString(), "bmp");
    EXPECT_EQ(settings.value(qualityKey).toInt(), 55);

    // Back on a format with quality, the spin box shows the stored value again.
    open();
    ui()->imageFormatComboBox->setCurrentIndex(writerIndex("jpeg"));
    EXPECT_TRUE(ui()->imageFormatQualitySpinBox->isEnabled());
    EXPECT_EQ(ui()->imageFormatQualitySpinBox->value(), 55);
}

TEST_F(PreferencesTest, ResetStoresTheDefaultsAndStaysOpen)
{
    QSettings settings;
    settings.setValue(formatKey, QStringLiteral("png"));
    settings.setValue(qualityKey, 10);
    settings.setValue(preferencesWelcomeKey, true);
    open();
    dialog->show();
    button(QDialogButtonBox::Reset)->click();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(ui()->imageFormatComboBox->currentText(), "JPEG");
    EXPECT_EQ(ui()->imageFormatQualitySpinBox->value(), 100);
    EXPECT_TRUE(ui()->showWelcomeDialogCB->isChecked());
    EXPECT_EQ(settings.value(formatKey).toString(), "jpeg");
    EXPECT_EQ(settings.value(qualityKey).toInt(), 100);
    EXPECT_FALSE(settings.value(preferencesWelcomeKey).toBool());
}

TEST_F(PreferencesTest, CancelStoresNothing)
{
    open();
    dialog->show();
    ui()->imageFormatComboBox->setCurrentIndex(writerIndex("png"));
    ui()->showWelcomeDialogCB->setChecked(false);
    button(QDialogButtonBox::Cancel)->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    QSettings settings;
    for (QString const& key : {formatKey, qualityKey, preferencesWelcomeKey})
        EXPECT_FALSE(settings.contains(key)) << key.toStdString();
}


} // namespace
