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

namespace {

// Counts the panel's undo steps, deleting the snapshots it receives.
struct UndoCounter
{
    explicit UndoCounter(KelParam* panel)
    {
        QObject::connect(panel, &KelParam::addParamUndo, [this](KelParam*, QBuffer* before) {
            ++steps;
            delete before;
        });
        QObject::connect(panel, &KelParam::parameterChanged, [this] { ++changed; });
    }
    int steps = 0;
    int changed = 0;
};

void typeInto(QAbstractSpinBox* box, QString const& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

TEST(PanelFloatBoxes, ShowStoredValuesAtThreeDecimalsAndWriteOnlyRealEdits)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 1, 0.0f, 10.0f, 0.0f);
    f->setValue(0.3456f);
    KelParam panel(&c.container);
    auto* spin = qobject_cast<QDoubleSpinBox*>(panel.editorFor(f));
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->decimals(), 3);
    EXPECT_EQ(spin->text(), QStringLiteral("0.346"));

    UndoCounter counter(&panel);
    HookRecorder hook;
    // Left untouched, in a new panel and after a refresh: nothing is written.
    emit spin->editingFinished();
    panel.applyParamStateToUI();
    EXPECT_EQ(spin->text(), QStringLiteral("0.346"));
    emit spin->editingFinished();
    EXPECT_EQ(counter.steps, 0);
    EXPECT_EQ(hook.calls, 0);
    EXPECT_FLOAT_EQ(f->value(), 0.3456f);

    // A real edit writes once, with one undo step.
    panel.show();
    typeInto(spin, QStringLiteral("0.5"));
    EXPECT_FLOAT_EQ(f->value(), 0.5f);
    EXPECT_EQ(counter.steps, 1);
    EXPECT_EQ(hook.calls, 1);
}

TEST(PanelFloatBoxes, SlidersFollowTheirOwnValue)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* single = c.floats(QStringLiteral("single"), 1, 0.0f, 10.0f, 0.0f, true);
    auto* pair = c.floats(QStringLiteral("pair"), 2, 0.0f, 1.0f, 0.0f, true);
    pair->setValue(0.2f, 0);
    pair->setValue(0.7f, 1);
    KelParam panel(&c.container);
    panel.show();
    UndoCounter counter(&panel);

    ASSERT_NE(panel.sliderFor(pair, 0), nullptr);
    EXPECT_EQ(panel.sliderFor(pair, 0)->value(), 20);
    EXPECT_EQ(panel.sliderFor(pair, 1)->value(), 70);
    EXPECT_EQ(qobject_cast<QDoubleSpinBox*>(panel.editorFor(pair, 0))->buttonSymbols(),
              QAbstractSpinBox::NoButtons);

    panel.sliderFor(pair, 1)->setValue(50);
    EXPECT_FLOAT_EQ(pair->value(1), 0.5f);
    EXPECT_FLOAT_EQ(pair->value(0), 0.2f);
    EXPECT_EQ(counter.steps, 1);

    // Typing in the box moves the slider, with one write.
    typeInto(qobject_cast<QDoubleSpinBox*>(panel.editorFor(single)), QStringLiteral("2.5"));
    EXPECT_EQ(panel.sliderFor(single)->value(), 250);
    EXPECT_FLOAT_EQ(single->value(), 2.5f);
    EXPECT_EQ(counter.steps, 2);
}

