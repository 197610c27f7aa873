#include "windows/msgf.h"

#include "shell/app_settings.h"
#include "support/doubles.h"
#include "support/fake_sound.h"
#include "support/test_env.h"
#include "windows/ignorf.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QWidget* nextTabStop(QWidget* w) {
    do
        w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus));
    return w;
}

const QString kIgnoreQuestion = QStringLiteral(
    "Если добавить отправителя в игнор-лист, то его сообщение больше не будут приниматься. "
    "Уверены?");

} // namespace

class MsgfTest : public ::testing::Test {
protected:
    void SetUp() override {
        IgnorF = &ignorF;
        AppSettings.Sounds = true;
    }
    void TearDown() override {
        IgnorF = nullptr;
        AppSettings = {};
    }
    InTempDir dir;
    FakeSound& sound = installFakeSound();
    TIgnorF ignorF;
    TMsgf form;
};

TEST_F(MsgfTest, ControlsHintsAndTabOrder) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Входящее сообщение > Chatterwick 2"));
    EXPECT_EQ(form.sLabel1->text(), QStringLiteral("Сообщение от:"));
    EXPECT_EQ(form.adrl->text(), QStringLiteral("[name]"));
    EXPECT_EQ(form.sLabel2->text(), QStringLiteral("Получено:"));
    EXPECT_EQ(form.datel->text(), QStringLiteral("[date] [time]"));
    EXPECT_TRUE(form.msge->isReadOnly());
    const struct {
        QPushButton* button;
        QString caption, hint;
    } buttons[] = {
        {form.sButton2, QStringLiteral("В игнор-лист"),
         QStringLiteral("Добавить отправителя в игнор-лист")},
        {form.sBitBtn1, QStringLiteral("Ответить"), QStringLiteral("Ответить отправителю")},
        {form.sBitBtn2, QStringLiteral("Закрыть"), QStringLiteral("Закрыть окно")},
    };
    form.showAndActivate();
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->text(), b.caption);
        EXPECT_EQ(b.button->toolTip(), b.hint);
        EXPECT_GE(b.button->width(), b.button->sizeHint().width()) << "caption cut off";
    }
    form.close();
    EXPECT_EQ(nextTabStop(form.msge), form.sBitBtn1);
    EXPECT_EQ(nextTabStop(form.sBitBtn1), form.sButton2);
    EXPECT_EQ(nextTabStop(form.sButton2), form.sBitBtn2);
    EXPECT_EQ(form.flashtimer->interval(), 1000);
}

TEST_F(MsgfTest, FieldsShowTheBytesAsText) {
    form.setMessage("<b>PC-07</b>", "14:05:09",
                    QByteArray("\xcf\xf0\xe8\r\n\xe2\xe5\xf2\0tail", 12));
    EXPECT_EQ(form.adrl->textFormat(), Qt::PlainText);
    EXPECT_EQ(form.senderName(), QByteArray("<b>PC-07</b>"));
    EXPECT_EQ(form.datel->text(), QStringLiteral("14:05:09"));
    EXPECT_EQ(form.msge->toPlainText(), QStringLiteral("При\nвет")); // cut at the NUL
}

TEST_F(MsgfTest, FlashesExactlyWhileShownAndSoundsOncePerOpening) {
    form.showAndActivate();
    EXPECT_TRUE(form.flashtimer->isActive());
    EXPECT_EQ(sound.played.size(), 1);
    EXPECT_TRUE(sound.played.value(0).endsWith(QStringLiteral("/Msg.wav")));
    EXPECT_TRUE(waitUntil([&] { return form.sBitBtn2->hasFocus(); }, 2000));

    const bool before = form.flashHighlighted();
    form.flashtimerTimer();
    EXPECT_NE(form.flashHighlighted(), before);
    form.flashtimerTimer();
    EXPECT_EQ(form.flashHighlighted(), before);

    form.setMessage("PC-08", "14:05:10", "again"); // a new message while shown: no sound
    form.showAndActivate();
    EXPECT_EQ(sound.played.size(), 1);

    form.sBitBtn2->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.flashtimer->isActive());
    EXPECT_FALSE(form.flashHighlighted());

    AppSettings.Sounds = false;
    form.showAndActivate();
    EXPECT_TRUE(form.flashtimer->isActive()); // silent, still flashing
    EXPECT_EQ(sound.played.size(), 1);
}

TEST_F(MsgfTest, RealTimerChangesTheLookOncePerSecond) {
    QElapsedTimer clock;
    clock.start();
    form.showAndActivate();
    QList<qint64> changes;
    bool last = form.flashHighlighted();
    waitUntil(
        [&] {
            if (form.flashHighlighted() != last) {
                last = form.flashHighlighted();
                changes << clock.elapsed();
            }
            return changes.size() == 2;
        },
        4000);
    ASSERT_EQ(changes.size(), 2);
    EXPECT_GE(changes[0], 900);
    EXPECT_GE(changes[1] - changes[0], 900);
    form.hide();
    const bool hidden = form.flashHighlighted();
    waitUntil([] { return false; }, 1200);
    EXPECT_EQ(form.flashHighlighted(), hidden);
}

TEST_F(MsgfTest, IgnoreActionAlreadyListed) {
    ignorF.AddIfAbsent("pc-7");
    form.setMessage("PC-7", "14:05:09", "x");
    form.showAndActivate();
    form.sButton2->click();
    EXPECT_EQ(testBoxes().informations(),
              QStringList{QStringLiteral("Этот отправитель уже добавлен в игнор-лист!")});
    EXPECT_TRUE(testBoxes().questions().isEmpty());
    EXPECT_EQ(ignorF.entries(), (LineList{"pc-7"}));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(MsgfTest, IgnoreActionAsksAndAddsOnYes) {
    ignorF.AddIfAbsent("PC-1");
    form.setMessage("PC-7", "14:05:09", "x");
    form.showAndActivate();
    form.sButton2->click(); // No
    ASSERT_EQ(testBoxes().all().size(), 1u);
    const auto& box = testBoxes().all().front();
    EXPECT_EQ(box.owner, &form);
    EXPECT_EQ(box.caption, QStringLiteral("Chatterwick 2"));
    EXPECT_EQ(box.text, kIgnoreQuestion);
    EXPECT_EQ(ignorF.entries(), (LineList{"PC-1"}));
    EXPECT_TRUE(form.isVisible());

    testBoxes().answer(Answer::Yes);
    form.sButton2->click();
    EXPECT_EQ(ignorF.entries(), (LineList{"PC-1", "PC-7"}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(ignorF.isVisible());
    EXPECT_FALSE(QFileInfo::exists(dir.path(QStringLiteral("ignorlist.ini")))); // not saved here
}

TEST_F(MsgfTest, IgnoringASenderWithoutNameAddsAnEmptyEntry) {
    form.setMessage("", "14:05:09", "x");
    testBoxes().answer(Answer::Yes);
    form.sButton2Click();
    EXPECT_EQ(ignorF.entries(), (LineList{""}));
    EXPECT_TRUE(ignorF.Contains(""));
}
