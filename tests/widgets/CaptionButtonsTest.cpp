// The caption buttons' state table, driven event by event on two bare buttons and on a close button
// alone (the picture selection dialog has no minimise button).

#include "widgets/CaptionButtons.h"

#include <gtest/gtest.h>

namespace tavemo::widgets {
namespace {

using Event = CaptionButtons::Event;
using State = CaptionButton::State;

TEST(CaptionButtons, EachEventShowsThePicturesOfItsRow)
{
    CaptionButton close(CaptionButton::Kind::Close, 0);
    CaptionButton mini(CaptionButton::Kind::Minimise, 1);
    CaptionButtons buttons(close, &mini);
    struct Step {
        Event event;
        State close, mini;
    };
    const Step steps[] = {
        {Event::CloseNormalMove, State::Highlight, State::Normal},
        {Event::PointerLeft, State::Normal, State::Normal}, // a highlight goes out
        {Event::MinimiseNormalMove, State::Normal, State::Highlight},
        {Event::MinimiseHighlightDown, State::Normal, State::Down},
        {Event::PointerLeft, State::Normal, State::Down}, // a pressed one keeps its look
        {Event::CloseNormalMove, State::Highlight, State::Normal},
        {Event::CloseHighlightDown, State::Down, State::Normal},
        {Event::CloseHighlightUp, State::Normal, State::Normal},
        {Event::MinimiseHighlightDown, State::Normal, State::Down},
        {Event::MinimiseClick, State::Normal, State::Normal},
        {Event::CloseNormalMove, State::Highlight, State::Normal},
        {Event::BackgroundMove, State::Normal, State::Normal},
    };
    int i = 0;
    for (const Step& s : steps) {
        buttons.on(s.event);
        EXPECT_EQ(close.state(), s.close) << "step " << i;
        EXPECT_EQ(mini.state(), s.mini) << "step " << i;
        ++i;
    }
}

TEST(CaptionButtons, AWindowWithACloseButtonOnly)
{
    CaptionButton close(CaptionButton::Kind::Close, 0);
    CaptionButtons buttons(close);
    buttons.on(Event::CloseNormalMove);
    buttons.on(Event::MinimiseNormalMove); // no minimise button: only the close one turns normal
    EXPECT_EQ(close.state(), State::Normal);
    buttons.on(Event::CloseNormalMove);
    buttons.on(Event::CloseHighlightDown);
    EXPECT_EQ(close.state(), State::Down);
    buttons.on(Event::CloseHighlightUp);
    EXPECT_EQ(close.state(), State::Normal);
}

} // namespace
} // namespace tavemo::widgets
