#pragma once

#include "nodeui/KelTimelinePlayer.h"

#include <QWidget>

class KelCore;
class KelTimelineWidget;
class QBuffer;
class QButtonGroup;
class Ui_KelTimeline;

namespace KelUtils {
class IParameterContainer;
}

// The keyframe timeline panel: frame fields, the ruler, keyframe buttons and playback. The
// master container gives the frame count; the selected one (the master unless another is
// chosen) holds the keys that are shown and edited and takes the current frame.
class KelTimeline : public QWidget
{
    Q_OBJECT

public:
    explicit KelTimeline(QWidget* parent = nullptr);
    // Stops the player and waits for its thread.
    ~KelTimeline() override;

    void setCore(KelCore* core) { m_core = core; }
    KelCore* core() const { return m_core; }

    // Null: nothing to show; the frame fields keep their last values.
    void setMasterContainer(KelUtils::IParameterContainer* container);
    KelUtils::IParameterContainer* masterContainer() const { return m_master; }
    KelUtils::IParameterContainer* selectedContainer() const { return m_selected; }
    // The master's frames with no container's keys: the fields read the master's frame, and
    // nothing can be changed.
    void showFramesOnly(KelUtils::IParameterContainer* master);

    // Resets the ruler's scroll and rescales it.
    void updateTimeline();
    // Enables the controls by container, keys and playback.
    void adjustUI();
    // The frame field shows the selected container's current frame, for a frame set elsewhere
    // than in the panel; adjustUI() follows. Without a container the field keeps its value.
    void showCurrentFrame();
    // After the selected container's keys were changed in the panel (a button, a key dragged
    // along the ruler): the project is marked, the ruler repainted and the buttons follow.
    void keyframesEdited();
    // A change of the selected container's keys (a button, a key dragged from its first move
    // to the release) is one undo step: begin takes the container's snapshot; end hands it on
    // with keyframesChanged when the container differs from it, drops it otherwise, and says
    // whether it differed.
    void beginKeyframeChange();
    bool endKeyframeChange();
    // Whether a change begun is still to end (a change of selection drops it).
    bool isChangingKeyframes() const { return m_changingKeysOf != nullptr; }

    KelTimelinePlayer* player() { return &m_player; }
    // Stops the player and waits for its thread. The frames it sent that have not arrived yet
    // are dropped: the frame shown stays the one the user saw at the stop, and no frame of the
    // player comes later (for example inside a wait or a dialog that follows).
    void stopPlayback();
    KelTimelineWidget* ruler() const;

    // The play mode the mode buttons choose.
    KelTimelinePlayer::Mode playMode() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The player's frames; reaches setCurrentFrame on the panel's thread.
    void setCurrentFrameSignal(int frame);
    // The snapshot of `container` from before a change of its keys; the receiver owns it.
    void keyframesChanged(KelUtils::IParameterContainer* container, QBuffer* before);

public slots:
    // Clamps to 0..frame count, moves the selected container there and tells the core.
    // Without a master nothing happens (frames queued by the player may arrive late).
    void setCurrentFrame(int frame);
    void selectedContainerChanged(KelUtils::IParameterContainer* container);

protected slots:
    void on_endFrameSB_editingFinished();
    void on_currentFrameSB_editingFinished();
    void on_addKeyframeTB_clicked();
    void on_removeKeyframeTB_clicked();
    void on_playBackwardTB_clicked();
    void on_playForwardTB_clicked();
    void on_stopTB_clicked();
    void on_gotoFirstFrameTB_clicked();
    void on_gotoPrevKeyframeTB_clicked();
    void on_gotoNextKeyframeTB_clicked();
    void on_gotoEndFrameTB_clicked();
    void playbackFinished();

private:
    void play(bool forwards);
    void markEdited();
    // The timeline's frame is the frame the picture and the parameter panels show and edit:
    // a selected effect (or compound node) and every node inside it are brought to one frame.
    void bringSelectedGraphToOneFrame();
    // A key change begun on a container other than the selected one is dropped unread.
    void dropKeyframeChangeOfAnother();
    // Adds or removes the key at the current frame (only a write that changes something).
    void setKeyAtCurrentFrame(bool keyed);

    Ui_KelTimeline* m_form;
    KelCore* m_core = nullptr;
    KelUtils::IParameterContainer* m_selected = nullptr;
    KelUtils::IParameterContainer* m_master = nullptr;
    QButtonGroup* m_modeGroup = nullptr;
    KelTimelinePlayer m_player;
    // The container whose keys are being changed and its snapshot from before, between
    // beginKeyframeChange() and endKeyframeChange().
    KelUtils::IParameterContainer* m_changingKeysOf = nullptr;
    QBuffer* m_keysBefore = nullptr;
    // Set by stopPlayback() until the frames the player sent before have been delivered.
    bool m_droppingPlayerFrames = false;
};
