#include "PanelTestSupport.h"

#include "app/KelAdjective.h"
#include "app/KelAtomHolder.h"
#include "app/KelTemplate.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamAtomHolder.h"
#include "style/KelColorField.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

using PanelTest::Container;
using PanelTest::HookRecorder;
using PanelTest::NodeFixture;

namespace {

// A bound atom as the important-parameters panel makes one.
std::unique_ptr<KelParamAtom> boundAtom(NodeFixture& f, KelUtils::Parameter* parameter)
{
    auto atom = std::make_unique<KelParamAtom>(parameter, nullptr);
    atom->setOwnsParameter(false);
    atom->setNode(f.node);
    atom->setParamListIndex(f.listIndex);
    atom->createUI();
    return atom;
}

struct AtomUndoCounter
{
    explicit AtomUndoCounter(KelParamAtom* atom)
    {
        QObject::connect(atom, &KelParamAtom::addParamUndo, [this](KelParamAtom*, QBuffer* before) {
            ++steps;
            if (before)
                lastSnapshot = QString::fromUtf8(before->data());
            delete before;
        });
    }
    int steps = 0;
    QString lastSnapshot;
};

} // namespace

TEST(PanelAtoms, UnboundAtomsOnlyWrite)
{
    Container c;
    auto* f = c.floats(QStringLiteral("f"), 1, 0.0f, 10.0f, 1.0f, true);
    KelParamAtom atom(f);
    atom.setOwnsParameter(false);
    atom.createUI();
    AtomUndoCounter counter(&atom);
    HookRecorder hook;

    QSlider* slider = atom.sliderFor(0);
    auto* spin = qobject_cast<QDoubleSpinBox*>(atom.editorFor(0));
    ASSERT_TRUE(slider && spin);
    EXPECT_EQ(atom.label()->text(), QStringLiteral("f text"));
    slider->setValue(250);
    EXPECT_FLOAT_EQ(f->value(), 2.5f);
    EXPECT_DOUBLE_EQ(spin->value(), 1.0);
    spin->setValue(4.0);
    emit spin->editingFinished();
    EXPECT_FLOAT_EQ(f->value(), 4.0f);
    EXPECT_EQ(slider->value(), 250);
    EXPECT_EQ(counter.steps, 0);
    EXPECT_EQ(hook.calls, 0);
}

TEST(PanelAtoms, BoundAtomsSnapshotAndFollowTheirParameter)
{
    NodeFixture f;
    auto* pair = f.floats(QStringLiteral("pair"), 2, 1.0f, true);
    auto atom = boundAtom(f, pair);
    AtomUndoCounter counter(atom.get());
    int hookCalls = 0;
    float seenBefore = -1.0f;
    HookRecorder hook([&] {
        ++hookCalls;
        seenBefore = pair->value(1);
    });

    ASSERT_NE(atom->sliderFor(1), nullptr);
    atom->sliderFor(1)->setValue(250);
    EXPECT_FLOAT_EQ(pair->value(1), 2.5f);
    EXPECT_FLOAT_EQ(pair->value(0), 1.0f);
    EXPECT_FLOAT_EQ(seenBefore, 1.0f);
    EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox*>(atom->editorFor(1))->value(), 2.5);
    EXPECT_EQ(counter.steps, 1);
    EXPECT_TRUE(counter.lastSnapshot.contains(QStringLiteral("nodes")));

    // Outside changes reach the row, also through a section load (no single parameter named).
    f.container->setFloatParam(QStringLiteral("pair"), 6.0f, 0);
    EXPECT_EQ(atom->sliderFor(0)->value(), 600);
    std::unique_ptr<QBuffer> snapshot(atom->storeParamState());
    pair->setValue(9.0f, 0);
    QDomDocument document;
    document.setContent(snapshot->data());
    f.container->loadState(document.documentElement().firstChildElement());
    EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox*>(atom->editorFor(0))->value(), 6.0);

    // Unbinding happens whatever the flag.
    atom->setInDestruction(false);
    EXPECT_EQ(atom->node(), nullptr);
    pair->setValue(3.0f, 0);
    EXPECT_EQ(atom->sliderFor(0)->value(), 600);
    EXPECT_EQ(hookCalls, 1);
}

