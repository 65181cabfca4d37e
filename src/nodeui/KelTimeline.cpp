#include "nodeui/KelTimeline.h"

#include "app/KelCore.h"
#include "nodeui/KelParamSnapshot.h"
#include "nodeui/KelTimelineWidget.h"
#include "nodeui/NodeEditHooks.h"
#include "nodes/NodeGraph.h"
#include "nodes/NodeGraphParameterContainer.h"
#include "params/IParameterContainer.h"
#include "style/KelStyleConfig.h"
#include "ui_KelTimeline.h"

#include <QBuffer>
#include <QButtonGroup>
#include <QEvent>
#include <QMetaMethod>
#include <QPalette>
#include <QPixmap>
#include <QSet>

#include <algorithm>
#include <memory>

namespace {

constexpr int kMaxEndFrame = 65565;
constexpr int kDefaultDuration = 1000;
constexpr int kTimelineMaxNesting = 64;

// The frames at which the nodes inside a graph (nested graphs' nodes too) that carry keys stand:
// the frames of the animation the picture and the parameter panels show.
void collectKeyedFrames(KelNodes::NodeGraph const* graph, QSet<int>& frames, int depth = 0)
{
    if (depth > kTimelineMaxNesting)
        return;
    for (KelNodes::Node* member : graph->nodes()) {
        if (KelNodes::NodeGraph const* sub = member->toNodeGraph()) {
            collectKeyedFrames(sub, frames, depth + 1);
            continue;
        }
        KelUtils::IParameterContainer const* container = member->paramContainer();
        if (container && !container->keyframes().isEmpty())
            frames.insert(container->currentFrame());
    }
}

// Whether every container inside the graph stands at `frame`.
bool membersStandAt(KelNodes::NodeGraph const* graph, int frame, int depth = 0)
{
    if (depth > kTimelineMaxNesting)
        return true;
    for (KelNodes::Node* member : graph->nodes()) {
        KelUtils::IParameterContainer const* container = member->paramContainer();
        if (container && container->currentFrame() != frame)
            return false;
        KelNodes::NodeGraph const* sub = member->toNodeGraph();
        if (sub && !membersStandAt(sub, frame, depth + 1))
            return false;
    }
    return true;
}

QPixmap timelinePixmap(const char* key)
{
    return KelStyleConfig::instance()->value<QPixmap>(QLatin1String(key));
}

void dressButton(QAbstractButton* button, const char* pixmapKey, QString const& toolTip)
{
    button->setIcon(QIcon(timelinePixmap(pixmapKey)));
    button->setToolTip(toolTip); // own text
}

} // namespace

KelTimeline::KelTimeline(QWidget* parent)
    : QWidget(parent)
    , m_form(new Ui_KelTimeline)
    , m_player(this)
{
    m_form->setupUi(this);
    m_form->timeline->setTimeline(this);

    dressButton(m_form->autoAnimationTB, "timelineAutoAnimation", tr("Auto Animation"));
    dressButton(m_form->addKeyframeTB, "timelineAddKeyframe", tr("Add Keyframe"));
    dressButton(m_form->removeKeyframeTB, "timelineRemoveKeyframe", tr("Remove Keyframe"));
    m_form->durationLabel->setPixmap(timelinePixmap("timelineDuration"));
    m_form->firstFrameSB->setToolTip(tr("First frame"));
    m_form->currentFrameSB->setToolTip(tr("Current frame"));
    m_form->endFrameSB->setToolTip(tr("End frame"));
    m_form->durationSB->setToolTip(tr("Animation Length"));
    dressButton(m_form->gotoFirstFrameTB, "timelineGotoStart", tr("Goto First Frame"));
    dressButton(m_form->gotoPrevKeyframeTB, "timelineGotoPrevKey", tr("Goto Previous Keyframe"));
    dressButton(m_form->playBackwardTB, "timelinePlayBackward", tr("Play Backward"));
    dressButton(m_form->stopTB, "timelineStop", tr("Stop"));
    dressButton(m_form->playForwardTB, "timelinePlayForward", tr("Play Forward"));
    dressButton(m_form->gotoNextKeyframeTB, "timelineGotoNextKey", tr("Goto Next Keyframe"));
    dressButton(m_form->gotoEndFrameTB, "timelineGotoEnd", tr("Goto End Frame"));
    dressButton(m_form->playLoopTB, "timelinePlayLoop", tr("Play Loop"));
    dressButton(m_form->playPingPongTB, "timelinePlayPingPong", tr("Play Ping Pong"));
    dressButton(m_form->playOnceTB, "timelinePlayOnce", tr("Play Once"));

    m_modeGroup = new QButtonGroup(this);
    m_modeGroup->setExclusive(true);
    for (QToolButton* button : {m_form->playLoopTB, m_form->playPingPongTB, m_form->playOnceTB}) {
        button->setCheckable(true);
        m_modeGroup->addButton(button);
    }
    m_form->playLoopTB->setChecked(true);

    connect(&m_player, &QThread::finished, this, &KelTimeline::playbackFinished);
    connect(this, &KelTimeline::setCurrentFrameSignal, this, [this](int frame) {
        if (!m_droppingPlayerFrames)
            setCurrentFrame(frame);
    });
    m_form->currentFrameSB->installEventFilter(this);
    adjustUI();
}