TEST(PanelSliders, HugeRangesStayWithinTheSlider)
{
    const float big = 3.0e7f;
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 1, -big, big, 2.5e7f, true);
    KelParam panel(&c.container);
    QSlider* slider = panel.sliderFor(f);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->minimum(), -KelParamEditorValues::SliderLimit);
    EXPECT_EQ(slider->maximum(), KelParamEditorValues::SliderLimit);
    EXPECT_EQ(slider->value(), KelParamEditorValues::SliderLimit);

    const struct {
        double scaled;
        int position;
    } cases[] = {{0.0, 0}, {250.9, 250}, {-250.9, -250}, {3.0e9, KelParamEditorValues::SliderLimit},
                 {-3.0e9, -KelParamEditorValues::SliderLimit},
                 {std::numeric_limits<double>::quiet_NaN(), 0},
                 {std::numeric_limits<double>::infinity(), KelParamEditorValues::SliderLimit}};
    for (auto const& c2 : cases)
        EXPECT_EQ(KelParamEditorValues::sliderPosition(c2.scaled), c2.position) << c2.scaled;
}

TEST(PanelIntEditors, SpinBoxSliderAndCheckBox)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* n = c.ints(QStringLiteral("n"), 1, 0, 100, 10, true);
    auto* on = c.boolean(QStringLiteral("on"));
    KelParam panel(&c.container);
    panel.show();
    UndoCounter counter(&panel);

    // A slider drag writes once per position.
    QSlider* slider = panel.sliderFor(n);
    for (int position = 11; position <= 15; ++position)
        slider->setValue(position);
    EXPECT_EQ(n->value(), 15);
    EXPECT_EQ(counter.steps, 5);

    typeInto(qobject_cast<QSpinBox*>(panel.editorFor(n)), QStringLiteral("42"));
    EXPECT_EQ(n->value(), 42);
    EXPECT_EQ(slider->value(), 42);
    EXPECT_EQ(counter.steps, 6);

    auto* check = qobject_cast<QCheckBox*>(panel.editorFor(on));
    ASSERT_NE(check, nullptr);
    check->click();
    EXPECT_EQ(on->value(), 1);
    EXPECT_EQ(counter.steps, 7);
    // Refreshes do not count as clicks.
    on->setValue(0);
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(counter.steps, 7);
}

TEST(PanelListEditors, WritesIdsAndMatchesRepeatedNames)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* list = c.list(QStringLiteral("mode"),
                        {{7, QStringLiteral("One")}, {3, QStringLiteral("Two")}, {11, QStringLiteral("Three")}}, 7);
    auto* twins = c.list(QStringLiteral("twins"),
                         {{1, QStringLiteral("Same")}, {2, QStringLiteral("Other")}, {3, QStringLiteral("Same")}}, 1);
    KelParam panel(&c.container);
    UndoCounter counter(&panel);

    // A new panel selects the last item of the name, a refresh the first.
    auto* twinsCombo = qobject_cast<QComboBox*>(panel.editorFor(twins));
    EXPECT_EQ(twinsCombo->currentIndex(), 2);
    panel.applyParamStateToUI();
    EXPECT_EQ(twinsCombo->currentIndex(), 0);

    auto* combo = qobject_cast<QComboBox*>(panel.editorFor(list));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    combo->setCurrentIndex(2);
    EXPECT_EQ(list->value(), 11);
    EXPECT_EQ(counter.steps, 1);
}

TEST(PanelColourEditors, ConvertBothWaysAndKeepAlpha)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* colour = c.colour(QStringLiteral("tint"), KelUtils::Color(0.5f, 1.0f, 0.0f, 0.4f));
    KelParam panel(&c.container);
    UndoCounter counter(&panel);
    auto* field = qobject_cast<KelColorField*>(panel.editorFor(colour));
    ASSERT_NE(field, nullptr);
    // pow(0.5, 1/2.2) * 255.999 = 186.1; alpha 0.4 * 255 + 0.5 = 102.5.
    EXPECT_EQ(field->color(), QColor(186, 255, 0, 102));

    field->setColor(QColor(255, 0, 0, 51));
    EXPECT_FLOAT_EQ(colour->value().red, 1.0f);
    EXPECT_FLOAT_EQ(colour->value().green, 0.0f);
    EXPECT_FLOAT_EQ(colour->value().alpha, 0.2f);
    EXPECT_EQ(counter.steps, 1);
}

