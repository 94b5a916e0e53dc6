#include "widgets/CaptionButtons.h"

#include <optional>

namespace tavemo::widgets {
namespace {

using State = CaptionButton::State;
using Event = CaptionButtons::Event;

// One row of the table: the pictures an event shows; nothing leaves a button as it is.
struct Row {
    Event event;
    std::optional<State> close;
    std::optional<State> minimise;
};

constexpr Row kTable[] = {
    {Event::BackgroundMove, State::Normal, State::Normal},
    {Event::CloseNormalMove, State::Highlight, State::Normal},
    {Event::CloseHighlightDown, State::Down, State::Normal},
    {Event::CloseHighlightUp, State::Normal, std::nullopt},
    {Event::MinimiseNormalMove, State::Normal, State::Highlight},
    {Event::MinimiseHighlightDown, State::Normal, State::Down},
    {Event::MinimiseClick, State::Normal, State::Normal},
};

} // namespace

CaptionButtons::CaptionButtons(CaptionButton& close, CaptionButton* minimise) : m_close(close), m_minimise(minimise) {}

void CaptionButtons::on(Event event)
{
    if (event == Event::PointerLeft) {
        // Leaving the window over a caption button must not leave it lit; a pressed one keeps its look.
        for (CaptionButton* button : {&m_close, m_minimise})
            if (button && button->state() == State::Highlight)
                button->setState(State::Normal);
        return;
    }
    for (const Row& row : kTable) {
        if (row.event != event)
            continue;
        if (row.close)
            m_close.setState(*row.close);
        if (row.minimise && m_minimise)
            m_minimise->setState(*row.minimise);
        return;
    }
}

} // namespace tavemo::widgets
