// The window's shell: caption buttons, layout, the sizing band, the options menu, the web panel.

#include "AppTestSupport.h"

#include "app/WebPanel.h"
#include "calendar_view/ChnCalendarPicker.h"
#include "widgets/CaptionButton.h"
#include "widgets/PictureBox.h"
#include "widgets/WindowFrame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QWindow>

namespace tavemo::app::test {
namespace {

using State = CaptionButton::State;

class Shell : public ::testing::Test {
protected:
    Shell() { env.now = dateTime(2011, 6, 29, 10, 0); }
    void TearDown() override { closePopups(); }
    AppDir dir;
    Recorder env;
};

TEST_F(Shell, CaptionButtonsFollowTheirStateTable)
{
    Program program(dir, env);
    TMainFrm& w = program.window();
    CaptionButton* close = find<widgets::CaptionButton>(w, "img_close");
    CaptionButton* mini = find<widgets::CaptionButton>(w, "img_mini");
    const QPoint inClose(20, 10), inMiniNormal(15, 10);

    struct Step {
        const char* event;
        std::function<void()> act;
        State close, mini;
    };
    const Step steps[] = {
        {"at start", [] {}, State::Normal, State::Normal},
        {"move over close", [&] { QTest::mouseMove(close, inClose); }, State::Highlight, State::Normal},
        {"move over minimise", [&] { QTest::mouseMove(mini, inMiniNormal); }, State::Normal, State::Highlight},
        {"press on minimise", [&] { QTest::mousePress(mini, Qt::LeftButton, {}, inMiniNormal); }, State::Normal,
         State::Down},
        {"release outside it", [&] { QTest::mouseRelease(mini, Qt::LeftButton, {}, QPoint(-30, 5)); }, State::Normal,
         State::Down},
        {"move over the background", [&] { QTest::mouseMove(find<widgets::PictureBox>(w, "imgBG"), QPoint(300, 30)); },
         State::Normal, State::Normal},
        {"move over close", [&] { QTest::mouseMove(close, inClose); }, State::Highlight, State::Normal},
        {"press on close, right button", [&] { QTest::mousePress(close, Qt::RightButton, {}, inClose); }, State::Down,
         State::Normal},
        {"release it", [&] { QTest::mouseRelease(close, Qt::RightButton, {}, inClose); }, State::Down, State::Normal},
        {"move over close while down", [&] { QTest::mouseMove(close, inClose); }, State::Down, State::Normal},
        {"move over the background", [&] { QTest::mouseMove(find<widgets::PictureBox>(w, "imgBG"), QPoint(300, 30)); },
         State::Normal, State::Normal},
        // The minimise box's first column belongs to its highlight picture only.
        {"move over the minimise box's first column", [&] { QTest::mouseMove(mini, QPoint(0, 10)); }, State::Normal,
         State::Normal},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(close->state(), s.close) << s.event;
        EXPECT_EQ(mini->state(), s.mini) << s.event;
    }
    EXPECT_EQ(env.quits, 0);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(Shell, MinimiseThenBringToFront)
{
    Program program(dir, env);
    TMainFrm& w = program.window();
    QTest::mouseMove(find<widgets::CaptionButton>(w, "img_mini"), QPoint(15, 10));
    QTest::mousePress(find<widgets::CaptionButton>(w, "img_mini"), Qt::LeftButton, {}, QPoint(15, 10));
    QTest::mouseRelease(find<widgets::CaptionButton>(w, "img_mini"), Qt::LeftButton, {}, QPoint(15, 10));
    EXPECT_TRUE(w.isMinimized());
    EXPECT_EQ(find<widgets::CaptionButton>(w, "img_mini")->state(), State::Normal);

    w.bringToFront(); // what a second start asks for
    EXPECT_FALSE(w.isMinimized());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
}

TEST_F(Shell, AnchoredComponentsFollowTheSizeAndTheLeftPanelStays)
{
    Program program(dir, env);
    TMainFrm& w = program.window();
    for (const QSize size : {QSize(750, 500), QSize(1000, 700)}) {
        w.resize(size);
        const int dw = size.width() - 734, dh = size.height() - 462;
        EXPECT_EQ(find<widgets::PictureBox>(w, "imgBG")->geometry(), QRect(QPoint(0, 0), size));
        EXPECT_EQ(find<widgets::CaptionButton>(w, "img_close")->geometry(), QRect(694 + dw, 1, 39, 20));
        EXPECT_EQ(find<widgets::CaptionButton>(w, "img_mini")->geometry(), QRect(664 + dw, 1, 29, 20));
        EXPECT_EQ(find<widgets::PictureBox>(w, "imgAppToDesk")->geometry(), QRect(646 + dw, 45, 84, 29));
        EXPECT_EQ(find<QLabel>(w, "lblSet")->pos(), QPoint(587 + dw, 56));
        EXPECT_EQ(find<QWidget>(w, "pngRight")->geometry(), QRect(315, 80, 415 + dw, 377 + dh));
        EXPECT_EQ(find<QTextEdit>(w, "rdtAbc")->size(), QSize(411 + dw, 373 + dh));
        EXPECT_EQ(find<QWidget>(w, "pnlLeft")->geometry(), QRect(2, 82, 311, 441));
        EXPECT_EQ(find<calendar_view::TChnCalendar>(w, "chnCalendar")->geometry(), QRect(0, 0, 311, 253));
        EXPECT_EQ(find<QWidget>(w, "pnlWeb")->geometry(), QRect(2, 253, 310, 70));
        EXPECT_EQ(find<widgets::PictureBox>(w, "imgAddToDesk")->geometry(), QRect(62, 341, 176, 50));
        EXPECT_EQ(find<widgets::PictureBox>(w, "imgLogo")->geometry(), QRect(52, 13, 210, 56));
    }
}

TEST_F(Shell, SizingBandOnEveryEdgeAndCorner)
{
    Program program(dir, env);
    TMainFrm& w = program.window();
    w.resize(750, 500);
    struct Case {
        QPoint at;
        Qt::Edges edges;
        Qt::CursorShape cursor;
    };
    const Case cases[] = {
        {{0, 250}, Qt::LeftEdge, Qt::SizeHorCursor},
        {{4, 250}, Qt::LeftEdge, Qt::SizeHorCursor},
        {{5, 250}, {}, Qt::ArrowCursor},
        {{749, 250}, Qt::RightEdge, Qt::SizeHorCursor},
        {{745, 250}, Qt::RightEdge, Qt::SizeHorCursor},
        {{744, 250}, {}, Qt::ArrowCursor},
        {{300, 0}, Qt::TopEdge, Qt::SizeVerCursor},
        {{300, 499}, Qt::BottomEdge, Qt::SizeVerCursor},
        {{2, 2}, Qt::LeftEdge | Qt::TopEdge, Qt::SizeFDiagCursor},
        {{748, 498}, Qt::RightEdge | Qt::BottomEdge, Qt::SizeFDiagCursor},
        {{748, 1}, Qt::RightEdge | Qt::TopEdge, Qt::SizeBDiagCursor},
        {{1, 498}, Qt::LeftEdge | Qt::BottomEdge, Qt::SizeBDiagCursor},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(find<widgets::WindowFrame>(w, "windowFrame")->edgesAt(c.at), c.edges) << c.at.x() << ',' << c.at.y();
        EXPECT_EQ(WindowFrame::cursorFor(c.edges), c.cursor);
    }
    // The pointer over the band shows the sizing cursor, over the body the components' own.
    QTest::mouseMove(w.windowHandle(), QPoint(748, 250));
    ASSERT_TRUE(QApplication::overrideCursor());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::SizeHorCursor);
    QTest::mouseMove(w.windowHandle(), QPoint(2, 498));
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::SizeBDiagCursor);
    QTest::mouseMove(w.windowHandle(), QPoint(400, 300));
    EXPECT_FALSE(QApplication::overrideCursor());
}

TEST_F(Shell, SizingWithoutAWindowManagerFollowsThePointerDownToTheMinimum)
{
    // The offscreen platform has no window manager: the window sizes itself.
    Program program(dir, env);
    TMainFrm& w = program.window();
    const QRect start = w.geometry();
    QWindow* handle = w.windowHandle();
    const QPoint corner(start.width() - 2, start.height() - 2);
    QTest::mousePress(handle, Qt::LeftButton, {}, corner);
    QTest::mouseMove(handle, corner + QPoint(40, 30));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, corner + QPoint(40, 30));
    EXPECT_EQ(w.size(), start.size() + QSize(40, 30));