TEST(PanelTextEditors, TextFileAndFallbackRows)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString chosen = folder.filePath(QStringLiteral("texture.png"));
    QFile file(chosen);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QSettings().remove(QStringLiteral("LastSavedTextureLocation"));

    Container c;
    c.group(QStringLiteral("G"));
    auto* text = c.string(QStringLiteral("label"), QStringLiteral("hello"));
    auto* path = c.string(QStringLiteral("path"), QStringLiteral("/nowhere"), true);
    c.odd(QStringLiteral("strange"));
    c.add(new KelUtils::ImageParameter(QStringLiteral("img"), QStringLiteral("img text"), &c.container, nullptr));
    c.floats(QStringLiteral("after"));
    KelParam panel(&c.container);
    panel.show();
    UndoCounter counter(&panel);
    HookRecorder hook;

    auto* line = qobject_cast<QLineEdit*>(panel.editorFor(text));
    line->setText(QStringLiteral("world"));
    emit line->editingFinished();
    EXPECT_EQ(text->value(), QStringLiteral("world"));
    EXPECT_EQ(counter.steps, 1);

    // Cancelled: nothing changes, not even the settings.
    QPushButton* select = panel.fileButtonFor(path);
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(select->text(), QStringLiteral("Select..."));
    PanelTest::answerFileDialog(QString());
    select->click();
    EXPECT_EQ(path->value(), QStringLiteral("/nowhere"));
    EXPECT_FALSE(QSettings().contains(QStringLiteral("LastSavedTextureLocation")));
    EXPECT_EQ(counter.steps, 1);
    EXPECT_EQ(hook.calls, 1);

    PanelTest::answerFileDialog(chosen);
    select->click();
    EXPECT_EQ(path->value(), chosen);
    EXPECT_EQ(QSettings().value(QStringLiteral("LastSavedTextureLocation")).toString(), chosen);
    EXPECT_EQ(qobject_cast<QLineEdit*>(panel.editorFor(path))->text(), chosen);
    EXPECT_EQ(counter.steps, 2);
    EXPECT_EQ(hook.calls, 2);

    // The next dialog starts where the last file was.
    QString start;
    PanelTest::answerFileDialog(QString(), &start);
    select->click();
    EXPECT_EQ(QDir(start), QDir(folder.path()));

    // Code 4: label and an empty line edit that goes nowhere; the image gets no row at all.
    int rows = 0;
    for (QLabel* label : panel.findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("strange"))
            ++rows;
        EXPECT_NE(label->text(), QStringLiteral("img text"));
    }
    EXPECT_EQ(rows, 1);
}

TEST(PanelEnableFlags, RefreshGreysRowsButNotTheSelectButton)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 1, 0.0f, 10.0f, 0.0f, true);
    auto* path = c.string(QStringLiteral("path"), QStringLiteral("/x"), true);
    KelParam panel(&c.container);
    EXPECT_TRUE(panel.editorFor(path)->isEnabled());

    f->setDisplayFlags(0);
    path->setDisplayFlags(0);
    panel.applyParamStateToUI();
    EXPECT_FALSE(panel.editorFor(f)->isEnabled());
    EXPECT_FALSE(panel.sliderFor(f)->isEnabled());
    EXPECT_FALSE(panel.labelFor(f)->isEnabled());
    EXPECT_FALSE(panel.editorFor(path)->isEnabled());
    EXPECT_FALSE(panel.labelFor(path)->isEnabled());
    EXPECT_TRUE(panel.fileButtonFor(path)->isEnabled());
}

