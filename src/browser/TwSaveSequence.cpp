#include "browser/TwSaveSequence.h"

#include "ui_SaveSequence.h"

#include "app/PlainTextWidgets.h"
#include "app/Renderer.h"
#include "app/ShownText.h"
#include "app/TwCore.h"
#include "app/UserFileWriter.h"
#include "effects/VyxNodeGraph.h"
#include "nodes/NodeGraph.h"

#include <QDir>
#include <QFileDialog>
#include <QImageWriter>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

namespace {

const QString sequenceLocationKey = QStringLiteral("lastSequenceLocation");
const QString fileNameKey = QStringLiteral("lastSequenceFilename");

} // namespace

TwSaveSequence::TwSaveSequence(QWidget* parent, TwCore* core)
    : QDialog(parent), m_ui(new Ui::SaveSequence), m_core(core)
{
    m_ui->setupUi(this);
    QSettings settings;
    // An empty field would write into the working folder: start from the pictures folder.
    QString folder = settings.value(sequenceLocationKey).toString();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    m_ui->directoryEdit->setText(folder); // plain field
    // plain field
    m_ui->fileNameEdit->setText(settings.contains(fileNameKey) ? settings.value(fileNameKey).toString()
                                                               : tr("Sequence_"));

    const int frames = m_core->rootGraph()->paramContainer()->numFrames();
    m_ui->fromSpinBox->setRange(1, frames);
    m_ui->fromSpinBox->setValue(1);
    m_ui->toSpinBox->setRange(1, frames);
    m_ui->toSpinBox->setValue(frames);

    m_ui->listWidget->setViewMode(QListView::IconMode);
    m_ui->listWidget->setIconSize(QSize(120, 80));
    m_ui->listWidget->setSpacing(5);
    m_ui->listWidget->setWrapping(false);

    adjustUI();
    connect(m_core, &TwCore::finished, this, &TwSaveSequence::renderingHasFinished);
}

TwSaveSequence::~TwSaveSequence()
{
    // Closed in the middle of an export: the user's frame comes back all the same.
    restoreUsersFrame();
    delete m_ui;
}

void TwSaveSequence::adjustUI()
{
    m_ui->renderButton->setEnabled(!m_rendering);
    m_ui->renderingText->show();
    m_ui->renderingLabel->setVisible(m_rendering);
    for (QWidget* widget : {static_cast<QWidget*>(m_ui->directoryLabel), static_cast<QWidget*>(m_ui->directoryEdit),
                            static_cast<QWidget*>(m_ui->directoryPushButton), static_cast<QWidget*>(m_ui->fileNameLabel),
                            static_cast<QWidget*>(m_ui->fileNameEdit), static_cast<QWidget*>(m_ui->frameRangeLabel),
                            static_cast<QWidget*>(m_ui->fromSpinBox), static_cast<QWidget*>(m_ui->toSpinBox)})
        widget->setEnabled(!m_rendering);
}

int TwSaveSequence::currentFrame() const
{
    return m_core->rootGraph()->paramContainer()->currentFrame();
}

void TwSaveSequence::setCurrentFrame(int frame)
{
    // The render thread reads the frame.
    m_core->cancelRender();
    m_core->rootGraph()->paramContainer()->setCurrentFrame(frame);
}

QString TwSaveSequence::framePath(int counter) const
{
    const QString folder = QDir(m_ui->directoryEdit->text()).absolutePath();
    return QDir(folder).filePath(m_ui->fileNameEdit->text() + QStringLiteral("%1").arg(counter, 5, 10, QLatin1Char('0'))
                                 + QStringLiteral(".png"));
}

void TwSaveSequence::on_renderButton_clicked()
{
    const int from = m_ui->fromSpinBox->value();
    const int to = m_ui->toSpinBox->value();
    if (from > to || m_rendering || m_usersFrames)
        return;
    // A relative folder would count from the program's working folder.
    const QString folder = m_ui->directoryEdit->text();
    if (folder.trimmed().isEmpty() || !QDir::isAbsolutePath(folder)) {
        PlainTextWidgets::showMessage(QMessageBox::Warning, this, windowTitle(),
                                      folder.trimmed().isEmpty()
                                          ? tr("Choose the directory the frames are saved in.")
                                          : tr("The directory \"%1\" is not a full path. Choose the "
                                               "directory the frames are saved in.")
                                                .arg(folder));
        return;
    }
    m_usersFrames.emplace(m_core->rootGraph());
    m_ui->summaryLabel->clear();
    m_ui->cancelButton->setText(tr("Cancel"));
    m_rendering = true;
    m_framesToRender = to - from + 1;
    m_framesDone = 0;
    m_ui->progressBar->setMaximum(m_framesToRender);
    m_ui->progressBar->setValue(0);
    m_ui->listWidget->clear();
    setCurrentFrame(from - 1);
    adjustUI();
    renderNextFrame();
}

