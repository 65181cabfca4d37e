#pragma once

#include "nodes/GraphFrames.h"

#include <QDialog>
#include <QString>

#include <optional>

class TwCore;
namespace Ui {
class SaveSequence;
}

// Exports a range of animation frames as numbered PNG files: renders one frame at a time
// through the core and saves each result under the stem and a five-digit counter.
class TwSaveSequence : public QDialog
{
    Q_OBJECT

public:
    TwSaveSequence(QWidget* parent, TwCore* core);
    ~TwSaveSequence() override;

    bool isRendering() const { return m_rendering; }
    // The path of the file the counter value is saved to.
    QString framePath(int counter) const;
    Ui::SaveSequence* ui() const { return m_ui; }

public slots:
    void on_renderButton_clicked();
    void on_cancelButton_clicked();
    void on_directoryPushButton_clicked();
    void on_directoryEdit_textEdited(QString text);
    void on_fileNameEdit_textEdited(QString text);
    void renderingHasFinished();

private:
    // The controls of idle or of an export; the progress bar is left alone, so that an export
    // that ended shows how much of its range was written.
    void adjustUI();
    void renderNextFrame();
    int currentFrame() const;
    void setCurrentFrame(int frame);
    // Back to idle, then the warning.
    void stopWithWarning(QString const& text);
    // Back to idle: the user's frame again, and what was written where.
    void finishExport();
    // The frame the user had before the export, and its render.
    void restoreUsersFrame();

    Ui::SaveSequence* m_ui;
    TwCore* m_core;
    int m_framesToRender = 0;
    int m_framesDone = 0;
    bool m_rendering = false;
    // Every container's frame when the export started (the root graph's, each effect's and
    // each node's: the export sets the root graph's frame for all); none while none is to be
    // restored.
    std::optional<KelNodes::GraphFrames> m_usersFrames;
};