KelTimeline::~KelTimeline()
{
    m_player.stop();
    m_player.wait();
    delete m_keysBefore;
    delete m_form;
}

void KelTimeline::stopPlayback()
{
    m_player.stop();
    m_player.wait();
    if (!m_droppingPlayerFrames) {
        m_droppingPlayerFrames = true;
        // Posted after every frame the thread sent: delivered after them.
        QMetaObject::invokeMethod(this, [this] { m_droppingPlayerFrames = false; }, Qt::QueuedConnection);
    }
    adjustUI();
}

KelTimelineWidget* KelTimeline::ruler() const
{
    return m_form->timeline;
}

KelTimelinePlayer::Mode KelTimeline::playMode() const
{
    if (m_form->playLoopTB->isChecked())
        return KelTimelinePlayer::Mode::Loop;
    if (m_form->playPingPongTB->isChecked())
        return KelTimelinePlayer::Mode::PingPong;
    if (m_form->playOnceTB->isChecked())
        return KelTimelinePlayer::Mode::Once;
    return KelTimelinePlayer::Mode::None;
}

void KelTimeline::setMasterContainer(KelUtils::IParameterContainer* container)
{
    m_master = container;
    if (container) {
        const int frames = container->numFrames();
        m_form->firstFrameSB->setRange(0, frames);
        m_form->firstFrameSB->setValue(0);
        m_form->currentFrameSB->setRange(0, frames);
        const bool endBlocked = m_form->endFrameSB->blockSignals(true);
        m_form->endFrameSB->setRange(1, kMaxEndFrame);
        m_form->endFrameSB->setValue(frames);
        m_form->endFrameSB->blockSignals(endBlocked);
        const bool durationBlocked = m_form->durationSB->blockSignals(true);
        m_form->durationSB->setRange(1, kMaxEndFrame);
        m_form->durationSB->setValue(kDefaultDuration);
        m_form->durationSB->blockSignals(durationBlocked);
    }
    m_selected = container;
    dropKeyframeChangeOfAnother();
    updateTimeline();
    showCurrentFrame();
}

void KelTimeline::showFramesOnly(KelUtils::IParameterContainer* master)
{
    setMasterContainer(master);
    m_selected = nullptr;
    dropKeyframeChangeOfAnother();
    updateTimeline();
    showCurrentFrame();
}

void KelTimeline::selectedContainerChanged(KelUtils::IParameterContainer* container)
{
    m_selected = container ? container : m_master;
    dropKeyframeChangeOfAnother();
    bringSelectedGraphToOneFrame();
    updateTimeline();
    showCurrentFrame();
}

void KelTimeline::bringSelectedGraphToOneFrame()
{
    auto* graphContainer = dynamic_cast<KelNodes::NodeGraphParameterContainer*>(m_selected);
    KelNodes::NodeGraph* graph = graphContainer ? graphContainer->graph() : nullptr;
    // The project's root graph holds effects that each keep a frame of their own.
    if (!graph || !graph->parentGraph())
        return;
    // A node moved alone (picked in the graph view) leaves its effect at another frame: the
    // effect takes the frame its animation shows, or, where its keyed nodes disagree, brings
    // them all to its own.
    QSet<int> keyedFrames;
    collectKeyedFrames(graph, keyedFrames);
    const int frame = keyedFrames.size() == 1 ? *keyedFrames.cbegin() : graphContainer->currentFrame();
    if (graphContainer->currentFrame() == frame && membersStandAt(graph, frame))
        return;
    NodeEditHooks::beforeWrite();
    graphContainer->setCurrentFrame(frame);
    if (m_core)
        m_core->currentFrameChanged();
}

