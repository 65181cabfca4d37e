#include "PanelTestSupport.h"

#include "nodeui/KelParam.h"
#include "nodeui/KelParamEditorValues.h"
#include "style/KelColorField.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using PanelTest::Container;
using PanelTest::HookRecorder;
using PanelTest::UndoCounter;

namespace {

void typeInto(QWidget* box, QString const& text)
{
    auto* spin = qobject_cast<QAbstractSpinBox*>(box);
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, text);
    QTest::keyClick(spin, Qt::Key_Return);
}

} // namespace

TEST(PanelFloatBoxes, ShowStoredValuesAtThreeDecimalsAndWriteOnlyRealEdits)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 0.3456f);
    KelParam panel(&c.container);
    panel.show();
    auto* spin = qobject_cast<QDoubleSpinBox*>(panel.editorFor(f));
    EXPECT_EQ(spin->text(), QStringLiteral("0.346"));

    UndoCounter counter(&panel);
    HookRecorder hook;
    // Left untouched, in a new panel and after a refresh: nothing is written.
    emit spin->editingFinished();
    panel.applyParamStateToUI();
    EXPECT_EQ(spin->text(), QStringLiteral("0.346"));
    emit spin->editingFinished();
    EXPECT_FLOAT_EQ(f->value(), 0.3456f);
    EXPECT_EQ(counter.steps + hook.calls, 0);

    typeInto(spin, QStringLiteral("0.5"));
    EXPECT_FLOAT_EQ(f->value(), 0.5f);
    EXPECT_EQ(counter.steps, 1);
    EXPECT_EQ(hook.calls, 1);
}

TEST(PanelSliders, FollowTheirOwnValueAndStayInRange)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* single = c.floats(QStringLiteral("single"), 0.0f, true);
    auto* pair = c.floats(QStringLiteral("pair"), 0.0f, true, 2, 0.0f, 1.0f);
    pair->setValue(0.2f, 0);
    pair->setValue(0.7f, 1);
    auto* huge = c.floats(QStringLiteral("huge"), 2.5e7f, true, 1, -3.0e7f, 3.0e7f);
    KelParam panel(&c.container);
    panel.show();
    UndoCounter counter(&panel);

    EXPECT_EQ(panel.sliderFor(pair, 0)->value(), 20);
    EXPECT_EQ(panel.sliderFor(pair, 1)->value(), 70);
    EXPECT_EQ(qobject_cast<QDoubleSpinBox*>(panel.editorFor(pair))->buttonSymbols(), QAbstractSpinBox::NoButtons);
    panel.sliderFor(pair, 1)->setValue(50);
    EXPECT_FLOAT_EQ(pair->value(1), 0.5f);
    EXPECT_FLOAT_EQ(pair->value(0), 0.2f);
    typeInto(panel.editorFor(single), QStringLiteral("2.5"));
    EXPECT_EQ(panel.sliderFor(single)->value(), 250);
    EXPECT_EQ(counter.steps, 2);

    // Positions beyond an int are clamped, not wrapped.
    const int limit = KelParamEditorValues::SliderLimit;
    QSlider* slider = panel.sliderFor(huge);
    EXPECT_EQ(QList<int>({slider->minimum(), slider->maximum(), slider->value()}), QList<int>({-limit, limit, limit}));
    const struct {
        double scaled;
        int position;
    } cases[] = {{250.9, 250}, {-250.9, -250}, {3.0e9, limit}, {-3.0e9, -limit},
                 {std::numeric_limits<double>::quiet_NaN(), 0}, {std::numeric_limits<double>::infinity(), limit}};
    for (auto const& c2 : cases)
        EXPECT_EQ(KelParamEditorValues::sliderPosition(c2.scaled), c2.position) << c2.scaled;
}