    const QPoint left(1, 200);
    QTest::mousePress(handle, Qt::LeftButton, {}, left);
    QTest::mouseMove(handle, left + QPoint(500, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, left + QPoint(500, 0));
    EXPECT_EQ(w.width(), 650);
    EXPECT_EQ(w.geometry().right(), start.right() + 40);
}

TEST_F(Shell, OptionsMenuOpensBelowTheLabelAndItsPages)
{
    Program program(dir, env);
    TMainFrm& w = program.window();
    QMenu* menu = find<QMenu>(w, "popSysset");
    QStringList items;
    for (QAction* a : menu->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->text()) + '/' + a->objectName();
    EXPECT_EQ(items, QStringList({"帮助说明/N_help", "意见反馈/N_Submit", "-/N4", "退出程序/N_ExitPrj"}));

    EXPECT_EQ(find<QLabel>(w, "lblSet")->text(), QStringLiteral("|  选项"));
    EXPECT_EQ(find<QLabel>(w, "lblSet")->contextMenuPolicy(), Qt::DefaultContextMenu); // no menu before the first click
    w.move(0, 0); // room for the menu on the checks' 800 x 600 screen, which would push it left
    QTest::mouseClick(find<QLabel>(w, "lblSet"), Qt::LeftButton);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), find<QLabel>(w, "lblSet")->mapToGlobal(QPoint(0, find<QLabel>(w, "lblSet")->height())));
    menu->close();
    EXPECT_EQ(find<QLabel>(w, "lblSet")->contextMenuPolicy(), Qt::CustomContextMenu); // from now on the right click too

    menu->findChild<QAction*>("N_help")->trigger();
    menu->findChild<QAction*>("N_Submit")->trigger();
    EXPECT_EQ(env.openedUrls, QList<QUrl>({QUrl::fromLocalFile(dir.path() + "/web/help4/tavemo1.htm"),
                                           QUrl::fromLocalFile(dir.path() + "/web/help4/tavemo2.htm")}));
    EXPECT_EQ(env.quits, 0);
}

