// Where the pop-up notifier slides from and to, and its four animation states,
// free of windows: the notifier window runs its timers by what these answer.
#pragma once

// A rectangle in screen pixels (right and bottom exclusive).
struct NotifierRect {
  int left, top, right, bottom;
};

// The edge the taskbar sits on, which is where the window slides out of:
// 1 top (slides down), 2 left (slides right), 3 right (slides left), 4 bottom (slides up).
enum NotifierDirection { kSlideDown = 1, kSlideRight = 2, kSlideLeft = 3, kSlideUp = 4 };

int DetectTaskbarEdge(const NotifierRect& work, int screenWidth, int screenHeight);

struct NotifierSlide {
  int direction = kSlideUp;
  int startX = 0, startY = 0;  // hidden behind the edge
  int endX = 0, endY = 0;      // fully shown
  int steps = 1;               // at least 1
  int appearDelay = 0;         // milliseconds a step
  int disappearDelay = 0;
};

// The slide of a skin of skinWidth x skinHeight by `step` pixels a tick.
NotifierSlide PlanNotifierSlide(const NotifierRect& work, int screenWidth, int screenHeight, int skinWidth,
                                int skinHeight, int step, int appearMs, int disappearMs);

// The states and the position of one notifier.
class CNotifierAnimation {
public:
  enum State { kHidden = 0, kAppearing = 1, kShowing = 2, kDisappearing = 3 };
  // What the window does for a Popup in the state it found.
  enum PopupAction {
    kStartAppearing,   // was hidden: show at the start, appear timer
    kTextOnly,         // appearing: redraw the text, the slide goes on
    kRestartStay,      // showing: the stay starts again
    kBackToShowing,    // disappearing: disappear timer stopped, fully shown again, stay timer
  };

  explicit CNotifierAnimation(int step = 2) : m_step(step < 1 ? 1 : step) {}

  // `slide` is taken only when hidden (a visible window keeps its path).
  PopupAction Popup(const NotifierSlide& slide);
  // One step towards the shown position; TRUE when it is reached (then showing).
  bool AppearStep();
  // The stay is over: disappearing.
  void StayOver();
  // One step back; TRUE when the start is reached (then hidden).
  bool DisappearStep();
  void Retract() { m_state = kHidden; }

  State GetState() const { return m_state; }
  int X() const { return m_x; }
  int Y() const { return m_y; }
  const NotifierSlide& Slide() const { return m_slide; }

private:
  bool StepTowards(int toX, int toY);

  State m_state = kHidden;
  NotifierSlide m_slide;
  int m_step;
  int m_x = 0, m_y = 0;
};