TEST(PanelEditors, EveryKindWritesItsParameterOneStepEachAfterTheHook)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 1.0f, true);
    auto* n = c.ints(QStringLiteral("n"), 10, true);
    auto* on = c.boolean(QStringLiteral("on"));
    auto* mode = c.list(QStringLiteral("mode"), {{7, QStringLiteral("One")}, {3, QStringLiteral("Two")}, {11, QStringLiteral("Three")}}, 7);
    auto* twins = c.list(QStringLiteral("twins"), {{1, QStringLiteral("Same")}, {2, QStringLiteral("Other")}, {3, QStringLiteral("Same")}}, 1);
    auto* tint = c.colour(QStringLiteral("tint"), KelUtils::Color(0.5f, 1.0f, 0.0f, 0.4f));
    auto* text = c.string(QStringLiteral("label"), QStringLiteral("hello"));
    c.add(new PanelTest::OddParameter(QStringLiteral("strange"), &c.container));
    c.add(new KelUtils::ImageParameter(QStringLiteral("img"), QStringLiteral("img text"), &c.container, nullptr));
    KelParam panel(&c.container);
    panel.show();

    // Repeated names: a new panel selects the last match, a refresh the first.
    auto* twinsCombo = qobject_cast<QComboBox*>(panel.editorFor(twins));
    EXPECT_EQ(twinsCombo->currentIndex(), 2);
    panel.applyParamStateToUI();
    EXPECT_EQ(twinsCombo->currentIndex(), 0);
    // pow(0.5, 1/2.2) * 255.999 = 186.1; alpha 0.4 * 255 + 0.5 = 102.5.
    auto* field = qobject_cast<KelColorField*>(panel.editorFor(tint));
    EXPECT_EQ(field->color(), QColor(186, 255, 0, 102));

    UndoCounter counter(&panel);
    // The probe sees the container as it was before each write.
    QStringList seen;
    HookRecorder hook([&] {
        seen << QStringLiteral("%1 %2 %3 %4 %5 %6").arg(f->value()).arg(n->value()).arg(on->value())
                    .arg(mode->value()).arg(tint->value().red).arg(text->value());
    });
    typeInto(panel.editorFor(f), QStringLiteral("2"));
    panel.sliderFor(f)->setValue(300);
    // A slider drag: one step per position.
    for (int position = 11; position <= 15; ++position)
        panel.sliderFor(n)->setValue(position);
    typeInto(panel.editorFor(n), QStringLiteral("42"));
    EXPECT_EQ(panel.sliderFor(n)->value(), 42);
    qobject_cast<QCheckBox*>(panel.editorFor(on))->click();
    qobject_cast<QComboBox*>(panel.editorFor(mode))->setCurrentIndex(2);
    field->setColor(QColor(255, 0, 0, 51));
    auto* line = qobject_cast<QLineEdit*>(panel.editorFor(text));
    line->setText(QStringLiteral("world"));
    emit line->editingFinished();
    EXPECT_EQ(seen, (QStringList{"1 10 0 7 0.5 hello", "2 10 0 7 0.5 hello", "3 10 0 7 0.5 hello",
                                 "3 11 0 7 0.5 hello", "3 12 0 7 0.5 hello", "3 13 0 7 0.5 hello",
                                 "3 14 0 7 0.5 hello", "3 15 0 7 0.5 hello", "3 42 0 7 0.5 hello",
                                 "3 42 1 7 0.5 hello", "3 42 1 11 0.5 hello", "3 42 1 11 1 hello"}));
    EXPECT_EQ(counter.steps, 12);
    EXPECT_EQ(n->value(), 42);
    EXPECT_EQ(tint->value(), KelUtils::Color(1.0f, 0.0f, 0.0f, 0.2f));
    EXPECT_EQ(text->value(), QStringLiteral("world"));
    // A refresh is no click.
    on->setValue(0);
    EXPECT_FALSE(qobject_cast<QCheckBox*>(panel.editorFor(on))->isChecked());
    EXPECT_EQ(counter.steps, 12);

    // Code 4: a label and an empty line edit; the image gets no row at all.
    QStringList labels;
    for (QLabel* label : panel.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels.count(QStringLiteral("strange")), 1);
    EXPECT_EQ(labels.count(QStringLiteral("img text")), 0);
}

TEST(PanelEditors, FileRowsRememberTheLastFile)
{
    QTemporaryDir folder;
    const QString chosen = folder.filePath(QStringLiteral("texture.png"));
    QFile file(chosen);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QSettings().remove(QStringLiteral("LastSavedTextureLocation"));

    Container c;
    c.group(QStringLiteral("G"));
    auto* path = c.string(QStringLiteral("path"), QStringLiteral("/nowhere"), true);
    KelParam panel(&c.container);
    UndoCounter counter(&panel);
    HookRecorder hook;
    QPushButton* select = panel.fileButtonFor(path);
    EXPECT_EQ(select->text(), QStringLiteral("Select..."));

    PanelTest::answerFileDialog(QString());
    select->click();
    EXPECT_EQ(path->value(), QStringLiteral("/nowhere"));
    EXPECT_FALSE(QSettings().contains(QStringLiteral("LastSavedTextureLocation")));
    EXPECT_EQ(counter.steps + hook.calls, 0);

    PanelTest::answerFileDialog(chosen);
    select->click();
    EXPECT_EQ(path->value(), chosen);
    EXPECT_EQ(QSettings().value(QStringLiteral("LastSavedTextureLocation")).toString(), chosen);
    EXPECT_EQ(qobject_cast<QLineEdit*>(panel.editorFor(path))->text(), chosen);
    EXPECT_EQ(counter.steps, 1);
    EXPECT_EQ(hook.calls, 1);

    QString start;
    PanelTest::answerFileDialog(QString(), &start);
    select->click();
    EXPECT_EQ(QDir(start), QDir(folder.path()));

    // Display-flag bit 0 cleared: the row greys, the "Select..." button stays.
    path->setDisplayFlags(0);
    panel.applyParamStateToUI();
    EXPECT_FALSE(panel.editorFor(path)->isEnabled());
    EXPECT_FALSE(panel.labelFor(path)->isEnabled());
    EXPECT_TRUE(select->isEnabled());
}

TEST(PanelEditors, RefusedWritesRefreshTheRowAndSignalNothing)
{
    Container c;
    c.group(QStringLiteral("G"));
    // The box rounds its minimum to 0.000, below what the parameter takes; the slider's lowest
    // position is 0.55, below the minimum 0.555.
    auto* boxed = c.floats(QStringLiteral("boxed"), 0.5f, false, 1, 0.0004f, 1.0f);
    auto* slid = c.floats(QStringLiteral("slid"), 5.0f, true, 1, 0.555f, 10.0f);
    KelParam panel(&c.container);
    panel.show();
    UndoCounter counter(&panel);
    QSignalSpy changed(&panel, &KelParam::parameterChanged);

    typeInto(panel.editorFor(boxed), QStringLiteral("0"));
    EXPECT_FLOAT_EQ(boxed->value(), 0.5f);
    EXPECT_EQ(qobject_cast<QDoubleSpinBox*>(panel.editorFor(boxed))->text(), QStringLiteral("0.500"));
    QSlider* slider = panel.sliderFor(slid);
    slider->setValue(slider->minimum());
    EXPECT_FLOAT_EQ(slid->value(), 5.0f);
    EXPECT_EQ(slider->value(), 500);
    EXPECT_EQ(counter.steps + int(changed.count()), 0);
}