TEST(PanelRefusedWrites, RefreshTheRowAndSignalNothing)
{
    Container c;
    c.group(QStringLiteral("G"));
    // The box rounds its minimum to 0.000, below what the parameter takes.
    auto* boxed = c.floats(QStringLiteral("boxed"), 1, 0.0004f, 1.0f, 0.5f);
    // The slider's lowest position is 0.55, below the minimum 0.555.
    auto* slid = c.floats(QStringLiteral("slid"), 1, 0.555f, 10.0f, 5.0f, true);
    KelParam panel(&c.container);
    panel.show();
    UndoCounter counter(&panel);
    QSignalSpy changed(&panel, &KelParam::parameterChanged);

    auto* box = qobject_cast<QDoubleSpinBox*>(panel.editorFor(boxed));
    typeInto(box, QStringLiteral("0"));
    EXPECT_FLOAT_EQ(boxed->value(), 0.5f);
    EXPECT_EQ(box->text(), QStringLiteral("0.500"));

    QSlider* slider = panel.sliderFor(slid);
    slider->setValue(slider->minimum());
    EXPECT_FLOAT_EQ(slid->value(), 5.0f);
    EXPECT_EQ(slider->value(), 500);

    EXPECT_EQ(counter.steps, 0);
    EXPECT_EQ(changed.count(), 0);
}

TEST(PanelPreWriteHook, RunsBeforeEachWriteOnly)
{
    Container c;
    c.group(QStringLiteral("G"));
    auto* f = c.floats(QStringLiteral("f"), 1, 0.0f, 10.0f, 1.0f, true);
    auto* n = c.ints(QStringLiteral("n"), 1, 0, 100, 1, true);
    auto* on = c.boolean(QStringLiteral("on"));
    auto* tint = c.colour(QStringLiteral("tint"), KelUtils::Color(0.0f, 0.0f, 0.0f, 1.0f));
    auto* mode = c.list(QStringLiteral("mode"), {{1, QStringLiteral("A")}, {2, QStringLiteral("B")}}, 1);
    auto* text = c.string(QStringLiteral("text"), QStringLiteral("a"));
    KelParam panel(&c.container);
    panel.show();
    UndoCounter counter(&panel);

    // The probe sees the container as it was before the write.
    QStringList seen;
    HookRecorder hook([&] {
        seen << QStringLiteral("%1 %2 %3 %4 %5 %6")
                    .arg(f->value()).arg(n->value()).arg(on->value())
                    .arg(tint->value().red).arg(mode->value()).arg(text->value());
    });
    const struct {
        char const* what;
        std::function<void()> edit;
    } edits[] = {
        {"float box", [&] { typeInto(qobject_cast<QDoubleSpinBox*>(panel.editorFor(f)), QStringLiteral("2")); }},
        {"float slider", [&] { panel.sliderFor(f)->setValue(300); }},
        {"int box", [&] { typeInto(qobject_cast<QSpinBox*>(panel.editorFor(n)), QStringLiteral("5")); }},
        {"int slider", [&] { panel.sliderFor(n)->setValue(6); }},
        {"check box", [&] { qobject_cast<QCheckBox*>(panel.editorFor(on))->click(); }},
        {"colour", [&] { qobject_cast<KelColorField*>(panel.editorFor(tint))->setColor(Qt::white); }},
        {"list", [&] { qobject_cast<QComboBox*>(panel.editorFor(mode))->setCurrentIndex(1); }},
        {"text", [&] {
             auto* line = qobject_cast<QLineEdit*>(panel.editorFor(text));
             line->setText(QStringLiteral("b"));
             emit line->editingFinished();
         }},
    };
    for (auto const& e : edits) {
        const int before = hook.calls;
        e.edit();
        EXPECT_EQ(hook.calls, before + 1) << e.what;
    }
    const QStringList expected{QStringLiteral("1 1 0 0 1 a"), QStringLiteral("2 1 0 0 1 a"),
                               QStringLiteral("3 1 0 0 1 a"), QStringLiteral("3 5 0 0 1 a"),
                               QStringLiteral("3 6 0 0 1 a"), QStringLiteral("3 6 1 0 1 a"),
                               QStringLiteral("3 6 1 1 1 a"), QStringLiteral("3 6 1 1 2 a")};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(counter.steps, 8);
}