void TwSaveSequence::renderNextFrame()
{
    // Cancelled while this start waited in the event loop.
    if (!m_rendering) {
        finishExport();
        return;
    }
    m_ui->renderingLabel->setText(QString::number(currentFrame() + 1));
    m_core->start();
}

void TwSaveSequence::stopWithWarning(QString const& text)
{
    finishExport();
    PlainTextWidgets::showMessage(QMessageBox::Warning, this, windowTitle(), text);
}

void TwSaveSequence::finishExport()
{
    m_rendering = false;
    const bool exported = m_usersFrames.has_value();
    restoreUsersFrame();
    adjustUI();
    if (!exported)
        return;
    const QString folder = QDir::toNativeSeparators(QDir(m_ui->directoryEdit->text()).absolutePath());
    const QString summary = m_framesDone == 1 ? tr("1 frame written to %1").arg(folder)
                                              : tr("%1 frames written to %2").arg(m_framesDone).arg(folder);
    PlainTextWidgets::setText(m_ui->summaryLabel, summary);
    m_ui->cancelButton->setText(tr("Close"));
}

void TwSaveSequence::restoreUsersFrame()
{
    if (!m_usersFrames)
        return;
    // The render thread reads the frames.
    m_core->cancelRender();
    m_usersFrames->restore(m_core->rootGraph());
    m_usersFrames.reset();
    // The result and the preview show the user's frame again (Save Image saves it).
    m_core->start();
}

void TwSaveSequence::renderingHasFinished()
{
    if (!m_rendering) {
        // A cancelled export ends with the frame that was still on its way.
        finishExport();
        return;
    }
    const QString path = framePath(m_framesDone + 1);
    const int frame = currentFrame() + 1;
    if (!m_core->renderer()->completedSucceeded()) {
        QString reason = m_core->renderer()->failureReason();
        if (reason.isEmpty())
            reason = tr("the render was canceled");
        stopWithWarning(tr("Frame %1 could not be rendered; %2 was not written.\n%3")
                            .arg(QString::number(frame), QDir::toNativeSeparators(path), ShownText::bounded(reason)));
        return;
    }
    QImage const& result = *m_core->resultImage();

    QString reason;
    if (!UserFileWriter::writeImage(path, result, "png", -1, &reason)) {
        stopWithWarning(tr("Could not save %1: %2").arg(QDir::toNativeSeparators(path), reason));
        return;
    }

    const QImage thumbnail = result.scaled(120, 80, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(thumbnail)), tr("Frame") + QLatin1Char(' ') + QString::number(frame));
    item->setTextAlignment(Qt::AlignCenter);
    item->setFlags(Qt::ItemIsEnabled);
    m_ui->listWidget->addItem(item);

    ++m_framesDone;
    m_ui->progressBar->setValue(m_framesDone);
    if (m_framesDone < m_framesToRender) {
        setCurrentFrame(currentFrame() + 1);
        // From the event loop: a cancel of the export that came meanwhile is seen first.
        QTimer::singleShot(0, this, &TwSaveSequence::renderNextFrame);
    } else {
        finishExport();
    }
}

void TwSaveSequence::on_cancelButton_clicked()
{
    if (m_rendering) {
        m_rendering = false;
        return;
    }
    close();
}

void TwSaveSequence::on_directoryEdit_textEdited(QString text)
{
    QSettings().setValue(sequenceLocationKey, text);
}

void TwSaveSequence::on_fileNameEdit_textEdited(QString text)
{
    QSettings().setValue(fileNameKey, text);
}

void TwSaveSequence::on_directoryPushButton_clicked()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Choose Export Directory"), m_ui->directoryEdit->text(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (folder.isEmpty())
        return;
    QSettings().setValue(sequenceLocationKey, folder);
    m_ui->directoryEdit->setText(folder); // plain field
}