TEST(PanelAtoms, FloatBoxesWriteOnlyRealEdits)
{
    NodeFixture f;
    auto* thirds = f.floats(QStringLiteral("thirds"), 1, 0.123f);
    auto* half = f.floats(QStringLiteral("half"), 1, 0.5f);
    auto thirdsAtom = boundAtom(f, thirds);
    auto halfAtom = boundAtom(f, half);
    AtomUndoCounter thirdsCounter(thirdsAtom.get());
    AtomUndoCounter halfCounter(halfAtom.get());
    HookRecorder hook;

    EXPECT_EQ(qobject_cast<QDoubleSpinBox*>(thirdsAtom->editorFor(0))->text(), QStringLiteral("0.123"));
    emit qobject_cast<QDoubleSpinBox*>(thirdsAtom->editorFor(0))->editingFinished();
    emit qobject_cast<QDoubleSpinBox*>(halfAtom->editorFor(0))->editingFinished();
    EXPECT_EQ(thirdsCounter.steps + halfCounter.steps, 0);
    EXPECT_EQ(hook.calls, 0);
    EXPECT_FLOAT_EQ(thirds->value(), 0.123f);
}

TEST(PanelAtoms, ListsColoursAndInertKinds)
{
    NodeFixture f;
    auto* twins = f.add(new KelUtils::ListParameter(
        QStringLiteral("twins"), QStringLiteral("Twins"), f.container, nullptr,
        QList<KelUtils::ListItem>{{1, QStringLiteral("Same")}, {2, QStringLiteral("Other")}, {3, QStringLiteral("Same")}}
            .constData(),
        3, 1, 1));
    auto* tint = f.add(new KelUtils::ColorParameter(QStringLiteral("tint"), QStringLiteral("Tint"), f.container, nullptr, 1));
    tint->setValue(KelUtils::Color(1.0f, 0.0f, 0.0f, 0.4f));
    auto* group = f.add(new KelUtils::GroupBoxParameter(QStringLiteral("grp"), QStringLiteral("Group"), f.container, 1));

    auto twinsAtom = boundAtom(f, twins);
    auto* combo = qobject_cast<QComboBox*>(twinsAtom->editorFor(0));
    ASSERT_NE(combo, nullptr);
    // Bound, createUI refreshes at once: the first item of the name.
    EXPECT_EQ(combo->currentIndex(), 0);
    KelParamAtom unboundTwins(twins);
    unboundTwins.setOwnsParameter(false);
    unboundTwins.createUI();
    EXPECT_EQ(qobject_cast<QComboBox*>(unboundTwins.editorFor(0))->currentIndex(), 2);

    int dependencies = 0;
    QObject::connect(twinsAtom.get(), &KelParamAtom::updateStatusForDependencies,
                     [&](KelNodes::Node* node, int list) {
                         EXPECT_EQ(node, f.node);
                         EXPECT_EQ(list, f.listIndex);
                         ++dependencies;
                     });
    AtomUndoCounter counter(twinsAtom.get());
    combo->setCurrentIndex(1);
    EXPECT_EQ(twins->value(), 2);
    EXPECT_EQ(counter.steps, 1);
    EXPECT_GE(dependencies, 1);

    // The swatch shows the stored alpha, so a pick keeps it.
    auto tintAtom = boundAtom(f, tint);
    auto* field = qobject_cast<KelColorField*>(tintAtom->editorFor(0));
    EXPECT_EQ(field->color(), QColor(255, 0, 0, 102));
    field->setColor(QColor(0, 255, 0, 102));
    EXPECT_FLOAT_EQ(tint->value().alpha, 0.4f);
    EXPECT_FLOAT_EQ(tint->value().green, 1.0f);

    // A kind without editor: a label and an empty line edit, never hidden.
    auto groupAtom = boundAtom(f, group);
    EXPECT_TRUE(groupAtom->editors().isEmpty());
    EXPECT_EQ(groupAtom->label(), nullptr);
    f.container->paramLists()[f.listIndex].active = false;
    twinsAtom->updateVisibilityStatus();
    groupAtom->updateVisibilityStatus();
    EXPECT_TRUE(combo->isHidden());
    EXPECT_TRUE(twinsAtom->label()->isHidden());
    EXPECT_FALSE(groupAtom->findChild<QLineEdit*>()->isHidden());
}

