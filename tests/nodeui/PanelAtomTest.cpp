#include "PanelTestSupport.h"

#include "app/KelAdjective.h"
#include "app/KelAtomHolder.h"
#include "app/KelTemplate.h"
#include "nodeui/KelParamAtom.h"
#include "nodeui/KelParamAtomHolder.h"
#include "nodeui/KelParamSnapshot.h"
#include "style/KelColorField.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSlider>

using PanelTest::Container;
using PanelTest::HookRecorder;
using PanelTest::NodeFixture;

namespace {

// A bound atom as the important-parameters panel makes one; counts its undo steps.
struct Bound
{
    Bound(NodeFixture& f, KelUtils::Parameter* parameter) : atom(parameter)
    {
        atom.setOwnsParameter(false);
        atom.setNode(f.node);
        atom.setParamListIndex(f.lastList());
        atom.createUI();
        QObject::connect(&atom, &KelParamAtom::addParamUndo, [this](KelParamAtom*, QBuffer* before) {
            ++steps;
            snapshots << (before ? QString::fromUtf8(before->data()) : QString());
            delete before;
        });
    }
    QDoubleSpinBox* box(int index = 0) const { return qobject_cast<QDoubleSpinBox*>(atom.editorFor(index)); }

    KelParamAtom atom;
    int steps = 0;
    QStringList snapshots;
};

} // namespace

TEST(PanelAtoms, BoundAtomsSnapshotAndFollowTheirParameter)
{
    NodeFixture f;
    auto* pair = f.floats(QStringLiteral("pair"), 1.0f, true, 2);
    auto* thirds = f.floats(QStringLiteral("thirds"), 0.123f);
    Bound row(f, pair);
    Bound thirdsRow(f, thirds);
    float seenBefore = -1.0f;
    HookRecorder hook([&] { seenBefore = pair->value(1); });

    row.atom.sliderFor(1)->setValue(250);
    EXPECT_FLOAT_EQ(pair->value(1), 2.5f);
    EXPECT_FLOAT_EQ(pair->value(0), 1.0f);
    EXPECT_FLOAT_EQ(seenBefore, 1.0f);
    EXPECT_DOUBLE_EQ(row.box(1)->value(), 2.5);
    ASSERT_EQ(row.steps, 1);
    EXPECT_TRUE(row.snapshots.first().contains(QStringLiteral("<nodes>")));

    // A box still showing the stored value (also with a third decimal) writes nothing.
    EXPECT_EQ(thirdsRow.box()->text(), QStringLiteral("0.123"));
    emit thirdsRow.box()->editingFinished();
    emit row.box(0)->editingFinished();
    EXPECT_EQ(thirdsRow.steps, 0);
    EXPECT_EQ(hook.calls, 1);

    // Changes from elsewhere reach the row, also through a section load, which names no
    // parameter: a stale box would write its old value back when left.
    f.c->setFloatParam(QStringLiteral("pair"), 6.0f, 0);
    EXPECT_EQ(row.atom.sliderFor(0)->value(), 600);
    std::unique_ptr<QBuffer> snapshot(KelParamSnapshot::store(f.c));
    pair->setValue(9.0f, 0);
    KelParamSnapshot::load(f.c, snapshot.get());
    EXPECT_DOUBLE_EQ(row.box(0)->value(), 6.0);

    // Unbinding happens whatever the flag.
    row.atom.setInDestruction(false);
    EXPECT_EQ(row.atom.node(), nullptr);
    pair->setValue(3.0f, 0);
    EXPECT_EQ(row.atom.sliderFor(0)->value(), 600);
}

