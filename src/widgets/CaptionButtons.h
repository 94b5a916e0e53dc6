#pragma once
// The caption buttons of a borderless window together: which of each button's three pictures shows
// after each thing the pointer does. The main window has a close and a minimise button, the picture
// selection dialog a close button only; both windows forward their buttons' reports here, so the
// table below is the only place that decides.
//
//   event                               close       minimise
//   pointer over the background         normal      normal
//   pointer over the close normal       highlight   normal
//   press on the close highlight        down        normal
//   release of that press               normal      unchanged   (the dialog resets; the main
//                                                                window does not forward it)
//   pointer over the minimise normal    normal      highlight
//   press on the minimise highlight     normal      down
//   click on the minimise highlight     normal      normal
//   pointer leaves the window           a highlight turns normal; a down picture stays

#include "widgets/CaptionButton.h"

namespace tavemo::widgets {

class CaptionButtons {
public:
    enum class Event {
        BackgroundMove,
        CloseNormalMove,
        CloseHighlightDown,
        CloseHighlightUp,
        MinimiseNormalMove,
        MinimiseHighlightDown,
        MinimiseClick,
        PointerLeft,
    };

    // `minimise` may be null (a window without one); both buttons outlive this object.
    explicit CaptionButtons(CaptionButton& close, CaptionButton* minimise = nullptr);

    void on(Event event);

private:
    CaptionButton& m_close;
    CaptionButton* m_minimise;
};

} // namespace tavemo::widgets