void KelTimeline::showCurrentFrame()
{
    // The frame the ruler marks and the parameters show: the selected container's, which a
    // loaded project or an export may have moved, not the master's; without keys to show,
    // the master's, which is the frame rendered.
    if (KelUtils::IParameterContainer* shown = m_selected ? m_selected : m_master) {
        const bool blocked = m_form->currentFrameSB->blockSignals(true);
        m_form->currentFrameSB->setValue(shown->currentFrame());
        m_form->currentFrameSB->blockSignals(blocked);
        m_form->timeline->update();
    }
    adjustUI();
}

void KelTimeline::setCurrentFrame(int frame)
{
    if (!m_master || !m_selected)
        return;
    // The containers hold frames 0 .. count - 1; the end frame the ruler, the field and the
    // player reach (the count itself) stands for the last of them, so that the field never
    // shows a frame the containers refused.
    frame = std::clamp(frame, 0, std::max(0, m_master->numFrames() - 1));
    const bool blocked = m_form->currentFrameSB->blockSignals(true);
    m_form->currentFrameSB->setValue(frame);
    m_form->currentFrameSB->blockSignals(blocked);
    if (m_selected) {
        NodeEditHooks::beforeWrite();
        m_selected->setCurrentFrame(frame);
    }
    if (m_core)
        m_core->currentFrameChanged();
    m_form->timeline->update();
    adjustUI();
}

void KelTimeline::updateTimeline()
{
    KelTimelineWidget* ruler = m_form->timeline;
    ruler->reset();
    ruler->applyScaleRule();
    ruler->update();
}

void KelTimeline::adjustUI()
{
    const bool running = m_player.isRunning();
    Ui_KelTimeline* f = m_form;
    QList<QWidget*> const idleOnly = {f->gotoFirstFrameTB, f->playBackwardTB, f->playForwardTB,
                                      f->gotoEndFrameTB,   f->playLoopTB,     f->playPingPongTB,
                                      f->playOnceTB,       f->firstFrameSB,   f->endFrameSB,
                                      f->currentFrameSB,   f->durationSB};
    if (!m_selected) {
        for (QWidget* widget : idleOnly)
            widget->setEnabled(false);
        for (QWidget* widget : {static_cast<QWidget*>(f->gotoPrevKeyframeTB), static_cast<QWidget*>(f->stopTB),
                                static_cast<QWidget*>(f->gotoNextKeyframeTB), static_cast<QWidget*>(f->addKeyframeTB),
                                static_cast<QWidget*>(f->removeKeyframeTB)})
            widget->setEnabled(false);
        return;
    }
    const int current = f->currentFrameSB->value();
    const QList<int> keys = m_selected->keyframes();
    const bool atKey = keys.contains(current);
    const bool earlier = std::any_of(keys.begin(), keys.end(), [&](int k) { return k < current; });
    const bool later = std::any_of(keys.begin(), keys.end(), [&](int k) { return k > current; });
    f->addKeyframeTB->setEnabled(!running && !atKey);
    f->removeKeyframeTB->setEnabled(!running && atKey);
    f->gotoPrevKeyframeTB->setEnabled(!running && earlier);
    f->gotoNextKeyframeTB->setEnabled(!running && later);
    f->stopTB->setEnabled(running);
    for (QWidget* widget : idleOnly)
        widget->setEnabled(!running);
}

void KelTimeline::markEdited()
{
    if (m_core)
        m_core->graphEdited();
}

void KelTimeline::on_addKeyframeTB_clicked()
{
    setKeyAtCurrentFrame(true);
}

void KelTimeline::on_removeKeyframeTB_clicked()
{
    setKeyAtCurrentFrame(false);
}

void KelTimeline::setKeyAtCurrentFrame(bool keyed)
{
    if (!m_selected)
        return;
    const int frame = m_form->currentFrameSB->value();
    if (m_selected->isKeyframe(frame) != keyed) {
        NodeEditHooks::beforeWrite();
        beginKeyframeChange();
        // What the container holds afterwards decides, not the result it reports.
        if (keyed)
            m_selected->setKeyframeAt(frame);
        else
            m_selected->deleteKeyframe(frame);
        if (endKeyframeChange()) {
            keyframesEdited();
            return;
        }
    }
    m_form->timeline->update();
    adjustUI();
}