TEST(PanelAtoms, ListsColoursInertKindsAndRefusals)
{
    NodeFixture f;
    auto* twins = f.list(QStringLiteral("twins"), {{1, QStringLiteral("Same")}, {2, QStringLiteral("Other")}, {3, QStringLiteral("Same")}}, 1);
    auto* tint = f.colour(QStringLiteral("tint"), KelUtils::Color(1.0f, 0.0f, 0.0f, 0.4f));
    auto* group = f.group(QStringLiteral("Group"));
    auto* narrow = f.floats(QStringLiteral("narrow"), 5.0f, true, 1, 0.555f, 10.0f);

    // Bound, createUI refreshes at once (the first item of the name); unbound it shows the last.
    Bound twinsRow(f, twins);
    auto* combo = qobject_cast<QComboBox*>(twinsRow.atom.editorFor(0));
    EXPECT_EQ(combo->currentIndex(), 0);
    KelParamAtom unbound(twins);
    unbound.setOwnsParameter(false);
    unbound.createUI();
    auto* unboundCombo = qobject_cast<QComboBox*>(unbound.editorFor(0));
    EXPECT_EQ(unboundCombo->currentIndex(), 2);
    // Unbound, an atom only writes: no undo step, no pre-write call, no refresh of itself.
    {
        HookRecorder hook;
        int steps = 0;
        QObject::connect(&unbound, &KelParamAtom::addParamUndo, [&] { ++steps; });
        unboundCombo->setCurrentIndex(1);
        twins->setValue(3);
        EXPECT_EQ(twins->value(), 3);
        EXPECT_EQ(unboundCombo->currentIndex(), 1);
        EXPECT_EQ(steps + hook.calls, 0);
        EXPECT_EQ(twinsRow.steps, 0);
        twins->setValue(1);
    }
    int dependencies = 0;
    QObject::connect(&twinsRow.atom, &KelParamAtom::updateStatusForDependencies, [&](KelNodes::Node* node, int list) {
        EXPECT_EQ(node, f.node);
        EXPECT_EQ(list, f.lastList());
        ++dependencies;
    });
    combo->setCurrentIndex(1);
    EXPECT_EQ(twins->value(), 2);
    EXPECT_EQ(twinsRow.steps, 1);
    EXPECT_GE(dependencies, 1);

    // The swatch shows the stored alpha, so a pick keeps it.
    Bound tintRow(f, tint);
    auto* field = qobject_cast<KelColorField*>(tintRow.atom.editorFor(0));
    EXPECT_EQ(field->color(), QColor(255, 0, 0, 102));
    field->setColor(QColor(0, 255, 0, 102));
    EXPECT_EQ(tint->value(), KelUtils::Color(0.0f, 1.0f, 0.0f, 0.4f));

    // A refused slider position: the row shows the stored value again, no undo step.
    Bound narrowRow(f, narrow);
    QSlider* slider = narrowRow.atom.sliderFor(0);
    slider->setValue(slider->minimum());
    EXPECT_FLOAT_EQ(narrow->value(), 5.0f);
    EXPECT_EQ(slider->value(), 500);
    EXPECT_EQ(narrowRow.steps, 0);

    // An inactive list hides the rows; a kind without editor keeps its inert line edit.
    Bound groupRow(f, group);
    EXPECT_TRUE(groupRow.atom.editors().isEmpty());
    EXPECT_EQ(groupRow.atom.label(), nullptr);
    f.c->paramLists()[f.lastList()].active = false;
    twinsRow.atom.updateVisibilityStatus();
    groupRow.atom.updateVisibilityStatus();
    EXPECT_TRUE(combo->isHidden());
    EXPECT_TRUE(twinsRow.atom.label()->isHidden());
    EXPECT_FALSE(groupRow.atom.findChild<QLineEdit*>()->isHidden());
}

TEST(PanelAtoms, CancelledFileDialogStillRecordsAStep)
{
    QSettings().remove(QStringLiteral("LastSavedTextureLocation"));
    NodeFixture f;
    auto* path = f.string(QStringLiteral("path"), QStringLiteral("/old.jpg"), true);
    Bound row(f, path);
    HookRecorder hook;
    PanelTest::answerFileDialog(QString());
    row.atom.findChild<QPushButton*>()->click();
    EXPECT_EQ(row.steps, 1);
    EXPECT_EQ(path->value(), QStringLiteral("/old.jpg"));
    EXPECT_FALSE(QSettings().contains(QStringLiteral("LastSavedTextureLocation")));
    EXPECT_EQ(hook.calls, 0);
}

TEST(PanelAtomHolders, TemplateParametersGetAtomsDeletedOnce)
{
    KelAtomHolder::setFactory(KelParamAtomHolder::factory());
    int deletions = 0;
    {
        std::unique_ptr<KelAtomHolder> holder(KelAtomHolder::create(new PanelTest::CountedParameter(&deletions)));
        auto* atom = qobject_cast<KelParamAtom*>(holder->widget());
        ASSERT_NE(atom, nullptr);
        EXPECT_FALSE(atom->ownsParameter());
        holder->createUI();
        holder->createUI();
        EXPECT_EQ(atom->editors().size(), 1);
    }
    EXPECT_EQ(deletions, 1);
    {
        // The atom may go first, with the widget it was put in.
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
    PanelTest::Floats radius(QStringLiteral("radius"), QStringLiteral("Radius"), nullptr, nullptr, 1, 0.0f, 10.0f,
                             2.5f, true, 1);
    exposed.setAtom(KelAtomHolder::create(radius.clone()));
    source.setAttribute(exposed);
    KelTemplate owner;
    std::unique_ptr<KelAdjective> clone(owner.cloneAdjective(&source));
    KelAtomHolder* holder = clone->attributes().first().atom();
    ASSERT_NE(holder, exposed.atom());
    auto* atom = qobject_cast<KelParamAtom*>(holder->widget());
    ASSERT_NE(atom, nullptr);
    EXPECT_EQ(atom->parameter(), holder->parameter());
    EXPECT_DOUBLE_EQ(qobject_cast<QDoubleSpinBox*>(atom->editorFor(0))->value(), 2.5);
    clone.reset();
    KelAtomHolder::setFactory({});
}
