// Show: Project after a template's row was clicked in Show: Templates: with no project row
// highlighted, no editor stays on the template, also once the view mode is switched to and fro.

#include "ShownTargets.h"
#include "WindowUser.h"

#include "ui_MainWindow.h"

#include "app/KelNGObject.h"
#include "app/KelTemplate.h"
#include "app/TwCore.h"
#include "app/TwTemplateContainer.h"
#include "mainwindow/TwMainWindow.h"

#include <QAction>

namespace MainWindowTest {
namespace {

class ShowModeSwitch : public WindowUser
{
protected:
    KelNGObject* storedInstance(QString const& name) const
    {
        for (KelTemplate* stored : core()->templateStore()->objectTemplateList) {
            if (stored->name() == name)
                return stored->objectInstance();
        }
        return nullptr;
    }

    void expectNothingHeld(std::string const& when)
    {
        SCOPED_TRACE(when);
        EXPECT_EQ(shownSelection(window.get()), nullptr);
        QStringList const faults = shownTargetFaults(window.get());
        EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
    }

    // Show: Templates, the template's row, Show: Project; then the image view and back.
    void leaveTemplateForProject(QString const& name)
    {
        pressGraphView();
        clickShowTemplates();
        KelNGObject* instance = storedInstance(name);
        ASSERT_NE(instance, nullptr);
        clickTemplateRow(instance);
        clickShowProject();
        expectNothingHeld("right after Show: Project");
        pressImageView();
        expectNothingHeld("in the image view");
        pressGraphView();
        expectNothingHeld("back in the node-graph view");
    }
};

TEST_F(ShowModeSwitch, ProjectWithoutEffectsHoldsNoTemplate)
{
    ASSERT_NO_FATAL_FAILURE(startWithStoreTemplates({QStringLiteral("Stored Glow")}));
    discardingEveryEdit([this] { window->form()->actionNew->trigger(); });
    ASSERT_TRUE(core()->objectList().isEmpty());
    leaveTemplateForProject(QStringLiteral("Stored Glow"));
}

} // namespace
} // namespace MainWindowTest
