// The account dialog's remember box and the progress dialog's bar.

#include "MemoryKeyring.h"
#include "app/PipeWatcher.h"

#include "web/TwCheckUserAccountDialog.h"
#include "web/TwProgressDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

TEST(AccountDialogTest, UncheckingForgetsTheAccountAtOnceWhateverCloses)
{
    for (bool const accept : {false, true}) {
        QSettings settings;
        settings.setValue(QStringLiteral("UserAccount::Login"), QStringLiteral("devs"));
        MemoryKeyring keyring;
        keyring.stored = QStringLiteral("key");
        TwCheckUserAccountDialog dialog(nullptr, &keyring);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Check User Information"));
        EXPECT_EQ(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
        EXPECT_FALSE(dialog.rememberAccountCheckBox()->isChecked());
        dialog.userEdit()->setText(QStringLiteral("devs"));
        dialog.passwordEdit()->setText(QStringLiteral("key"));
        dialog.rememberAccountCheckBox()->setChecked(true);
        // Checking stores nothing by itself.
        EXPECT_EQ(keyring.removals, 0);
        dialog.rememberAccountCheckBox()->setChecked(false);
        accept ? dialog.accept() : dialog.reject();
        EXPECT_TRUE(dialog.userEdit()->text().isEmpty());
        EXPECT_TRUE(dialog.passwordEdit()->text().isEmpty());
        EXPECT_FALSE(settings.contains(QStringLiteral("UserAccount::Login")));
        EXPECT_FALSE(keyring.stored.has_value());
        EXPECT_EQ(keyring.removals, 1);
    }
}

TEST(AccountDialogTest, WithoutKeyringTheBoxIsDisabledAndSaysWhy)
{
    TwCheckUserAccountDialog dialog(nullptr);
    dialog.userEdit()->setText(QStringLiteral("kept"));
    dialog.rememberAccountCheckBox()->setChecked(true);
    dialog.setRememberUnavailable(QStringLiteral("no secret service"));
    EXPECT_FALSE(dialog.rememberAccountCheckBox()->isChecked());
    EXPECT_FALSE(dialog.rememberAccountCheckBox()->isEnabled());
    EXPECT_TRUE(dialog.rememberAccountCheckBox()->toolTip().contains(QStringLiteral("no secret service")));
    // Disabling is no user's unchecking: the entered name stays.
    EXPECT_EQ(dialog.userEdit()->text(), QStringLiteral("kept"));
}

// The keyring's reason is outside text: in the box's tool tip it shows as its characters, cut,
// and a picture it names is never opened.
TEST(AccountDialogTest, TheKeyringsReasonIsShownAsPlainText)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    PipeWatcher pipe(folder.filePath(QStringLiteral("pipe")));
    ASSERT_TRUE(pipe.isValid());
    const QString markup = QStringLiteral("<img src=\"%1\">").arg(pipe.path());
    const QString reasons[] = {markup, QStringLiteral("<b>bold</b> & ") + markup,
                               markup + QStringLiteral("\n").repeated(50) + QStringLiteral("x").repeated(1 << 20)};
    for (QString const& reason : reasons) {
        TwCheckUserAccountDialog dialog(nullptr);
        dialog.setRememberUnavailable(reason);
        const QString tip = dialog.rememberAccountCheckBox()->toolTip();
        EXPECT_LE(tip.size(), 2000);
        const QString shown = Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
        EXPECT_TRUE(shown.contains(markup)) << shown.left(200).toStdString();
        QToolTip::showText(QPoint(10, 10), tip, dialog.rememberAccountCheckBox());
        QToolTip::hideText();
    }
    EXPECT_EQ(pipe.readerOpens(), 0);
}

TEST(ProgressDialogTest, TheBarTruncatesTheFractionAndStartsAt24)
{
    TwProgressDialog withBar(nullptr, true);
    EXPECT_TRUE(withBar.progressBarShown());
    EXPECT_EQ(withBar.progressValue(), 24);
    EXPECT_EQ(withBar.windowTitle(), QStringLiteral("Dialog"));
    withBar.started();
    EXPECT_TRUE(withBar.isVisible());
    EXPECT_LT(withBar.progressValue(), 0); // reset: nothing shown
    struct Case
    {
        double fraction;
        int shown;
    };
    for (Case const c : {Case{0.5, 50}, Case{0.999, 99}, Case{0.0, 0}, Case{1.0, 100}}) {
        withBar.completePercentChanged(0.9, c.fraction);
        EXPECT_EQ(withBar.progressValue(), c.shown) << c.fraction;
    }
    withBar.completePercentChanged(0.9, 0.25);
    withBar.completed();
    EXPECT_EQ(withBar.progressValue(), 100);
    withBar.statusChanged(QStringLiteral("Working"));
    EXPECT_EQ(withBar.statusText(), QStringLiteral("Working"));
    EXPECT_FALSE(withBar.cancelationRequested());

    TwProgressDialog withoutBar(nullptr, false);
    EXPECT_FALSE(withoutBar.progressBarShown());
}

} // namespace