void KelTimeline::keyframesEdited()
{
    markEdited();
    m_form->timeline->update();
    adjustUI();
}

void KelTimeline::beginKeyframeChange()
{
    delete m_keysBefore;
    m_changingKeysOf = m_selected;
    m_keysBefore = KelParamSnapshot::store(m_selected);
}

void KelTimeline::dropKeyframeChangeOfAnother()
{
    // The container a drag began on may be freed with its project by now: never read again.
    if (!m_changingKeysOf || m_changingKeysOf == m_selected)
        return;
    delete m_keysBefore;
    m_keysBefore = nullptr;
    m_changingKeysOf = nullptr;
}

bool KelTimeline::endKeyframeChange()
{
    QBuffer* before = m_keysBefore;
    m_keysBefore = nullptr;
    KelUtils::IParameterContainer* container = m_changingKeysOf;
    m_changingKeysOf = nullptr;
    const std::unique_ptr<QBuffer> after(KelParamSnapshot::store(container));
    const bool changed = before && after && before->data() != after->data();
    // Without a receiver nobody would own the snapshot.
    if (changed && isSignalConnected(QMetaMethod::fromSignal(&KelTimeline::keyframesChanged)))
        emit keyframesChanged(container, before);
    else
        delete before;
    return changed;
}

void KelTimeline::on_gotoFirstFrameTB_clicked()
{
    setCurrentFrame(m_form->firstFrameSB->value());
}

void KelTimeline::on_gotoEndFrameTB_clicked()
{
    setCurrentFrame(m_form->endFrameSB->value());
}

void KelTimeline::on_gotoNextKeyframeTB_clicked()
{
    if (!m_selected)
        return;
    const int current = m_form->currentFrameSB->value();
    int next = 999999;
    for (int key : m_selected->keyframes()) {
        if (key > current && key < next)
            next = key;
    }
    if (next != 999999)
        setCurrentFrame(next);
}

void KelTimeline::on_gotoPrevKeyframeTB_clicked()
{
    if (!m_selected)
        return;
    const int current = m_form->currentFrameSB->value();
    int previous = -1;
    for (int key : m_selected->keyframes()) {
        if (key < current && key > previous)
            previous = key;
    }
    if (previous != -1)
        setCurrentFrame(previous);
}

void KelTimeline::on_currentFrameSB_editingFinished()
{
    if (m_core && m_core->blockFocusOutEvents())
        return;
    // Through the one road that clamps, moves the selected container and tells the core.
    setCurrentFrame(m_form->currentFrameSB->value());
}

void KelTimeline::on_endFrameSB_editingFinished()
{
    if (m_core && m_core->blockFocusOutEvents())
        return;
    if (!m_master)
        return;
    const int frames = m_form->endFrameSB->value();
    if (frames != m_master->numFrames()) {
        NodeEditHooks::beforeWrite();
        m_master->setNumFrames(frames);
        markEdited();
    }
    updateTimeline();
    const int count = m_master->numFrames();
    m_form->firstFrameSB->setRange(0, count);
    m_form->currentFrameSB->setRange(0, count);
}

void KelTimeline::play(bool forwards)
{
    if (m_player.isRunning())
        return;
    KelTimelinePlayer::Settings settings;
    settings.first = m_form->firstFrameSB->value();
    settings.end = m_form->endFrameSB->value();
    settings.duration = m_form->durationSB->value();
    settings.mode = playMode();
    settings.forwards = forwards;
    m_player.play(settings);
    adjustUI();
}

void KelTimeline::on_playForwardTB_clicked()
{
    play(true);
}

void KelTimeline::on_playBackwardTB_clicked()
{
    play(false);
}

void KelTimeline::on_stopTB_clicked()
{
    m_player.stop();
    adjustUI();
}

void KelTimeline::playbackFinished()
{
    adjustUI();
}

bool KelTimeline::eventFilter(QObject* watched, QEvent* event)
{
    auto* spinBox = qobject_cast<QAbstractSpinBox*>(watched);
    if (spinBox && event->type() == QEvent::Show) {
        QPalette palette = spinBox->palette();
        palette.setColor(QPalette::Text,
                         KelStyleConfig::instance()->value<QColor>(
                             QStringLiteral("KelTimeline.currentFrameColor")));
        spinBox->setPalette(palette);
        return true;
    }
    return false;
}
