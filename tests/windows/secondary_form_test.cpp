#include "windows/secondary_form.h"

#include "windows/aboutf.h"
#include "windows/conff.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

// A secondary window that counts its show and hide handlers.
class CountingForm : public TSecondaryForm {
public:
    CountingForm()
        : TSecondaryForm(QStringLiteral("Проба"), WindowSizing::Sizeable, QSize(300, 200)) {
        setSystemMenuCaptions();
    }
    void FormShow() override { ++shows; }
    void FormHide() override { ++hides; }
    void FormClose() override { ++closes; }
    int shows = 0;
    int hides = 0;
    int closes = 0;
};

} // namespace

TEST(SecondaryForm, CaptionAndSystemMenu) {
    CountingForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Проба > Chatterwick 2"));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::Window));
    const TsSystemMenu& m = *form.sSystemMenu;
    const QStringList captions = {m.ItemRestore->text(),  m.ItemMove->text(),
                                  m.Itemsize->text(),     m.ItemMinimize->text(),
                                  m.ItemMaximize->text(), m.ItemClose->text()};
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Восстановить"), QStringLiteral("Переместить"),
                                     QStringLiteral("Размер"), QStringLiteral("Свернуть"),
                                     QStringLiteral("Развернуть"), QStringLiteral("Закрыть")}));
}

TEST(SecondaryForm, CentredFirstThenReopenedWhereLeftAndCloseOnlyHides) {
    CountingForm form;
    form.showAndActivate();
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((form.frameGeometry().center() - screenCentre).manhattanLength(), 2);
    form.showAndActivate(); // already showing: no second show handler
    EXPECT_EQ(form.shows, 1);

    form.move(40, 30);
    const QPoint left = form.pos();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.closes, 1);
    EXPECT_EQ(form.hides, 1);

    form.showAndActivate();
    EXPECT_EQ(form.pos(), left);
    EXPECT_EQ(form.shows, 2);
}

TEST(SecondaryForm, SettingsAndAboutAreFixedSize) {
    TConfF conf;
    TAboutF about;
    EXPECT_EQ(conf.windowTitle(), QStringLiteral("Настройки > Chatterwick 2"));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе > Chatterwick 2"));
    EXPECT_EQ(conf.size(), QSize(337, 264));
    EXPECT_EQ(about.size(), QSize(311, 285));
    EXPECT_EQ(conf.minimumSize(), conf.maximumSize());
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_FALSE(conf.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}