TEST(PanelAtoms, FileDialogOfABoundAtom)
{
    QSettings().remove(QStringLiteral("LastSavedTextureLocation"));
    NodeFixture f;
    auto* path = f.add(new KelUtils::StringParameter(QStringLiteral("path"), QStringLiteral("Path"), f.container,
                                                     nullptr, true, 1));
    path->setValue(QStringLiteral("/old.jpg"));
    auto atom = boundAtom(f, path);
    AtomUndoCounter counter(atom.get());
    HookRecorder hook;
    QPushButton* select = atom->findChild<QPushButton*>();
    ASSERT_NE(select, nullptr);

    // Cancelled: still one undo step, holding the unchanged state; no write.
    PanelTest::answerFileDialog(QString());
    select->click();
    EXPECT_EQ(counter.steps, 1);
    EXPECT_EQ(path->value(), QStringLiteral("/old.jpg"));
    EXPECT_FALSE(QSettings().contains(QStringLiteral("LastSavedTextureLocation")));
    EXPECT_EQ(hook.calls, 0);
}

TEST(PanelAtoms, RefusedWritesRefreshAndStaySilent)
{
    NodeFixture f;
    auto* narrow = f.add(new KelUtils::NumGroupParameter<float>(QStringLiteral("narrow"), QStringLiteral("Narrow"),
                                                                f.container, nullptr, 1, 0.555f, 10.0f, 5.0f,
                                                                true, 1));
    auto atom = boundAtom(f, narrow);
    AtomUndoCounter counter(atom.get());
    QSlider* slider = atom->sliderFor(0);
    slider->setValue(slider->minimum());
    EXPECT_FLOAT_EQ(narrow->value(), 5.0f);
    EXPECT_EQ(slider->value(), 500);
    EXPECT_EQ(counter.steps, 0);
}

TEST(PanelAtomHolders, TemplateParametersGetAtomsDeletedOnce)
{
    KelAtomHolder::setFactory(KelParamAtomHolder::factory());
    int deletions = 0;
    {
        std::unique_ptr<KelAtomHolder> holder(KelAtomHolder::create(new PanelTest::CountedParameter(&deletions)));
        ASSERT_TRUE(holder);
        auto* atom = qobject_cast<KelParamAtom*>(holder->widget());
        ASSERT_NE(atom, nullptr);
        EXPECT_FALSE(atom->ownsParameter());
        holder->createUI();
        holder->createUI();
        EXPECT_EQ(atom->editors().size(), 1);
    }
    EXPECT_EQ(deletions, 1);
    {
        // The atom's widget may go first, with the widget it was put in.
        std::unique_ptr<KelAtomHolder> holder(KelAtomHolder::create(new PanelTest::CountedParameter(&deletions)));
        auto* host = new QWidget;
        holder->widget()->setParent(host);
        delete host;
        EXPECT_EQ(holder->widget(), nullptr);
    }
    EXPECT_EQ(deletions, 2);

    // A template's exposed parameter: a cloned adjective gets an atom of its own.
    KelAdjective source;
    KelAttribute exposed(KelAttribute::NodeParameterAttribute);
    KelUtils::NumGroupParameter<float> radius(QStringLiteral("radius"), QStringLiteral("Radius"), nullptr, nullptr,
                                              1, 0.0f, 10.0f, 2.5f, true, 1);
    exposed.setAtom(KelAtomHolder::create(radius.clone()));
    source.setAttribute(exposed);
    KelTemplate owner;
    std::unique_ptr<KelAdjective> loaded(owner.cloneAdjective(&source));
    ASSERT_EQ(loaded->attributes().size(), 1);
    KelAtomHolder* holder = loaded->attributes().first().atom();
    ASSERT_NE(holder, nullptr);
    EXPECT_NE(holder, exposed.atom());
    auto* atom = qobject_cast<KelParamAtom*>(holder->widget());
    ASSERT_NE(atom, nullptr);
    EXPECT_EQ(atom->parameter(), holder->parameter());
    EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox*>(atom->editorFor(0))->value(), 2.5);
    loaded.reset();
    KelAtomHolder::setFactory({});
}