TEST_F(Shell, WebPanelShowsOurPageWithoutMenuAndOpensLinksOutside)
{
    dir.write("web/rs/Tavemo3.htm", "<p>提示 <a href=\"../help4/tavemo1.htm\">帮助</a></p>");
    Program program(dir, env);
    WebPanel* web = find<WebPanel>(program.window(), "webLink");
    EXPECT_TRUE(web->toPlainText().contains(QStringLiteral("提示")));
    EXPECT_EQ(web->geometry(), QRect(0, 0, 310, 70));
    EXPECT_EQ(web->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(web->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(web->document()->documentMargin(), 0);

    // A right click, and the context menu event it makes, show nothing.
    QTest::mouseClick(web->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(20, 20), web->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(web->viewport(), &menuEvent);
    EXPECT_FALSE(QApplication::activePopupWidget());

    // The editor beside it keeps its menu.
    QTextEdit* editor = find<QTextEdit>(program.window(), "rdtAbc");
    QContextMenuEvent editorMenu(QContextMenuEvent::Mouse, QPoint(20, 20),
                                 editor->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(editor->viewport(), &editorMenu);
    EXPECT_EQ(QApplication::activePopupWidget(), find<QMenu>(program.window(), "pmDeskTopMonCal"));

    emit web->anchorClicked(QUrl("../help4/tavemo1.htm"));
    EXPECT_EQ(env.openedUrls, QList<QUrl>({QUrl::fromLocalFile(dir.path() + "/web/help4/tavemo1.htm")}));
    EXPECT_EQ(web->source(), QUrl::fromLocalFile(dir.path() + "/web/rs/Tavemo3.htm")); // the panel stays
}

TEST_F(Shell, WebPanelWithoutItsPageStaysEmpty)
{
    Program program(dir, env); // no web folder
    EXPECT_TRUE(find<WebPanel>(program.window(), "webLink")->toPlainText().isEmpty());
    EXPECT_TRUE(env.messages.isEmpty());
}

} // namespace
} // namespace tavemo::app::test
