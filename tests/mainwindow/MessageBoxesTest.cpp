// The box-answering helper of the window tests: a box that lacks the scripted button (an OK-only
// warning, or any box once the script is used up and Cancel is pressed) must fail the test that
// met it and let the run go on, not end the whole test program.

#include "MessageBoxes.h"

#include <QMessageBox>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace MainWindowTest {
namespace {

struct Mismatch
{
    QMessageBox::StandardButtons shown;
    QList<QMessageBox::StandardButton> script;
};

TEST(MessageBoxes, ABoxWithoutTheScriptedButtonFailsTheTestAndIsClosed)
{
    const QList<Mismatch> mismatches = {
        {QMessageBox::Ok, {QMessageBox::Yes}},
        {QMessageBox::Ok, {}},
        {QMessageBox::Yes | QMessageBox::No, {}},
        {QMessageBox::Save | QMessageBox::Discard, {QMessageBox::Ok}},
        {QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, {QMessageBox::Yes}},
    };
    for (Mismatch const& mismatch : mismatches) {
        SCOPED_TRACE(int(mismatch.shown));
        QStringList seen;
        EXPECT_NONFATAL_FAILURE(
            {
                MessageBoxes answers(mismatch.script);
                QMessageBox box(QMessageBox::Warning, QStringLiteral("Box"), QStringLiteral("Lacks the scripted button"),
                                mismatch.shown);
                box.exec();
                seen = answers.texts;
            },
            "Lacks the scripted button");
        EXPECT_EQ(seen, QStringList({QStringLiteral("Lacks the scripted button")}));
    }
}

} // namespace
} // namespace MainWindowTest
