#pragma once

#include <QDialog>

class QAbstractButton;
class QListWidgetItem;
namespace Ui {
class PreferencesDialog;
}

// The preferences: the save format and quality of the filtered image and whether the Welcome
// screen appears at start-up. Only OK and Reset store; nothing is applied to the running
// program.
class TwPreferencesDialog : public QDialog
{
    Q_OBJECT

public:
    explicit TwPreferencesDialog(QWidget* parent = nullptr);
    ~TwPreferencesDialog() override;

    Ui::PreferencesDialog* ui() const { return m_ui; }

    // The stored save format of the filtered image ("JPEG" until one is chosen).
    static QString imageFormat();
    // The stored save quality, 0 to 100 (100 until one is chosen).
    static int imageQuality();

public slots:
    void apply();
    void reset();
    void on_buttonBox_clicked(QAbstractButton* button);
    void on_listWidget_currentItemChanged(QListWidgetItem* current, QListWidgetItem* previous);
    void on_imageFormatComboBox_currentIndexChanged(int index);
    void on_openGLView_EnableAACheckbox_toggled(bool checked);

private:
    // Makes the last writer format equal to `name` (ignoring case) current.
    void selectFormat(QString const& name);

    Ui::PreferencesDialog* m_ui;
};
