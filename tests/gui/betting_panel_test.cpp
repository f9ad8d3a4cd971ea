// The betting area's platform login in the real window: the account typed beside the password,
// the login through the page bridge, the controls it hides, the balance and the saved account.

#include "app/core.h"
#include "app/main_window.h"
#include "fakes/fake_bridge.h"
#include "fakes/fake_http.h"
#include "fakes/fixed_clock.h"
#include "fakes/recording_shell.h"
#include "gui/find_child.h"
#include "support/ini.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace {

class Login : public ::testing::Test {
protected:
    void SetUp() override
    {
        http_.route(u"getRefreshInfo"_s, u"{\"data\":{\"totalCredit\":7}}"_s);
        http_.route(u"loadSiteInfo.do?siteCode=HELSSC1"_s, u"{\"extra\":{\"b\":5}}"_s);
        window_ = std::make_unique<zorvik::app::MainWindow>(dir_.path(), &shell_, zorvik::app::NetConfig{}, &http_);
        window_->core().set_bridge_factory([this]() -> zorvik::platform::PageBridge& { return bridge_; });
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        auto* lottery = find<QComboBox>(u"combox_select_caizhong"_s);
        lottery->setCurrentIndex(lottery->findText(u"合乐平台-HI彩分分彩"_s));
        emit lottery->activated(lottery->currentIndex());
        // The nick is on the page once the form was submitted.
        bridge_.answer = [this](const QString& script) -> QString {
            submitted_ = submitted_ || script.contains(u"$('#login').trigger"_s);
            if (script.contains(u"$('#nick').size()"_s))
                return submitted_ ? u"1"_s : u"0"_s;
            if (script.contains(u".text()"_s))
                return u"ann"_s;
            return u"1"_s;
        };
    }

    template <typename W>
    W* find(const QString& name) const
    {
        return zorvik::testing::find_child<W>(window_.get(), name);
    }
    QString stored(const QString& key) const
    {
        return zorvik::support::ini_read(u"tz_cfg"_s, key, window_->settings_file());
    }

    QTemporaryDir dir_;
    zorvik::testing::RecordingShell shell_;
    zorvik::testing::FakeHttp http_;
    zorvik::testing::FixedClock clock_;
    zorvik::testing::FakeBridge bridge_{clock_};
    bool submitted_ = false;
    std::unique_ptr<zorvik::app::MainWindow> window_;
};

TEST_F(Login, WithoutAnAccountNothingIsTriedOrSaved)
{
    QTest::keyClicks(find<QLineEdit>(u"tz_plt_pass"_s), u"secret"_s);
    QTest::mouseClick(find<QPushButton>(u"tz_plt_login"_s), Qt::LeftButton);
    EXPECT_EQ(shell_.messages.size(), 1);
    EXPECT_TRUE(bridge_.scripts.isEmpty());
    EXPECT_TRUE(stored(u"plt_pass"_s).isEmpty());
}

TEST_F(Login, LoggingInHidesTheFormShowsTheAccountAndTheBalanceAndKeepsBoth)
{
    QTest::keyClicks(find<QLineEdit>(u"tz_plt_user"_s), u"ann"_s);
    QTest::keyClicks(find<QLineEdit>(u"tz_plt_pass"_s), u"p'w\\1 "_s);
    auto* button = find<QPushButton>(u"tz_plt_login"_s);
    ASSERT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);

    EXPECT_EQ(bridge_.ran(u"$('#password').val('p\\'w\\\\1');"_s), 1);
    EXPECT_FALSE(button->isVisible());
    EXPECT_FALSE(find<QLineEdit>(u"tz_plt_pass"_s)->isVisible());
    EXPECT_FALSE(find<QLabel>(u"tips_label_19"_s)->isVisible());
    EXPECT_FALSE(find<QLineEdit>(u"tz_plt_user"_s)->isVisible());
    EXPECT_TRUE(find<QLabel>(u"tips_label_18"_s)->isVisible());
    EXPECT_EQ(find<QLabel>(u"tips_label_18"_s)->text(), u"ann"_s);
    EXPECT_EQ(find<QLabel>(u"tips_label_22"_s)->text(), u"ann已登录到平台。"_s);
    EXPECT_EQ(find<QLabel>(u"tips_label_21"_s)->text(), u"主账户：7，彩票账户：5"_s);
    EXPECT_EQ(find<QLineEdit>(u"tz_virtual_m"_s)->text(), u"主账户：7，彩票账户：5"_s);
    // The account and the password are kept (the settings file reads values trimmed).
    EXPECT_EQ(stored(u"plt_user"_s), u"ann"_s);
    EXPECT_EQ(stored(u"plt_pass"_s), u"p'w\\1"_s);
}

TEST_F(Login, AFailedLoginKeepsTheFormAndSaysSo)
{
    bridge_.answer = [](const QString& script) -> QString {
        return script.contains(u".size()"_s) && script.contains(u"#nick"_s) ? u"0"_s : u"1"_s;
    };
    QTest::keyClicks(find<QLineEdit>(u"tz_plt_user"_s), u"ann"_s);
    QTest::mouseClick(find<QPushButton>(u"tz_plt_login"_s), Qt::LeftButton);
    EXPECT_TRUE(find<QPushButton>(u"tz_plt_login"_s)->isVisible());
    EXPECT_TRUE(find<QPushButton>(u"tz_plt_login"_s)->isEnabled());
    EXPECT_EQ(find<QLabel>(u"tips_label_22"_s)->text(), u"登录失败，请重试。"_s);
    EXPECT_EQ(stored(u"plt_user"_s), u"ann"_s); // an attempt with an account keeps it
}

} // namespace
