// A ring when the media module cannot be loaded: this program is built where the module is not
// found. The person is told there is no sound, and the ring's tray message still shows.
#include "support/windowrig.h"

using namespace Rig;

class TestNoMedia : public QObject
{
    Q_OBJECT

private slots:
    void ringWithoutModuleSaysSo();
};

void TestNoMedia::ringWithoutModuleSaysSo()
{
    TestHome home;
    Rig::Window r({timer(QStringLiteral("泡茶"), QStringLiteral("00:00:01"))}, home);
    BalloonLog balloons;
    r.d->clickBox(0);
    r.step(1000);
    QTRY_COMPARE(TestSupport::shownPromptTexts(),
                 QStringList{QStringLiteral(
                     "无法加载播放声音所需的模块，本次响铃没有声音，请检查程序是否完整安装。")});
    QCOMPARE(balloons.messages, QStringList{QStringLiteral("计时器时间到了|泡茶   到了。")});
    TestSupport::closeAllPrompts();
}

TAVREL_TEST_MAIN(TestNoMedia)
#include "tst_nomedia.moc"
